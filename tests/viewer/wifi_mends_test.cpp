// The Wi-Fi link against devices that misbehave and against the simulator: the probe when
// connecting, choices kept, a stream that ends or never starts, oversized pictures, pages that
// never end or never come, unusable resolution entries, stills from the device's button, and
// the network check over every Wi-Fi device.
#include "misbehaving_device.h"
#include "viewer_test_support.h"
#include "wifiscope_sim.h"

#include "app/gallery.h"
#include "app/j_video_view.h"
#include "app/orbilux_window.h"
#include "device/wifi_stream.h"

#include <QElapsedTimer>
#include <QImageReader>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace {

using namespace quelmar::viewer;
using quelmar::test::MisbehavingDevice;
using quelmar::test::WifiscopeSim;

constexpr int kWaitMs = 15000;

class WifiMends : public ::testing::Test {
protected:
    ViewerServices services(const DeviceAddress &device)
    {
        ViewerServices s{&prompt_, &network_, device};
        s.sound = &sound_;
        s.opener = &opener_;
        return s;
    }
    static bool probe(ViewController &controller)
    {
        QSignalSpy probed(&controller, &ViewController::deviceProbed);
        controller.initWiFiDevice();
        return probed.wait(kWaitMs);
    }
    static bool waitForPictures(ViewController &controller, quint64 count)
    {
        return QTest::qWaitFor([&] { return controller.framesShown() >= count; }, kWaitMs);
    }

    quelmar::test::ViewerHome home_;
    quelmar::test::ScriptedViewerPrompt prompt_;
    quelmar::test::RecordingViewerSound sound_;
    quelmar::test::RecordingOpener opener_;
    FixedWifiNetwork network_{QStringLiteral("AIRLOUPE01")};
};

TEST_F(WifiMends, JoiningTheNetworkAfterStartUpProbesWhenConnecting)
{
    WifiscopeSim sim({QStringLiteral("--resolution"), QStringLiteral("2"),
                      QStringLiteral("--counter"), QStringLiteral("7")});
    ASSERT_TRUE(sim.ready());
    network_.setName(std::nullopt);
    ViewController controller(services(sim.address()));
    QSignalSpy probed(&controller, &ViewController::deviceProbed);
    controller.viewDidLoad();
    QTest::qWait(0); // the start-up probe's turn: off the network it does nothing
    EXPECT_EQ(probed.count(), 0);

    network_.setName(QStringLiteral("AIRLOUPE01"));
    QSignalSpy geometry(&controller, &ViewController::viewGeometryChanged);
    controller.ConnectWiFiCamera();
    ASSERT_TRUE(waitForPictures(controller, 1));
    EXPECT_EQ(probed.count(), 1);
    EXPECT_EQ(controller.newVideoWidth(), 1280);
    EXPECT_EQ(controller.snapNumber(), 7);
    EXPECT_EQ(controller.viewGeometry(), QRect(205, 16, 800, 640));
    EXPECT_EQ(geometry.count(), 1);
    EXPECT_EQ(controller.wifiSettingsTab().resolutions.size(), 5);
}

TEST_F(WifiMends, ChoicesInTheSettingsTabAreKept)
{
    WifiscopeSim sim({QStringLiteral("--resolution"), QStringLiteral("0"), QStringLiteral("--fps"),
                      QStringLiteral("10")});
    ASSERT_TRUE(sim.ready());
    ViewController controller(services(sim.address()));
    ASSERT_TRUE(probe(controller));
    controller.handleWifiPicture(QImage(640, 480, QImage::Format_RGB32));
    controller.handleVideoFormatPopBtn(QStringLiteral("2,MJPG,800,600"));
    controller.handleFpsPopBtn(QStringLiteral("12"));
    const WifiSettingsTab tab = controller.wifiSettingsTab();
    EXPECT_EQ(tab.resolutionSelected, 1);
    EXPECT_EQ(tab.rateSelected, 11);
    // The later rate choice sent the chosen size, not the one read at start-up.
    const QJsonObject state = sim.state();
    EXPECT_EQ(state[QStringLiteral("width")].toInt(), 800);
    EXPECT_EQ(state[QStringLiteral("fps")].toInt(), 12);
}

