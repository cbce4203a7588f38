// Whether the computer is on the Wi-Fi microscope's own access point. The network names come
// from the system behind this interface, so tests and demos can supply their own.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quelmar::viewer {

// The word every microscope access point carries in its name (case matters).
inline constexpr const char *kMicroscopeNetworkWord = "AIRLOUPE01";

class WifiNetwork {
public:
    virtual ~WifiNetwork() = default;
    // The network name of every connected wireless interface; empty when none is connected.
    virtual QStringList currentNetworkNames() const = 0;
};

inline bool isMicroscopeNetworkName(const std::optional<QString> &name)
{
    return name && name->contains(QLatin1StringView(kMicroscopeNetworkWord), Qt::CaseSensitive);
}

// A second adapter may be the one on the microscope's access point: any name counts.
inline bool onMicroscopeNetwork(const WifiNetwork &network)
{
    const QStringList names = network.currentNetworkNames();
    for (const QString &name : names) {
        if (isMicroscopeNetworkName(name))
            return true;
    }
    return false;
}

// Network names fixed from outside: the stand-in for tests and the simulator demo.
class FixedWifiNetwork final : public WifiNetwork {
public:
    explicit FixedWifiNetwork(std::optional<QString> name = std::nullopt) { setName(name); }
    explicit FixedWifiNetwork(QStringList names) : names_(std::move(names)) {}
    void setName(const std::optional<QString> &name)
    {
        names_ = name ? QStringList{*name} : QStringList{};
    }
    void setNames(QStringList names) { names_ = std::move(names); }
    QStringList currentNetworkNames() const override { return names_; }

private:
    QStringList names_;
};

} // namespace quelmar::viewer
