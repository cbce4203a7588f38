#include "network_manager_wifi.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QList>
#include <QLoggingCategory>

namespace quelmar::viewer {

namespace {

Q_LOGGING_CATEGORY(lcWifiName, "quelmar.viewer.wifi", QtWarningMsg)

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
constexpr uint kDeviceTypeWifi = 2;
// Every check blocks the caller; a bus that does not answer must not freeze the window.
constexpr int kCallTimeoutMs = 1500;

std::optional<QVariant> property(const QDBusConnection &bus, const QString &path,
                                 const QString &interface, const QString &name)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << interface << name;
    const QDBusReply<QDBusVariant> reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (!reply.isValid()) {
        qCDebug(lcWifiName) << "reading" << name << "failed:" << reply.error().message();
        return std::nullopt;
    }
    return reply.value().variant();
}

} // namespace

NetworkManagerWifi::NetworkManagerWifi() : bus_(QDBusConnection::systemBus()) {}

QStringList NetworkManagerWifi::currentNetworkNames() const
{
    QStringList names;
    if (!bus_.isConnected())
        return names;
    const QDBusMessage call =
        QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/NetworkManager"),
                                       kService, QStringLiteral("GetDevices"));
    const QDBusReply<QList<QDBusObjectPath>> devices =
        bus_.call(call, QDBus::Block, kCallTimeoutMs);
    if (!devices.isValid())
        return names;
    for (const QDBusObjectPath &device : devices.value()) {
        const auto type = property(bus_, device.path(), kService + QStringLiteral(".Device"),
                                   QStringLiteral("DeviceType"));
        if (!type || type->toUInt() != kDeviceTypeWifi)
            continue;
        const auto accessPoint =
            property(bus_, device.path(), kService + QStringLiteral(".Device.Wireless"),
                     QStringLiteral("ActiveAccessPoint"));
        if (!accessPoint)
            continue;
        const QString apPath = qvariant_cast<QDBusObjectPath>(*accessPoint).path();
        if (apPath.isEmpty() || apPath == u"/")
            continue;
        const auto ssid = property(bus_, apPath, kService + QStringLiteral(".AccessPoint"),
                                   QStringLiteral("Ssid"));
        if (ssid)
            names << QString::fromUtf8(ssid->toByteArray());
    }
    return names;
}

} // namespace quelmar::viewer
