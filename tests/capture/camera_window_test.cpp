// The camera through the main window with demo cameras: the Video Setting dialog changing the
// picture, its device list and the choice kept across restarts; why a camera does not stream
// said in the status text; the stream left alone by unrelated changes, re-checked when it ends
// by itself, and not restarted by stills from the camera's button.
#include "base/command_ids.h"
#include "base/station_paths.h"
#include "capture/preview_widget.h"
#include "capture/video_cap_wnd.h"
#include "capture/video_setting_dlg.h"
#include "demo_station.h"

#include "converter_without_device.h"
#include "fake_v4l2_device.h"

#include <camera/multi_backend.h>
#include <camera/v4l2/v4l2_camera.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <atomic>

using namespace quelmar::station;
using namespace quelmar;

namespace {

// Mean of each channel (B, G, R) of a picture.
std::array<double, 3> channelMeans(Frame &frame)
{
    std::array<double, 3> sums{};
    for (std::size_t i = 0; i < frame.byteCount(); ++i)
        sums[i % 3] += frame.data()[i];
    const double pixels = double(frame.byteCount() / 3);
    return {sums[0] / pixels, sums[1] / pixels, sums[2] / pixels};
}

class CameraWindowTest : public ::testing::Test {
protected:
    explicit CameraWindowTest(SyntheticCameraOptions options = {}) : station(std::move(options)) {}

    test::DemoStation station;
    SyntheticCameraHub &hub = *station.hub;

    CScopeDeskDlg &window() { return *station.window; }
    // A window on other cameras, in the same home.
    void reopen(CameraBackend &cameras)
    {
        station.window.reset();
        station.window = std::make_unique<CScopeDeskDlg>(
            StationServices{&station.prompt, &station.sound, &station.monitor, &cameras});
    }

