// The current Wi-Fi network names as NetworkManager reports them over D-Bus.
#pragma once

#include "wifi_network.h"

#include <QDBusConnection>

namespace quelmar::viewer {

class NetworkManagerWifi final : public WifiNetwork {
public:
    // NetworkManager on the system bus; tests hand in a bus of their own.
    NetworkManagerWifi();
    explicit NetworkManagerWifi(QDBusConnection bus) : bus_(std::move(bus)) {}

    // The SSID of the active access point of every Wi-Fi device that has one; empty without
    // NetworkManager, without a Wi-Fi device or when none is connected.
    QStringList currentNetworkNames() const override;

private:
    QDBusConnection bus_;
};

} // namespace quelmar::viewer
