// Where the Wi-Fi microscope answers: its fixed address on its own access point and the two
// ports of its web and picture servers, each movable for tests and the simulator.
#pragma once

#include <QString>
#include <QStringList>

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

    // The defaults, then ORBILUX_WIFI_HOST, ORBILUX_WIFI_WEB_PORT, ORBILUX_WIFI_STREAM_PORT,
    // then --wifi-host, --wifi-web-port, --wifi-stream-port (both "--opt value" and
    // "--opt=value"). Unusable values are ignored.
    static DeviceAddress fromEnvironmentAndArguments(const QStringList &arguments);
};

// The value of a "--name value" or "--name=value" option; empty when absent.
QString optionValue(const QStringList &arguments, const QString &name);

} // namespace quelmar::viewer
