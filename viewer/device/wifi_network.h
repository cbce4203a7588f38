// Whether the computer is on the Wi-Fi microscope's own access point. The network name comes
// from the system behind this interface, so tests and demos can supply their own.
#pragma once

#include <QString>

#include <optional>

namespace quelmar::viewer {

// The word every microscope access point carries in its name (case matters).
inline constexpr const char *kMicroscopeNetworkWord = "AIRLOUPE01";

class WifiNetwork {
public:
    virtual ~WifiNetwork() = default;
    // The network name of the default wireless interface; nullopt when not connected.
    virtual std::optional<QString> currentNetworkName() const = 0;
};

inline bool isMicroscopeNetworkName(const std::optional<QString> &name)
{
    return name && name->contains(QLatin1StringView(kMicroscopeNetworkWord), Qt::CaseSensitive);
}

inline bool onMicroscopeNetwork(const WifiNetwork &network)
{
    return isMicroscopeNetworkName(network.currentNetworkName());
}

// A network name fixed from outside: the stand-in for tests and the simulator demo.
class FixedWifiNetwork final : public WifiNetwork {
public:
    explicit FixedWifiNetwork(std::optional<QString> name = std::nullopt) : name_(std::move(name))
    {}
    void setName(std::optional<QString> name) { name_ = std::move(name); }
    std::optional<QString> currentNetworkName() const override { return name_; }

private:
    std::optional<QString> name_;
};

} // namespace quelmar::viewer