TEST_F(WifiMends, AnEndedStreamSaysSoAndTheWifiButtonOpensANewOne)
{
    WifiscopeSim sim({QStringLiteral("--resolution"), QStringLiteral("0"),
                      QStringLiteral("--stream-parts"), QStringLiteral("4")});
    ASSERT_TRUE(sim.ready());
    ViewController controller(services(sim.address()));
    QSignalSpy status(&controller, &ViewController::statusTextChanged);
    controller.ConnectWiFiCamera();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return controller.statusText().contains(u"ended"); }, kWaitMs));
    EXPECT_FALSE(controller.streamRunning());
    EXPECT_EQ(controller.framesShown(), 4u);

    controller.ConnectWiFiCamera();
    EXPECT_TRUE(controller.streamRunning() ||
                QTest::qWaitFor([&] { return controller.streamRunning(); }, kWaitMs));
    ASSERT_TRUE(waitForPictures(controller, 5));
    EXPECT_EQ(sim.state()[QStringLiteral("streams_opened")].toInt(), 2);
    EXPECT_TRUE(prompt_.alerts.isEmpty());
}

TEST_F(WifiMends, AStreamWithoutPicturesIsGivenUpSoTheNextClickWorks)
{
    MisbehavingDevice device({QStringLiteral("--stream"), QStringLiteral("silent")});
    ASSERT_TRUE(device.ready());
    ViewController controller(services(device.address()));
    controller.setFirstPictureTimeout(500);
    controller.ConnectWiFiCamera();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return controller.statusText().contains(u"sends no picture"); }, kWaitMs));
    EXPECT_FALSE(controller.streamRunning());
    const int before = device.connections();
    controller.ConnectWiFiCamera(); // probe and stream again
    EXPECT_TRUE(QTest::qWaitFor([&] { return device.connections() >= before + 3; }, kWaitMs));
}

long peakKilobytes()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(WifiMends, APictureLargerThanTheDeviceOffersIsRefusedFromItsHeader)
{
    MisbehavingDevice device({QStringLiteral("--stream"), QStringLiteral("huge")});
    ASSERT_TRUE(device.ready());
    const long before = peakKilobytes();
    WifiStream stream(device.address(), QSize(1920, 1080));
    QSignalSpy pictures(&stream, &WifiStream::pictureArrived);
    QSignalSpy ended(&stream, &WifiStream::ended);
    stream.start();
    ASSERT_TRUE(ended.wait(kWaitMs));
    ASSERT_EQ(pictures.count(), 5); // the refused one and the four after it
    EXPECT_TRUE(pictures.at(0).at(0).value<QImage>().isNull());
    EXPECT_EQ(pictures.at(1).at(0).value<QImage>().size(), QSize(64, 48));
    // 20000 x 20000 pixels would have taken 1.2 GB.
    EXPECT_LT(peakKilobytes() - before, 200 * 1024);
}

TEST_F(WifiMends, PicturesWaitingForTheWindowAreBoundedInBytes)
{
    WifiscopeSim sim({QStringLiteral("--resolution"), QStringLiteral("4"), QStringLiteral("--fps"),
                      QStringLiteral("30")});
    ASSERT_TRUE(sim.ready());
    WifiStream stream(sim.address());
    stream.start();
    // The event loop does not run here, so nothing takes the pictures off the queue; each
    // question to the simulator waits on its answer.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kWaitMs && sim.state()[QStringLiteral("parts_sent")].toInt() < 16) {
    }
    ASSERT_GE(sim.state()[QStringLiteral("parts_sent")].toInt(), 16);
    const qsizetype picture = qsizetype(1920) * 1080 * 4;
    EXPECT_LE(stream.queuedBytes(), std::max(WifiStream::kMaxQueuedBytes, picture));
    EXPECT_LT(stream.queuedPictures(), WifiStream::kMaxQueuedPictures);
    EXPECT_GE(stream.queuedPictures(), 1u);
}

