#include "device_address.h"

namespace quelmar::viewer {

namespace {

void applyHost(DeviceAddress &address, const QString &value)
{
    if (!value.trimmed().isEmpty())
        address.host = value.trimmed();
}

void applyPort(int &port, const QString &value)
{
    bool ok = false;
    const int parsed = value.trimmed().toInt(&ok);
    if (ok && parsed > 0 && parsed < 65536)
        port = parsed;
}

QString urlFor(const QString &host, int port, const QString &target)
{
    // A literal IPv6 address needs brackets inside a URL.
    const QString shownHost = host.contains(u':') ? u'[' + host + u']' : host;
    return QStringLiteral("http://%1:%2%3").arg(shownHost).arg(port).arg(target);
}

} // namespace

QString DeviceAddress::webUrl(const QString &target) const
{
    return urlFor(host, webPort, target);
}

QString DeviceAddress::streamUrl(const QString &target) const
{
    return urlFor(host, streamPort, target);
}

DeviceAddress DeviceAddress::fromEnvironment(const QProcessEnvironment &environment)
{
    DeviceAddress address;
    applyHost(address, environment.value(QStringLiteral("ORBILUX_WIFI_HOST")));
    applyPort(address.webPort, environment.value(QStringLiteral("ORBILUX_WIFI_WEB_PORT")));
    applyPort(address.streamPort, environment.value(QStringLiteral("ORBILUX_WIFI_STREAM_PORT")));
    return address;
}

} // namespace quelmar::viewer
