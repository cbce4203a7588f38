// Orbilux with USB cameras (the demo camera): connecting and its guards, the layout rule,
// format and rate changes, choosing another camera, a camera pulled out, the adjustment
// sliders and their default button for both kinds of camera.
#include "cross_thread_count.h"
#include "viewer_test_support.h"
#include "wifiscope_sim.h"

#include "app/j_video_view.h"
#include "app/orbilux_window.h"
#include "app/settings_tab.h"
#include "app/view_controller.h"
#include "camera/synthetic/synthetic_camera.h"
#include "device/usb_link.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QJsonArray>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

#include <mutex>

namespace {

using namespace quelmar;
using namespace quelmar::viewer;

SyntheticCameraOptions demoOptions()
{
    SyntheticCameraOptions options;
    options.formats = {{640, 480, PixelFormat::Yuyv},
                       {1280, 720, PixelFormat::Mjpg},
                       {1280, 960, PixelFormat::Mjpg}};
    options.framesPerSecond = [](int, int) { return 30; };
    options.frameRates = [](int, int) { return std::vector<int>{30, 15}; };
    return options;
}

// Lets frames through while an allowance lasts and counts those it let through, so that a test
// can hold the main thread while a known number of frames arrive.
class FrameGate {
public:
    void allow(int frames)
    {
        const std::lock_guard lock(mutex_);
        allowance_ += frames;
    }
    bool take()
    {
        const std::lock_guard lock(mutex_);
        if (allowance_ == 0)
            return false;
        --allowance_;
        return true;
    }
    quelmar::test::CrossThreadCount passed;

private:
    std::mutex mutex_;
    int allowance_ = 0;
};

// A demo camera under a name of its own, so that two can be listed side by side; its frames go
// through `gate` when one is given.
class NamedCamera final : public Camera {
public:
    NamedCamera(std::unique_ptr<Camera> inner, CameraInfo info, FrameGate *gate = nullptr)
        : inner_(std::move(inner)), info_(std::move(info)), gate_(gate)
    {}
    const CameraInfo &info() const override { return info_; }
    std::vector<CaptureFormat> formats() const override { return inner_->formats(); }
    bool setFormat(const CaptureFormat &format) override { return inner_->setFormat(format); }
    CaptureFormat currentFormat() const override { return inner_->currentFormat(); }
    bool hasButton() const override { return false; }
    bool start(FrameCallback onFrame, ButtonCallback onButton, StreamEndCallback onEnd) override
    {
        if (gate_) {
            onFrame = [gate = gate_, onFrame = std::move(onFrame)](FrameView frame, double at) {
                if (!gate->take())
                    return;
                onFrame(frame, at);
                gate->passed.add();
            };
        }
        return inner_->start(std::move(onFrame), std::move(onButton), std::move(onEnd));
    }
    void stop() override { inner_->stop(); }
    bool isStreaming() const override { return inner_->isStreaming(); }
    CameraFault fault() const override { return inner_->fault(); }

private:
    std::unique_ptr<Camera> inner_;
    CameraInfo info_;
    FrameGate *gate_;
};

class GatedCameras final : public CameraBackend {
public:
    GatedCameras(std::shared_ptr<SyntheticCameraHub> hub, FrameGate *gate)
        : demo_(std::move(hub)), gate_(gate)
    {}
    std::vector<CameraInfo> enumerate() override { return demo_.enumerate(); }
    std::unique_ptr<Camera> open(const CameraInfo &camera) override
    {
        return std::make_unique<NamedCamera>(demo_.open(camera), camera, gate_);
    }

private:
    SyntheticBackend demo_;
    FrameGate *gate_;
};

class TwoCameras final : public CameraBackend {
public:
    TwoCameras(std::shared_ptr<SyntheticCameraHub> a, std::shared_ptr<SyntheticCameraHub> b)
        : hubs_{std::move(a), std::move(b)}
    {}
    std::vector<CameraInfo> enumerate() override { return {info(0), info(1)}; }
    std::unique_ptr<Camera> open(const CameraInfo &camera) override
    {
        const int which = camera.identity == info(1).identity ? 1 : 0;
        return std::make_unique<NamedCamera>(std::make_unique<SyntheticCamera>(hubs_[which]),
                                             info(which));
    }
    static CameraInfo info(int which)
    {
        const QString id = QStringLiteral("cam:%1").arg(which);
        return {QStringLiteral("Camera %1").arg(which), id, id, id};
    }

private:
    std::shared_ptr<SyntheticCameraHub> hubs_[2];
};

class UsbTest : public ::testing::Test {
protected:
    ViewerServices services(CameraBackend *cameras,
                            const DeviceAddress &device = quelmar::test::closedAddress())
    {
        ViewerServices s{&prompt_, &network_, device};
        s.cameras = cameras;
        return s;
    }
    // Waits for the next picture shown and answers whether one came.
    static bool nextPicture(ViewController &controller)
    {
        QSignalSpy shown(&controller, &ViewController::pictureShown);
        return shown.wait(5000);
    }