TEST_F(WifiMends, AnEndlessPageIsReadOnlyUntilItsValuesHaveCome)
{
    MisbehavingDevice device({QStringLiteral("--page"), QStringLiteral("endless")});
    ASSERT_TRUE(device.ready());
    ViewController controller(services(device.address()));
    QElapsedTimer took;
    took.start();
    ASSERT_TRUE(probe(controller));
    EXPECT_LT(took.elapsed(), 3000);
    EXPECT_EQ(controller.newVideoWidth(), 1280);
    EXPECT_EQ(controller.wifiInitFps(), 15);
    EXPECT_EQ(controller.snapNumber(), 5);
}

TEST_F(WifiMends, TheWindowShowsWhileTheDeviceHoldsItsPage)
{
    MisbehavingDevice device({QStringLiteral("--page"), QStringLiteral("held")});
    ASSERT_TRUE(device.ready());
    QElapsedTimer took;
    took.start();
    OrbiluxWindow window(services(device.address()));
    window.show();
    QSignalSpy probed(&window.controller(), &ViewController::deviceProbed);
    QTest::qWait(200); // the event loop runs: the probe has started and waits on the device
    EXPECT_LT(took.elapsed(), 2000);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(probed.count(), 0);
    EXPECT_EQ(window.controller().newVideoWidth(), 640);
}

TEST_F(WifiMends, UnusableResolutionEntriesAreLeftOut)
{
    MisbehavingDevice device({QStringLiteral("--page"), QStringLiteral("full")});
    ASSERT_TRUE(device.ready());
    ViewController controller(services(device.address()));
    ASSERT_TRUE(probe(controller));
    const WifiSettingsTab tab = controller.wifiSettingsTab();
    EXPECT_EQ(tab.resolutions, QStringList{QStringLiteral("3,MJPG,1280,720")});
    EXPECT_EQ(tab.resolutionSelected, 0); // the page's index 2 is entry number 3
    controller.handleWifiPicture(QImage(8, 6, QImage::Format_RGB32));
    controller.handleVideoFormatPopBtn(QStringLiteral("0,MJPG,320,240"));
    controller.handleVideoFormatPopBtn(QStringLiteral("4,MJPG,800,0"));
    EXPECT_EQ(controller.newVideoWidth(), 1280);
    EXPECT_EQ(controller.wifiInitResolution(), 2);
    EXPECT_FALSE(controller.reconnectTimer().isActive());
}

TEST_F(WifiMends, APageWithoutValuesKeeps640x480)
{
    MisbehavingDevice device({QStringLiteral("--page"), QStringLiteral("garbage")});
    ASSERT_TRUE(device.ready());
    ViewController controller(services(device.address()));
    ASSERT_TRUE(probe(controller));
    EXPECT_FALSE(controller.mediaContent().isEmpty());
    EXPECT_EQ(controller.newVideoWidth(), 640);
    EXPECT_EQ(controller.newVideoHeight(), 480);
    EXPECT_TRUE(controller.wifiSettingsTab().resolutions.isEmpty());
}

TEST_F(WifiMends, StillsFromTheDevicesButtonAreSavedLikeTheToolbars)
{
    WifiscopeSim sim({QStringLiteral("--resolution"), QStringLiteral("1"),
                      QStringLiteral("--counter"), QStringLiteral("3")});
    ASSERT_TRUE(sim.ready());
    OrbiluxWindow window(services(sim.address()));
    ViewController &controller = window.controller();
    controller.ConnectWiFiCamera();
    ASSERT_TRUE(waitForPictures(controller, 2));
    controller.Snapshot();
    ASSERT_TRUE(controller.isEnableSnapshot());
    // The first count the watcher reads is where presses start.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return sim.state()[QStringLiteral("counter_reads")].toInt() >= 3; }, kWaitMs));
    sim.pressButton();
    GalleryModel &photos = controller.gallery().photos();
    ASSERT_TRUE(QTest::qWaitFor([&] { return photos.rowCount() == 1; }, kWaitMs));
    controller.Snapshot();

    const QString still = photos.pathAt(0);
    EXPECT_TRUE(still.startsWith(home_.workspace(QStringLiteral("default/Image/"))));
    int exitCode = -1;
    const QByteArray identified = quelmar::test::runTool(
        QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%w %h %Q"), still},
        &exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(identified, "800 600 100"); // the announced size at the best quality
    EXPECT_EQ(sound_.played, std::vector<ViewerSoundId>{ViewerSoundId::Camera});
}

} // namespace