    // The picture of a frame the camera made after this call.
    Frame freshFrame()
    {
        const std::uint64_t after = hub.framesProduced() + 2;
        EXPECT_TRUE(QTest::qWaitFor([&] { return hub.framesProduced() >= after; }, 10000));
        Frame frame;
        EXPECT_TRUE(window().captureState().snapshot.copyTo(frame));
        return frame;
    }
    // Runs the Video Setting dialog; `use` acts in it while it is open.
    void inVideoSetting(const std::function<void(CVideoSettingDlg &)> &use)
    {
        bool opened = false;
        station.prompt.onDialog = [&](QDialog &dialog) {
            auto *settings = qobject_cast<CVideoSettingDlg *>(&dialog);
            if (!settings)
                return int(QDialog::Rejected);
            opened = true;
            use(*settings);
            return int(QDialog::Accepted);
        };
        window().onCommand(cmd::VideoSetting);
        station.prompt.onDialog = nullptr;
        EXPECT_TRUE(opened);
    }
};

TEST_F(CameraWindowTest, VideoSettingChangesTheLivePictureAtOnce)
{
    ASSERT_TRUE(window().isConnected());
    Frame before = freshFrame();
    const auto plain = channelMeans(before);
    inVideoSetting([&](CVideoSettingDlg &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Video Setting"));
        ASSERT_EQ(dialog.deviceList()->count(), 1);
        EXPECT_EQ(dialog.deviceList()->itemText(0), QStringLiteral("Quelmar Demo Microscope"));
        EXPECT_EQ(dialog.sizeList()->currentText(), QStringLiteral("640X480"));

        dialog.slider(0)->setValue(dialog.slider(0)->maximum()); // brightness
        EXPECT_EQ(dialog.valueBox(0)->text(), QStringLiteral(" 64"));
        Frame brighter = freshFrame();
        const auto lit = channelMeans(brighter);
        EXPECT_GT(lit[0] + lit[1] + lit[2], plain[0] + plain[1] + plain[2] + 3 * 30);
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_GE(lit[channel], plain[channel]) << channel;

        dialog.defaultButton()->click();
        EXPECT_EQ(dialog.valueBox(0)->text(), QStringLiteral("  0"));
        dialog.slider(5)->setValue(20); // hue, a quarter turn
        Frame turned = freshFrame();
        const auto hue = channelMeans(turned);
        // The warm background turns: red loses its lead over blue.
        EXPECT_GT(plain[2] - plain[0], 20.0);
        EXPECT_LT(hue[2] - hue[0], (plain[2] - plain[0]) / 2);
    });
}

TEST_F(CameraWindowTest, TheDialogShowsTheCamerasModesAndSteps)
{
    inVideoSetting([&](CVideoSettingDlg &dialog) {
        EXPECT_TRUE(dialog.whiteBalanceAuto()->isChecked());
        EXPECT_TRUE(dialog.exposureAuto()->isChecked());
        EXPECT_EQ(dialog.slider(6)->singleStep(), 10);
        // The spin buttons take the control's step.
        dialog.whiteBalanceAuto()->setChecked(false);
        const int before = hub.controls().state(CameraControl::WhiteBalance)->value;
        dialog.spinUp(0)->click();
        EXPECT_EQ(hub.controls().state(CameraControl::Brightness)->value, 1);
        dialog.slider(6)->setValue(before + 10);
        EXPECT_EQ(hub.controls().state(CameraControl::WhiteBalance)->value, before + 10);

        dialog.exposureAuto()->click();
        EXPECT_FALSE(dialog.exposureAuto()->isChecked());
        EXPECT_EQ(dialog.exposureValue()->text(), QStringLiteral("156"))
            << "the value the button wrote";
        EXPECT_EQ(hub.controls().state(CameraControl::Exposure), (ControlState{156, false}));
    });
}

TEST_F(CameraWindowTest, ACameraPickedInTheDialogIsKeptAcrossRestarts)
{
    // A second camera beside the demo camera, under an identity of its own.
    auto otherHub = std::make_shared<SyntheticCameraHub>();
    struct Other final : CameraBackend {
        std::shared_ptr<SyntheticCameraHub> hub;
        bool listed = true;
        std::vector<CameraInfo> enumerate() override
        {
            if (!listed)
                return {};
            return {{QStringLiteral("USB Microscope"), QStringLiteral("usb-1 /dev/video2"),
                     QStringLiteral("usb:1b3f:2247:7"), QStringLiteral("/dev/video2")}};
        }
        std::unique_ptr<Camera> open(const CameraInfo &) override
        {
            return std::make_unique<SyntheticCamera>(hub);
        }
    } other;
    other.hub = otherHub;
    other.listed = false;
    MultiBackend both({&station.backend, &other});
    reopen(both);
    ASSERT_TRUE(window().isConnected());

    inVideoSetting([&](CVideoSettingDlg &dialog) {
        ASSERT_EQ(dialog.deviceList()->count(), 1);
        // The microscope is plugged in while the dialog is open: the list follows.
        other.listed = true;
        Q_EMIT station.monitor.deviceChanged(DeviceChange::Arrived);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.deviceList()->count() == 2; }, 5000));
        EXPECT_EQ(dialog.deviceList()->currentIndex(), 0) << "the demo camera streams on";
        dialog.deviceList()->setCurrentIndex(1);
        Q_EMIT dialog.deviceList()->activated(1);
        EXPECT_EQ(dialog.deviceList()->currentIndex(), 1);
    });
    EXPECT_TRUE(window().isConnected());
    const std::uint64_t frames = otherHub->framesProduced();
    ASSERT_TRUE(QTest::qWaitFor([&] { return otherHub->framesProduced() > frames; }, 5000));

    // The next start opens the chosen camera though it is listed second.
    reopen(both);
    const CVideoCapWnd &capture = *window().capture();
    EXPECT_EQ(capture.devices()[std::size_t(capture.currentDeviceIndex())].handle.identity,
              QStringLiteral("usb:1b3f:2247:7"));
    station.window.reset();
}

TEST_F(CameraWindowTest, AnUnrelatedDeviceChangeLeavesTheStreamAlone)
{
    const int starts = hub.streamsStarted();
    Q_EMIT station.monitor.deviceChanged(DeviceChange::Arrived);
    Q_EMIT station.monitor.deviceChanged(DeviceChange::TreeChanged);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window().recheckCount() == 1; }, 5000));
    EXPECT_TRUE(window().isConnected());
    EXPECT_EQ(hub.streamsStarted(), starts);
    freshFrame();
}

