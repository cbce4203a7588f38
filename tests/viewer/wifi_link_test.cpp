// The link against the simulator on 127.0.0.1: settings page, counter, apply and command
// requests, the picture stream, and a refused login.
#include "wifiscope_sim.h"

#include "device/device_http.h"
#include "device/settings_page.h"
#include "device/wifi_stream.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

namespace {

using namespace quelmar::viewer;
using quelmar::test::WifiscopeSim;

TEST(WifiLink, ReadsPageAndCounterAndSendsRequests)
{
    WifiscopeSim sim({QStringLiteral("--resolution"), QStringLiteral("0"), QStringLiteral("--fps"),
                      QStringLiteral("15"), QStringLiteral("--counter"), QStringLiteral("7")});
    ASSERT_TRUE(sim.ready());
    const DeviceHttp http(sim.address());

    const WifiPageValues values = WifiSettingsPage::parse(http.readSettingsPage());
    EXPECT_EQ(values.width, 640);
    EXPECT_EQ(values.height, 480);
    EXPECT_EQ(values.framesPerSecond, 15);
    EXPECT_EQ(values.resolutions.size(), 5);
    EXPECT_EQ(http.readSnapshotCounter(), 7);
    sim.pressButton();
    EXPECT_EQ(http.readSnapshotCounter(), 8);

    http.applyVideoFormat(2, 12);
    http.sendCameraCommand(9963776, -3);
    const QJsonObject state = sim.state();
    EXPECT_EQ(state[QStringLiteral("width")].toInt(), 1280);
    EXPECT_EQ(state[QStringLiteral("fps")].toInt(), 12);
    const QJsonObject command = state[QStringLiteral("commands")].toArray().at(0).toObject();
    EXPECT_EQ(command[QStringLiteral("id")].toInt(), 9963776);
    EXPECT_EQ(command[QStringLiteral("value")].toInt(), -3);
}

TEST(WifiLink, StreamDeliversDecodedPicturesOnTheOwnersThread)
{
    WifiscopeSim sim({QStringLiteral("--resolution"), QStringLiteral("0")});
    ASSERT_TRUE(sim.ready());
    WifiStream stream(sim.address());
    QSignalSpy pictures(&stream, &WifiStream::pictureArrived);
    bool elsewhere = false;
    QObject::connect(
        &stream, &WifiStream::pictureArrived, &stream,
        [&] { elsewhere = elsewhere || QThread::currentThread() != stream.thread(); },
        Qt::DirectConnection);
    stream.start();
    for (int i = 0; i < 100 && pictures.count() < 3; ++i)
        pictures.wait(200);
    ASSERT_GE(pictures.count(), 3);
    EXPECT_FALSE(elsewhere);
    const QImage first = pictures.at(0).at(0).value<QImage>();
    EXPECT_EQ(first.size(), QSize(640, 480));
}

TEST(WifiLink, RefusedLoginEndsTheStreamWithoutPictures)
{
    WifiscopeSim sim({QStringLiteral("--refuse-login")});
    ASSERT_TRUE(sim.ready());
    WifiStream stream(sim.address());
    QSignalSpy pictures(&stream, &WifiStream::pictureArrived);
    QSignalSpy ended(&stream, &WifiStream::ended);
    stream.start();
    ASSERT_TRUE(ended.wait(15000));
    EXPECT_EQ(ended.at(0).at(0).value<WifiStream::End>(), WifiStream::End::LoginRefused);
    EXPECT_EQ(pictures.count(), 0);

    const DeviceHttp http(sim.address());
    EXPECT_TRUE(http.readSettingsPage().isEmpty());
    EXPECT_EQ(http.readSnapshotCounter(), std::nullopt);
}

TEST(WifiLink, UnreachableDeviceGivesEmptyPageAndNoCounter)
{
    const DeviceHttp http(quelmar::test::closedAddress());
    EXPECT_TRUE(http.readSettingsPage().isEmpty());
    EXPECT_EQ(http.readSnapshotCounter(), std::nullopt);
    WifiStream stream(quelmar::test::closedAddress());
    QSignalSpy ended(&stream, &WifiStream::ended);
    stream.start();
    ASSERT_TRUE(ended.wait(15000));
    EXPECT_EQ(ended.at(0).at(0).value<WifiStream::End>(), WifiStream::End::Failed);
}

} // namespace
