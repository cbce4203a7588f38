// Where the Wi-Fi microscope answers: its fixed address on its own access point and the two
// ports of its web and picture servers, each movable for tests and the simulator.
#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace quelmar::viewer {

struct DeviceAddress {
    static constexpr const char *kDefaultHost = "192.168.1.1";
    static constexpr int kDefaultWebPort = 80;
    static constexpr int kDefaultStreamPort = 8899;

    QString host = QString::fromLatin1(kDefaultHost);
    int webPort = kDefaultWebPort;
    int streamPort = kDefaultStreamPort;

    // "http://host:webPort" + target
    QString webUrl(const QString &target) const;
    QString streamUrl(const QString &target) const;

    // The defaults, then ORBILUX_WIFI_HOST, ORBILUX_WIFI_WEB_PORT and ORBILUX_WIFI_STREAM_PORT
    // where they hold usable values. The command line's --wifi-* options come on top.
    static DeviceAddress fromEnvironment(const QProcessEnvironment &environment);
};

} // namespace quelmar::viewer