    quelmar::test::ViewerHome home_;
    quelmar::test::ScriptedViewerPrompt prompt_;
    FixedWifiNetwork network_{std::nullopt};
    std::shared_ptr<SyntheticCameraHub> hub_ = std::make_shared<SyntheticCameraHub>(demoOptions());
    SyntheticBackend demo_{hub_};
};

TEST_F(UsbTest, OneLinkAtATimeWhateverIsPressed)
{
    ViewController controller(services(&demo_));
    controller.ConnectUSBCamera();
    controller.ConnectUSBCamera(); // before the first frame: the camera is opening
    EXPECT_EQ(hub_->streamsStarted(), 1);
    controller.ConnectWiFiCamera(); // off the device's network this would alert
    EXPECT_TRUE(prompt_.alerts.isEmpty());
    ASSERT_TRUE(nextPicture(controller));
    EXPECT_EQ(controller.camera_stype(), kUsbCamera);
    controller.ConnectUSBCamera();
    EXPECT_EQ(hub_->streamsStarted(), 1);

    // A Wi-Fi connection under way blocks USB in turn.
    network_.setName(QStringLiteral("AIRLOUPE01"));
    auto wifiHub = std::make_shared<SyntheticCameraHub>(demoOptions());
    SyntheticBackend wifiDemo(wifiHub);
    ViewController wifiFirst(services(&wifiDemo));
    wifiFirst.ConnectWiFiCamera(); // probes in the background first
    wifiFirst.ConnectUSBCamera();
    EXPECT_EQ(wifiHub->streamsStarted(), 0);

    // Without any camera the USB choice is silently nothing.
    hub_->unplug();
    ViewController none(services(&demo_));
    none.ConnectUSBCamera();
    EXPECT_FALSE(none.usbLinkActive());
    EXPECT_EQ(prompt_.alerts.size(), 0);
}

TEST_F(UsbTest, LayoutFollowsEitherSideOfTheAppliedFormat)
{
    ViewController controller(services(&demo_));
    QSignalSpy laidOut(&controller, &ViewController::viewGeometryChanged);
    controller.ConnectUSBCamera();
    ASSERT_TRUE(nextPicture(controller));
    EXPECT_EQ(laidOut.count(), 0); // 640 x 480 is what the view starts with
    const UsbSettingsTab tab = controller.usbSettingsTab();
    EXPECT_EQ(tab.devices, QStringList{QStringLiteral("Quelmar Demo Microscope")});
    EXPECT_EQ(tab.formats, (QStringList{QStringLiteral("YUYV 4:2:2, 640 x 480"),
                                        QStringLiteral("Motion-JPEG, 1280 x 720"),
                                        QStringLiteral("Motion-JPEG, 1280 x 960")}));
    EXPECT_EQ(tab.formatSelected, 0);

    controller.setVideoDeviceFormat(1);
    EXPECT_EQ(controller.newVideoWidth(), 1280);
    EXPECT_EQ(controller.newVideoHeight(), 720);
    ASSERT_TRUE(nextPicture(controller));
    EXPECT_EQ(controller.viewGeometry(), QRect(205, 16, 800, 640));
    controller.TakeRecord();
    EXPECT_EQ(prompt_.alerts, QStringList{QStringLiteral("Please set resolution to 640x480")});

    // Only the height changes: the view is laid out anew all the same.
    controller.setVideoDeviceFormat(2);
    ASSERT_TRUE(nextPicture(controller));
    EXPECT_EQ(controller.viewGeometry(), QRect(205, 40, 800, 600));
    EXPECT_EQ(laidOut.count(), 2);
    EXPECT_EQ(controller.usbSettingsTab().formatSelected, 2);
}

TEST_F(UsbTest, FormatsAndRatesChangeOnlyWhenTheCameraTakesThem)
{
    SyntheticCameraOptions options = demoOptions();
    options.refuseStart = [](const CaptureFormat &format) {
        return format.height == 960 ? CameraFault::NoBandwidth : CameraFault::None;
    };
    auto hub = std::make_shared<SyntheticCameraHub>(options);
    SyntheticBackend backend(hub);
    ViewController controller(services(&backend));
    controller.ConnectUSBCamera();
    ASSERT_TRUE(nextPicture(controller));

    UsbSettingsTab tab = controller.usbSettingsTab();
    EXPECT_EQ(tab.rates, (QStringList{QStringLiteral("FPS: 30.00"), QStringLiteral("FPS: 15.00")}));
    EXPECT_EQ(tab.rateSelected, 0);
    controller.setFrameRateRange(1);
    EXPECT_EQ(controller.usbSettingsTab().rateSelected, 1);
    controller.setFrameRateRange(7); // no range of this format: nothing
    EXPECT_EQ(controller.usbSettingsTab().rateSelected, 1);
    EXPECT_EQ(hub->streamsStarted(), 2);

    // The camera cannot stream 1280 x 960: the old format goes on, and the user is told.
    controller.setVideoDeviceFormat(2);
    ASSERT_EQ(prompt_.alerts.size(), 1);
    EXPECT_TRUE(prompt_.alerts.front().contains(QStringLiteral("1280 x 960")));
    EXPECT_TRUE(prompt_.alerts.front().contains(QStringLiteral("USB connection")));
    EXPECT_EQ(controller.newVideoWidth(), 640);
    EXPECT_EQ(controller.newVideoHeight(), 480);
    EXPECT_TRUE(controller.usbLinkActive());
    ASSERT_TRUE(nextPicture(controller));
    EXPECT_EQ(controller.usbSettingsTab().formatSelected, 0);

    EXPECT_EQ(UsbLink::rateTitle(7.5, 30), QStringLiteral("FPS: 7.50-30.00"));
}

TEST_F(UsbTest, AnotherCameraStartsBeforeTheOldOneStops)
{
    SyntheticCameraOptions busy = demoOptions();
    bool refuse = true;
    busy.refuseStart = [&refuse](const CaptureFormat &) {
        return refuse ? CameraFault::Busy : CameraFault::None;
    };
    auto first = std::make_shared<SyntheticCameraHub>(demoOptions());
    auto second = std::make_shared<SyntheticCameraHub>(busy);
    TwoCameras cameras(first, second);
    ViewController controller(services(&cameras));
    controller.ConnectUSBCamera();
    ASSERT_TRUE(nextPicture(controller));
    ASSERT_EQ(controller.usbSettingsTab().devices.size(), 2);

    controller.setSelectedVideoDevice(1); // busy: the first camera goes on
    ASSERT_EQ(prompt_.alerts.size(), 1);
    EXPECT_TRUE(prompt_.alerts.front().contains(QStringLiteral("another program")));
    const std::uint64_t before = first->framesProduced();
    ASSERT_TRUE(nextPicture(controller));
    EXPECT_GT(first->framesProduced(), before);
    EXPECT_EQ(controller.usbSettingsTab().deviceSelected, 0);

    refuse = false;
    controller.setSelectedVideoDevice(1);
    EXPECT_EQ(controller.usbSettingsTab().deviceSelected, 1);
    ASSERT_TRUE(nextPicture(controller));
    const std::uint64_t stopped = first->framesProduced();
    ASSERT_TRUE(nextPicture(controller));
    EXPECT_EQ(first->framesProduced(), stopped);

    controller.setSelectedVideoDevice(1); // the same camera again: restarted
    EXPECT_EQ(second->streamsStarted(), 2);
    EXPECT_TRUE(nextPicture(controller));
}

TEST_F(UsbTest, PulledOutCameraEndsTheLinkAndTheRecording)
{
    ViewController controller(services(&demo_));
    controller.viewDidLoad();
    controller.ConnectUSBCamera();
    ASSERT_TRUE(nextPicture(controller));
    QSignalSpy finished(&controller.recorder(), &VideoRecorder::recordingFinished);
    controller.TakeRecord();
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(nextPicture(controller));

    QSignalSpy status(&controller, &ViewController::statusTextChanged);
    hub_->unplug();
    ASSERT_TRUE(status.wait(5000));
    EXPECT_TRUE(controller.statusText().contains(QStringLiteral("unplugged")));
    EXPECT_TRUE(controller.statusText().contains(QStringLiteral("Click USB")));
    EXPECT_FALSE(controller.usbLinkActive());
    EXPECT_EQ(controller.recorder().recordcapture(), VideoRecorder::kIdle);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_TRUE(finished.front().at(1).toBool());
    EXPECT_EQ(controller.camera_stype(), kNoCamera);

    hub_->replug();
    controller.ConnectUSBCamera();
    EXPECT_TRUE(nextPicture(controller));
    EXPECT_EQ(controller.camera_stype(), kUsbCamera);
}

TEST_F(UsbTest, AStalledWindowHoldsOnlyAFewPictures)
{
    FrameGate gate;
    GatedCameras cameras(hub_, &gate);
    UsbLink link(&cameras);
    QSignalSpy arrived(&link, &UsbLink::pictureArrived);
    gate.allow(12);
    ASSERT_TRUE(link.connectFirst());
    // The main thread takes nothing while twelve frames come in.
    ASSERT_TRUE(gate.passed.waitFor(12));
    QCoreApplication::processEvents();
    EXPECT_EQ(arrived.count(), UsbLink::kMaxPicturesInFlight);

    // Once the window has taken them, pictures flow again.
    gate.allow(1);
    EXPECT_TRUE(arrived.wait(5000));
    EXPECT_EQ(arrived.count(), UsbLink::kMaxPicturesInFlight + 1);
}

TEST_F(UsbTest, UsbSlidersAdjustThePictureAndDefaultClearsThem)
{
    OrbiluxWindow window(services(&demo_));
    ViewController &controller = window.controller();
    QSignalSpy shown(&controller, &ViewController::pictureShown);
    window.usbSegment().click();
    ASSERT_TRUE(shown.wait(5000));
    window.tabView().setCurrentIndex(OrbiluxWindow::kSettingsTab);
    SettingsTab &tab = window.settingsTab();
    EXPECT_FALSE(tab.usbGroup().isHidden());
    EXPECT_TRUE(tab.wifiGroup().isHidden());
    EXPECT_EQ(tab.usbFormatPopUp().count(), 3);
    EXPECT_EQ(tab.usbRatePopUp().currentText(), QStringLiteral("FPS: 30.00"));

    // Showing the tab set nothing.
    EXPECT_FALSE(controller.adjustments().usbAdjustments().any());
    QSlider &hue = tab.adjustmentSlider(Adjustment::Hue);
    EXPECT_EQ(hue.minimum(), -3141);
    EXPECT_EQ(hue.maximum(), 3141);
    EXPECT_EQ(tab.adjustmentSlider(Adjustment::Gamma).value(), 1000);

    hue.setValue(1000);
    tab.adjustmentSlider(Adjustment::Sharpness).setValue(400);
    const PictureAdjustments set = controller.adjustments().usbAdjustments();
    EXPECT_TRUE(set.hueSet);
    EXPECT_FLOAT_EQ(set.hue, 1.0f);
    EXPECT_FALSE(set.brightnessSet || set.contrastSet || set.saturationSet || set.gammaSet);
    EXPECT_FALSE(controller.adjustments().usbFlag(Adjustment::Sharpness));

    tab.adjustmentSlider(Adjustment::Contrast).setValue(2500);
    tab.adjustmentSlider(Adjustment::Gamma).setValue(3000);
    tab.defaultButton().click();
    EXPECT_FALSE(controller.adjustments().usbAdjustments().any());
    EXPECT_EQ(tab.adjustmentSlider(Adjustment::Gamma).value(), 1000);
    EXPECT_EQ(tab.adjustmentSlider(Adjustment::Contrast).value(), 1000);
    EXPECT_EQ(tab.adjustmentSlider(Adjustment::Saturation).value(), 1000);
    EXPECT_EQ(hue.value(), 0);

    // Going off screen (minimised, hidden) stops nothing; closing the window stops the camera.
    window.show();
    window.hide();
    ASSERT_TRUE(shown.wait(5000));
    EXPECT_TRUE(controller.usbLinkActive());
    window.close();
    EXPECT_FALSE(controller.usbLinkActive());
}

TEST_F(UsbTest, WifiSlidersSendCommandsAndKeepTheirValues)
{
    quelmar::test::WifiscopeSim sim;
    ASSERT_TRUE(sim.ready());
    network_.setName(QStringLiteral("AIRLOUPE01"));
    OrbiluxWindow window(services(&demo_, sim.address()));
    ViewController &controller = window.controller();
    QSignalSpy shown(&controller, &ViewController::pictureShown);
    window.wifiSegment().click();
    ASSERT_TRUE(shown.wait(15000));
    window.usbSegment().click(); // the Wi-Fi link runs
    EXPECT_EQ(hub_->streamsStarted(), 0);

    window.tabView().setCurrentIndex(OrbiluxWindow::kSettingsTab);
    SettingsTab &tab = window.settingsTab();
    EXPECT_FALSE(tab.wifiGroup().isHidden());
    EXPECT_TRUE(tab.usbGroup().isHidden());
    const viewer::CameraControls records = controller.wifiSettingsTab().controls;
    ASSERT_NE(records.brightness.id, records.sharpness.id); // the page gave the records
    QSlider &brightness = tab.adjustmentSlider(Adjustment::Brightness);
    EXPECT_EQ(brightness.minimum(), records.brightness.minimum);
    EXPECT_EQ(brightness.maximum(), records.brightness.maximum);
    EXPECT_EQ(brightness.value(), records.brightness.current);
    EXPECT_TRUE(sim.state()[QStringLiteral("commands")].toArray().isEmpty());

    const int moved = records.brightness.current == records.brightness.maximum
                          ? records.brightness.minimum
                          : records.brightness.maximum;
    brightness.setValue(moved);
    window.tabView().setCurrentIndex(OrbiluxWindow::kVideosTab);
    window.tabView().setCurrentIndex(OrbiluxWindow::kSettingsTab);
    EXPECT_EQ(brightness.value(), moved);

    tab.defaultButton().click();
    const QJsonArray commands = sim.state()[QStringLiteral("commands")].toArray();
    const CameraPropertyInfo order[] = {records.brightness, records.contrast, records.saturation,
                                        records.hue,        records.gamma,    records.sharpness};
    ASSERT_EQ(commands.size(), 7);
    EXPECT_EQ(commands[0][QStringLiteral("id")].toInt(), records.brightness.id);
    EXPECT_EQ(commands[0][QStringLiteral("value")].toInt(), moved);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(commands[i + 1][QStringLiteral("id")].toInt(), order[i].id) << i;
        EXPECT_EQ(commands[i + 1][QStringLiteral("value")].toInt(), order[i].defaultValue) << i;
    }
    EXPECT_EQ(brightness.value(), records.brightness.defaultValue);
}

} // namespace
