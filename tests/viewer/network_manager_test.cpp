// The network check against a stand-in NetworkManager on a private D-Bus: every connected
// Wi-Fi device's network counts, others do not.
#include "device/network_manager_wifi.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace quelmar::viewer;

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");

// Answers GetDevices and the property reads NetworkManagerWifi makes.
class FakeNetworkManager final : public QDBusVirtualObject {
public:
    struct Device {
        uint type;
        QString accessPoint;
        QByteArray ssid;
    };
    explicit FakeNetworkManager(std::map<QString, Device> devices) : devices_(std::move(devices)) {}

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.member() == u"GetDevices") {
            QList<QDBusObjectPath> paths;
            for (const auto &[path, device] : devices_)
                paths << QDBusObjectPath(path);
            return connection.send(message.createReply(QVariant::fromValue(paths)));
        }
        if (message.member() != u"Get" || message.arguments().size() != 2)
            return false;
        const QString name = message.arguments().at(1).toString();
        QVariant value;
        for (const auto &[path, device] : devices_) {
            if (message.path() == path && name == u"DeviceType")
                value = device.type;
            else if (message.path() == path && name == u"ActiveAccessPoint")
                value = QVariant::fromValue(QDBusObjectPath(device.accessPoint));
            else if (message.path() == device.accessPoint && name == u"Ssid")
                value = device.ssid;
        }
        if (!value.isValid())
            return connection.send(message.createErrorReply(QDBusError::UnknownProperty, name));
        return connection.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
    }

private:
    std::map<QString, Device> devices_;
};

// The stand-in serves on a thread of its own: the check's calls block the test's thread.
class ServiceThread final : public QThread {
public:
    ServiceThread(QString address, std::map<QString, FakeNetworkManager::Device> devices)
        : address_(std::move(address)), devices_(std::move(devices))
    {}
    ~ServiceThread() override
    {
        quit();
        wait();
    }
    bool waitUntilServing()
    {
        std::unique_lock lock(mutex_);
        return ready_.wait_for(lock, std::chrono::seconds(10), [this] { return serving_; });
    }

protected:
    void run() override
    {
        FakeNetworkManager manager(devices_);
        {
            QDBusConnection bus = QDBusConnection::connectToBus(address_, QStringLiteral("nm"));
            const bool ok =
                bus.registerService(kService) &&
                bus.registerVirtualObject(QStringLiteral("/"), &manager, QDBusConnection::SubPath);
            std::lock_guard lock(mutex_);
            serving_ = ok;
        }
        ready_.notify_all();
        exec();
        QDBusConnection::disconnectFromBus(QStringLiteral("nm"));
    }

private:
    QString address_;
    std::map<QString, FakeNetworkManager::Device> devices_;
    std::mutex mutex_;
    std::condition_variable ready_;
    bool serving_ = false;
};

class PrivateBus {
public:
    PrivateBus()
    {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address")});
        if (daemon_.waitForStarted(10000) && daemon_.waitForReadyRead(10000))
            address_ = QString::fromLatin1(daemon_.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    const QString &address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};

TEST(NetworkManagerWifi, EveryConnectedWifiDeviceIsAskedAndAnyMicroscopeNameCounts)
{
    PrivateBus bus;
    if (bus.address().isEmpty())
        GTEST_SKIP() << "no dbus-daemon";
    ServiceThread service(
        bus.address(),
        {{QStringLiteral("/org/freedesktop/NetworkManager/Devices/1"),
          {1, QStringLiteral("/"), {}}}, // wired
         {QStringLiteral("/org/freedesktop/NetworkManager/Devices/2"),
          {2, QStringLiteral("/org/freedesktop/NetworkManager/AccessPoint/2"), "HomeNet"}},
         {QStringLiteral("/org/freedesktop/NetworkManager/Devices/3"),
          {2, QStringLiteral("/"), {}}}, // Wi-Fi, not connected
         {QStringLiteral("/org/freedesktop/NetworkManager/Devices/4"),
          {2, QStringLiteral("/org/freedesktop/NetworkManager/AccessPoint/4"), "xAIRLOUPE01y"}}});
    service.start();
    ASSERT_TRUE(service.waitUntilServing());

    const NetworkManagerWifi wifi(
        QDBusConnection::connectToBus(bus.address(), QStringLiteral("client")));
    EXPECT_EQ(wifi.currentNetworkNames(),
              QStringList({QStringLiteral("HomeNet"), QStringLiteral("xAIRLOUPE01y")}));
    EXPECT_TRUE(onMicroscopeNetwork(wifi));
}

TEST(NetworkManagerWifi, NoNetworkManagerMeansNoNetwork)
{
    PrivateBus bus;
    if (bus.address().isEmpty())
        GTEST_SKIP() << "no dbus-daemon";
    const NetworkManagerWifi wifi(
        QDBusConnection::connectToBus(bus.address(), QStringLiteral("lonely")));
    EXPECT_TRUE(wifi.currentNetworkNames().isEmpty());
    EXPECT_FALSE(onMicroscopeNetwork(wifi));
}

} // namespace