// A driver error or a stalled camera ends the stream with no device notice at all (no udev):
// the window re-checks by itself and the picture comes back.
TEST_F(CameraWindowTest, AStreamThatEndsByItselfIsRecheckedWithoutANotice)
{
    const int starts = hub.streamsStarted();
    hub.failStream();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window().recheckCount() == 1; }, 5000));
    EXPECT_TRUE(window().isConnected());
    EXPECT_EQ(hub.streamsStarted(), starts + 1);
    EXPECT_TRUE(window().preview()->statusText().isEmpty());
    freshFrame();
}

TEST_F(CameraWindowTest, AStillFromTheCameraButtonDoesNotRestartTheStream)
{
    window().onCommand(cmd::SnapshotSwitch); // the camera's button on
    freshFrame();
    const int starts = hub.streamsStarted();
    QSignalSpy saved(&window(), &CScopeDeskDlg::stillSaved);
    for (int press = 0; press < 2; ++press) {
        hub.pressButton();
        ASSERT_TRUE(saved.wait(5000));
    }
    freshFrame();
    EXPECT_EQ(hub.streamsStarted(), starts);
}

SyntheticCameraOptions switchableCamera(std::shared_ptr<std::atomic<CameraFault>> fault)
{
    SyntheticCameraOptions options;
    options.refuseStart = [fault](const CaptureFormat &format) {
        // Only large sizes want more than the bus has; busy is busy at any size.
        const CameraFault now = fault->load();
        if (now == CameraFault::NoBandwidth && format.width <= 640)
            return CameraFault::None;
        return now;
    };
    return options;
}

class RefusingCameraTest : public CameraWindowTest {
protected:
    RefusingCameraTest() : CameraWindowTest(switchableCamera(fault)) {}
    static inline std::shared_ptr<std::atomic<CameraFault>> fault =
        std::make_shared<std::atomic<CameraFault>>(CameraFault::None);
    void TearDown() override { *fault = CameraFault::None; }
};

TEST_F(RefusingCameraTest, ABusyCameraSaysSoAndComesBackByItself)
{
    *fault = CameraFault::Busy;
    window().onCommand(cmd::Preview); // off
    window().onCommand(cmd::Preview); // on again: refused
    EXPECT_TRUE(window().isConnected());
    EXPECT_EQ(window().preview()->statusText(),
              QStringLiteral("The camera is used by another program. Close that program; the "
                             "picture comes back by itself."));
    *fault = CameraFault::None; // the other program lets go
    ASSERT_TRUE(QTest::qWaitFor([&] { return window().preview()->statusText().isEmpty(); }, 10000));
    freshFrame();
}

TEST_F(RefusingCameraTest, ABandwidthFailureNamesTheSizeThatWorks)
{
    *fault = CameraFault::NoBandwidth;
    window().onCommand(cmd::HighResolution); // 2592 x 1944, too much for the bus
    EXPECT_TRUE(window().isConnected());
    EXPECT_EQ(window().preview()->statusText(),
              QStringLiteral("Not enough USB bandwidth for 2592*1944. 640*480 works: choose it "
                             "in Video Setting."));
    inVideoSetting([&](CVideoSettingDlg &dialog) {
        const int entry = dialog.sizeList()->findText(QStringLiteral("640X480"));
        ASSERT_GE(entry, 0);
        Q_EMIT dialog.sizeList()->activated(entry);
    });
    EXPECT_TRUE(window().preview()->statusText().isEmpty());
    freshFrame();
}

class ButtonWithoutAccessTest : public CameraWindowTest {
protected:
    static SyntheticCameraOptions unreadableButton()
    {
        SyntheticCameraOptions options;
        options.buttonReadable = false;
        return options;
    }
    ButtonWithoutAccessTest() : CameraWindowTest(unreadableButton()) {}
};

