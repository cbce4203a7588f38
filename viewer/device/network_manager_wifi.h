// The current Wi-Fi network name as NetworkManager reports it on the system bus.
#pragma once

#include "wifi_network.h"

namespace quelmar::viewer {

class NetworkManagerWifi final : public WifiNetwork {
public:
    // The SSID of the active access point of the first Wi-Fi device that has one; nullopt
    // without NetworkManager, without a Wi-Fi device or when none is connected.
    std::optional<QString> currentNetworkName() const override;
};

} // namespace quelmar::viewer
