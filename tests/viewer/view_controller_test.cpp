// The controller's Wi-Fi link: network check and alerts, layout rules, pop-ups, the settings
// tab, the snapshot-button watcher, every frame shown, and the window end to end against the
// simulator.
#include "viewer_test_support.h"
#include "wifiscope_sim.h"

#include "app/j_video_view.h"
#include "app/orbilux_window.h"
#include "app/view_controller.h"
#include "app/viewer_prompt.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using namespace quelmar::viewer;
using quelmar::test::WifiscopeSim;

// A workspace of its own and the network name the test chooses.
class ControllerTest : public ::testing::Test {
protected:
    ViewerServices services(const DeviceAddress &device) { return {&prompt_, &network_, device}; }

    // Probes the device and waits for the values.
    static void probe(ViewController &controller)
    {
        QSignalSpy probed(&controller, &ViewController::deviceProbed);
        controller.initWiFiDevice();
        ASSERT_TRUE(probed.wait(15000));
    }

    quelmar::test::ViewerHome home_;
    quelmar::test::ScriptedViewerPrompt prompt_;
    FixedWifiNetwork network_{QStringLiteral("AIRLOUPE01")};
};

QImage picture()
{
    return QImage(8, 6, QImage::Format_RGB32);
}

TEST_F(ControllerTest, StartUpPreparesTheDefaultAlbum)
{
    network_.setName(std::nullopt);
    ViewController controller(services(quelmar::test::closedAddress()));
    controller.viewDidLoad();
    EXPECT_TRUE(QDir(home_.workspace(QStringLiteral("default/Image"))).exists());
    EXPECT_TRUE(QDir(home_.workspace(QStringLiteral("default/Video"))).exists());
    EXPECT_EQ(controller.newVideoWidth(), 640); // no probe off the device's network
}

TEST_F(ControllerTest, OffTheNetworkConnectingAlertsAndNothingElse)
{
    network_.setName(QStringLiteral("airloupe01"));
    ViewController controller(services(quelmar::test::closedAddress()));
    controller.ConnectWiFiCamera();
    controller.handleTimer();
    EXPECT_EQ(prompt_.alerts, QStringList(2, QStringLiteral("Please connect WiFi Microscope")));
    EXPECT_EQ(controller.camera_stype(), kNoCamera);
}

TEST_F(ControllerTest, UnreadableSettingsPageKeeps640x480AndSendsNoApply)
{
    ViewController controller(services(quelmar::test::closedAddress()));
    probe(controller);
    EXPECT_TRUE(controller.mediaContent().isEmpty());
    EXPECT_EQ(controller.newVideoWidth(), 640);
    EXPECT_EQ(controller.newVideoHeight(), 480);
    EXPECT_EQ(controller.snapNumber(), 0);
    const WifiSettingsTab tab = controller.wifiSettingsTab();
    EXPECT_TRUE(tab.resolutions.isEmpty());
    EXPECT_EQ(tab.resolutionSelected, -1);
    EXPECT_EQ(tab.rateSelected, -1);
    // Without the device's list no index is known: a rate choice sends nothing.
    controller.handleWifiPicture(picture());
    controller.handleFpsPopBtn(QStringLiteral("12"));
    EXPECT_EQ(controller.wifiInitFps(), 12);
    EXPECT_FALSE(controller.reconnectTimer().isActive());
}

struct LayoutCase {
    const char *entry;
    QRect geometry;
    QSizeF laidOut;
};

class LayoutRules : public ControllerTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(LayoutRules, NewSizeMovesTheViewOnlyWhenBothSidesChange)
{
    WifiscopeSim sim({QStringLiteral("--resolution"), QStringLiteral("0")});
    ASSERT_TRUE(sim.ready());
    ViewController controller(services(sim.address()));
    probe(controller);
    controller.handleWifiPicture(picture()); // the stream runs at 640 x 480
    controller.handleVideoFormatPopBtn(QString::fromLatin1(GetParam().entry));
    EXPECT_TRUE(controller.reconnectTimer().isActive());
    EXPECT_EQ(controller.reconnectTimer().interval(), 3000);
    controller.handleWifiPicture(picture());
    EXPECT_EQ(controller.viewGeometry(), GetParam().geometry);
    EXPECT_EQ(QSizeF(controller.videoWidth(), controller.videoHeight()), GetParam().laidOut);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, LayoutRules,
    ::testing::Values(LayoutCase{"3,MJPG,1280,720", {205, 16, 800, 640}, {1280, 720}},
                      LayoutCase{"4,MJPG,1280,960", {205, 40, 800, 600}, {1280, 960}},
                      LayoutCase{"6,MJPG,640,720", {205, 40, 800, 600}, {640, 480}}));

TEST_F(ControllerTest, ResolutionEntrySetsIndexAndAnnouncedSize)
{
    WifiscopeSim sim({QStringLiteral("--resolution"), QStringLiteral("0")});
    ASSERT_TRUE(sim.ready());
    ViewController controller(services(sim.address()));
    probe(controller);
    controller.handleVideoFormatPopBtn(QStringLiteral("3,MJPG,1280,720"));
    EXPECT_EQ(controller.wifiInitResolution(), 0); // no Wi-Fi camera yet: ignored
    controller.handleWifiPicture(picture());
    controller.handleFpsPopBtn(QStringLiteral("12"));
    controller.handleVideoFormatPopBtn(QStringLiteral("3,MJPG,1280,720"));
    EXPECT_EQ(controller.wifiInitResolution(), 2);
    EXPECT_EQ(controller.newVideoWidth(), 1280);
    EXPECT_EQ(controller.newVideoHeight(), 720);
    const QJsonObject state = sim.state();
    EXPECT_EQ(state[QStringLiteral("width")].toInt(), 1280);
    EXPECT_EQ(state[QStringLiteral("fps")].toInt(), 12);
}