TEST_F(ButtonWithoutAccessTest, AButtonTheUserMayNotReadIsReportedAndTheCameraStreams)
{
    ASSERT_FALSE(station.prompt.messages.empty());
    EXPECT_EQ(station.prompt.messages.front().text,
              QStringLiteral("Init 'PIN_CATEGORY_STILL' fail"));
    EXPECT_TRUE(window().isConnected());
    freshFrame();
}

TEST(CameraPermission, NodesTheUserMayNotOpenAreExplained)
{
    test::TempHome home;
    qputenv("SCOPEDESK_SHARE_DIR", home.path().toLocal8Bit());
    struct Denied final : CameraBackend {
        std::vector<CameraInfo> enumerate() override { return {}; }
        std::unique_ptr<Camera> open(const CameraInfo &) override { return nullptr; }
        CameraFault lastFault() const override { return CameraFault::NoPermission; }
    } denied;
    test::ScriptedPrompt prompt;
    test::RecordingSound sound;
    DeviceMonitor monitor;
    CScopeDeskDlg window(StationServices{&prompt, &sound, &monitor, &denied});
    EXPECT_FALSE(window.isConnected());
    EXPECT_EQ(window.preview()->statusText(),
              QStringLiteral("No permission to open the camera. Log in at the computer or join "
                             "the video group."));
}

// A camera without exposure control (the camera-control interface): only the exposure
// controls are disabled; without any properties every row is; the lists are filled either way.
TEST(VideoSettingDialog, MissingPropertiesDisableOnlyTheirControls)
{
    test::TempHome home;
    test::FakeV4l2Device device;
    device.controls = test::typicalControls();
    device.controls.erase(V4L2_CID_EXPOSURE_ABSOLUTE);
    device.controls.erase(V4L2_CID_EXPOSURE_AUTO);
    struct Fake final : CameraBackend {
        test::FakeV4l2Device *device = nullptr;
        CameraInfo info{QStringLiteral("Fake Microscope"), QStringLiteral("usb-1 /dev/video0"),
                        QStringLiteral("usb:1:2:3"), QStringLiteral("/dev/video0")};
        std::vector<CameraInfo> enumerate() override { return {info}; }
        std::unique_ptr<Camera> open(const CameraInfo &) override
        {
            return V4l2Camera::onDevice(info, device->bufferFile(), device->ioctl(),
                                        v4l2::fake::converterWithoutDevice());
        }
    } backend;
    backend.device = &device;
    CaptureState state;
    CVideoCapWnd capture(&backend, state, home.file(QStringLiteral("CapConfig.dat")));
    ASSERT_EQ(capture.StartCapture(), CVideoCapWnd::StartOutcome::Running);
    CVideoSettingDlg::Context context;
    context.capture = &capture;
    context.state = &state;
    {
        CVideoSettingDlg dialog(context);
        EXPECT_EQ(dialog.deviceList()->count(), 1);
        EXPECT_EQ(dialog.sizeList()->count(), 2);
        for (int row = 0; row < int(kPropertyRows.size()); ++row)
            EXPECT_TRUE(dialog.slider(row)->isEnabled()) << row;
        EXPECT_FALSE(dialog.exposureSlider()->isEnabled());
        EXPECT_FALSE(dialog.exposureAuto()->isEnabled());
    }
    device.controls.clear();
    CVideoSettingDlg bare(context);
    for (int row = 0; row < int(kPropertyRows.size()); ++row)
        EXPECT_FALSE(bare.slider(row)->isEnabled()) << row;
    EXPECT_EQ(bare.deviceList()->count(), 1);
    EXPECT_EQ(bare.sizeList()->count(), 2);

    // The camera goes while the dialog shows it: a move reaches no camera, the rows follow.
    device.controls = test::typicalControls();
    CVideoSettingDlg dialog(context);
    ASSERT_TRUE(dialog.slider(0)->isEnabled());
    capture.ReleaseAll();
    device.written.clear();
    dialog.slider(0)->setValue(30);
    EXPECT_TRUE(device.written.empty());
    EXPECT_FALSE(dialog.slider(0)->isEnabled());
}

} // namespace