TEST_F(ControllerTest, SettingsTabListsRatesAndSelectsThePageRate)
{
    WifiscopeSim sim({QStringLiteral("--fps"), QStringLiteral("15")});
    ASSERT_TRUE(sim.ready());
    ViewController controller(services(sim.address()));
    probe(controller);
    const WifiSettingsTab tab = controller.wifiSettingsTab();
    QStringList rates;
    for (int rate = 1; rate <= 30; ++rate)
        rates << QString::number(rate);
    EXPECT_EQ(tab.rates, rates);
    EXPECT_EQ(tab.rateSelected, 14);
    EXPECT_EQ(tab.resolutions.size(), 5);
    EXPECT_EQ(tab.resolutionSelected, 2);
    EXPECT_EQ(controller.wifiInitFps(), 15);
}

TEST_F(ControllerTest, ButtonCounterTakesAStillOnlyWhenItChanges)
{
    WifiscopeSim sim({QStringLiteral("--counter"), QStringLiteral("7")});
    ASSERT_TRUE(sim.ready());
    ViewController controller(services(sim.address()));
    QSignalSpy probed(&controller, &ViewController::deviceProbed);
    controller.viewDidLoad(); // the probe follows once the event loop runs
    ASSERT_TRUE(probed.wait(15000));
    EXPECT_EQ(controller.snapNumber(), 7);
    QSignalSpy stills(&controller, &ViewController::stillRequested);
    QSignalSpy led(&controller, &ViewController::snapshotLedChanged);
    controller.handleWifiPicture(picture());
    controller.Snapshot();
    ASSERT_EQ(led.count(), 1);
    EXPECT_TRUE(led.at(0).at(0).toBool());

    // "7\n" again: wait until the watcher has asked twice, and no still came.
    for (int i = 0; i < 100 && sim.state()[QStringLiteral("counter_reads")].toInt() < 3; ++i)
        stills.wait(50);
    EXPECT_GE(sim.state()[QStringLiteral("counter_reads")].toInt(), 3);
    EXPECT_EQ(stills.count(), 0);

    sim.pressButton(); // "8\n"
    ASSERT_TRUE(stills.wait(10000));
    EXPECT_EQ(controller.snapNumber(), 8);
    EXPECT_EQ(stills.at(0).at(1).toInt(), 0);
    EXPECT_TRUE(stills.at(0).at(0).toString().startsWith(controller.pictureDirectory()));

    controller.Snapshot();
    EXPECT_FALSE(controller.isEnableSnapshot());
    EXPECT_FALSE(led.last().at(0).toBool());
}

TEST_F(ControllerTest, EveryFrameTheDeviceSendsIsShown)
{
    WifiscopeSim sim({QStringLiteral("--fps"), QStringLiteral("30"),
                      QStringLiteral("--stream-parts"), QStringLiteral("24")});
    ASSERT_TRUE(sim.ready());
    ViewController controller(services(sim.address()));
    QSignalSpy shown(&controller, &ViewController::pictureShown);
    controller.ConnectWiFiCamera();
    controller.ConnectWiFiCamera(); // a second click before the first picture opens nothing
    EXPECT_TRUE(QTest::qWaitFor([&] { return controller.framesShown() >= 24; }, 15000));
    EXPECT_EQ(sim.state()[QStringLiteral("streams_opened")].toInt(), 1);
    EXPECT_EQ(sim.state()[QStringLiteral("parts_sent")].toInt(), 24);
    EXPECT_EQ(controller.framesShown(), 24u);
    EXPECT_EQ(shown.count(), 24);
    for (const auto &arguments : std::as_const(shown))
        EXPECT_EQ(arguments.at(0).value<QImage>().size(), QSize(1280, 720));
}

TEST_F(ControllerTest, WindowShowsTheStreamAndReconnectsAtTheChosenSize)
{
    WifiscopeSim sim({QStringLiteral("--resolution"), QStringLiteral("2"), QStringLiteral("--fps"),
                      QStringLiteral("10")});
    ASSERT_TRUE(sim.ready());
    OrbiluxWindow window(services(sim.address()));
    window.show();
    EXPECT_EQ(window.size(), QSize(1020, 720));
    EXPECT_EQ(window.ledButton().toolTip(), QStringLiteral("Snapshot disable"));

    window.tabView().setCurrentIndex(OrbiluxWindow::kSettingsTab);
    EXPECT_EQ(window.tabView().currentIndex(), OrbiluxWindow::kVideosTab); // no stream yet

    QSignalSpy shown(&window.controller(), &ViewController::pictureShown);
    window.wifiSegment().click();
    ASSERT_TRUE(shown.wait(15000));
    EXPECT_EQ(window.videoView().geometry(), QRect(205, 16, 800, 640));
    EXPECT_EQ(window.videoView().image().size(), QSize(1280, 720));

    window.tabView().setCurrentIndex(OrbiluxWindow::kSettingsTab);
    ASSERT_EQ(window.resolutionPopUp().count(), 5);
    EXPECT_EQ(window.ratePopUp().currentText(), QStringLiteral("10"));
    window.resolutionPopUp().setCurrentIndex(1);
    Q_EMIT window.resolutionPopUp().activated(1); // "2,MJPG,800,600": both sides change

    for (int i = 0; i < 200 && window.videoView().image().size() != QSize(800, 600); ++i)
        shown.wait(100);
    EXPECT_EQ(window.videoView().image().size(), QSize(800, 600));
    EXPECT_EQ(window.videoView().geometry(), QRect(205, 40, 800, 600));
}

} // namespace
