// Which camera the capture graph opens and keeps: the user's choice by identity, the next
// usable camera when one cannot be used, a healthy stream left alone by unrelated changes; why
// a camera does not stream (busy, short of USB bandwidth, with the smaller size that works);
// the format a driver adjusts and the frame interval negotiated for the station's rate.
#include "capture/video_cap_wnd.h"
#include "temp_home.h"

#include "converter_without_device.h"
#include "fake_v4l2_device.h"

#include <camera/synthetic/synthetic_camera.h>
#include <camera/v4l2/v4l2_camera.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace quelmar::station;
using namespace quelmar;

namespace {

CameraInfo cameraNamed(const char *name, const char *identity, const char *node)
{
    return {QString::fromLatin1(name), QStringLiteral("usb-x %1").arg(QLatin1StringView(node)),
            QString::fromLatin1(identity), QString::fromLatin1(node)};
}

// Cameras the test lists and opens as it likes: demo cameras by identity, or none (a node
// that cannot be opened or used).
class ScriptedBackend final : public CameraBackend {
public:
    std::vector<CameraInfo> list;
    std::map<QString, std::function<std::unique_ptr<Camera>()>> openers;
    std::vector<QString> opened; // identities, in the order they were opened
    CameraFault fault = CameraFault::None;

    std::vector<CameraInfo> enumerate() override { return list; }
    std::unique_ptr<Camera> open(const CameraInfo &camera) override
    {
        opened.push_back(camera.identity);
        const auto it = openers.find(camera.identity);
        return it == openers.end() ? nullptr : it->second();
    }
    CameraFault lastFault() const override { return fault; }

    void addDemo(const CameraInfo &info, std::shared_ptr<SyntheticCameraHub> hub)
    {
        list.push_back(info);
        openers[info.identity] = [hub] { return std::make_unique<SyntheticCamera>(hub); };
    }
};

// The demo camera's own sizes up to 2592 x 1944; small pictures keep the tests quick.
SyntheticCameraOptions fastCamera(bool allSizes = false)
{
    SyntheticCameraOptions options;
    if (!allSizes)
        options.formats = {{640, 480, PixelFormat::Yuyv}, {800, 600, PixelFormat::Mjpg}};
    options.framesPerSecond = [](int, int) { return 30; };
    return options;
}

class CameraChoiceTest : public ::testing::Test {
protected:
    test::TempHome home;
    CaptureState state;
    QString capConfig = home.file(QStringLiteral("CapConfig.dat"));
    ScriptedBackend backend;
    std::shared_ptr<SyntheticCameraHub> webcam = std::make_shared<SyntheticCameraHub>(fastCamera());
    std::shared_ptr<SyntheticCameraHub> scope = std::make_shared<SyntheticCameraHub>(fastCamera());
    const CameraInfo webcamInfo =
        cameraNamed("Integrated Webcam", "usb:0c45:6a0e:1", "/dev/video0");
    const CameraInfo scopeInfo = cameraNamed("USB Microscope", "usb:1b3f:2247:7", "/dev/video2");

    void SetUp() override
    {
        backend.addDemo(webcamInfo, webcam);
        backend.addDemo(scopeInfo, scope);
    }
    QString selected(const CVideoCapWnd &wnd) const
    {
        const int index = wnd.currentDeviceIndex();
        return index < 0 ? QString() : wnd.devices()[std::size_t(index)].handle.identity;
    }
};

TEST_F(CameraChoiceTest, ThePreferredCameraIsOpenedWhereverItIsListed)
{
    CVideoCapWnd wnd(&backend, state, capConfig);
    wnd.setPreferredIdentity(scopeInfo.identity);
    ASSERT_EQ(wnd.StartCapture(), CVideoCapWnd::StartOutcome::Running);
    EXPECT_EQ(selected(wnd), scopeInfo.identity);
    EXPECT_EQ(backend.opened, std::vector<QString>{scopeInfo.identity});

    // Plugged in again under another node, now listed first: still the one.
    wnd.ReleaseAll();
    backend.list = {cameraNamed("USB Microscope", "usb:1b3f:2247:7", "/dev/video4"), webcamInfo};
    backend.openers[scopeInfo.identity] = [hub = scope] {
        return std::make_unique<SyntheticCamera>(hub);
    };
    ASSERT_EQ(wnd.StartCapture(), CVideoCapWnd::StartOutcome::Running);
    EXPECT_EQ(selected(wnd), scopeInfo.identity);

    // Without it, the first usable camera; when it comes back, the stream is not kept.
    wnd.ReleaseAll();
    backend.list = {webcamInfo};
    ASSERT_EQ(wnd.StartCapture(), CVideoCapWnd::StartOutcome::Running);
    EXPECT_EQ(selected(wnd), webcamInfo.identity);
    backend.list = {webcamInfo, scopeInfo};
    EXPECT_FALSE(wnd.KeepsStreamAcrossRecheck());
    wnd.ReleaseAll();
}

TEST_F(CameraChoiceTest, AnUnusableFirstNodeGivesWayToTheNextCamera)
{
    // An infrared node, a loopback device or a node that vanished: nothing opens.
    backend.list.insert(backend.list.begin(),
                        cameraNamed("IR Camera", "usb:0c45:6a0e:1#2", "/dev/video0"));
    CVideoCapWnd wnd(&backend, state, capConfig);
    ASSERT_EQ(wnd.StartCapture(), CVideoCapWnd::StartOutcome::Running);
    EXPECT_EQ(selected(wnd), webcamInfo.identity);
    EXPECT_EQ(backend.opened.size(), 2U);

    // A camera that opens but fails to stream for a reason of its own gives way too.
    wnd.ReleaseAll();
    webcam->unplug();
    backend.opened.clear();
    ASSERT_EQ(wnd.StartCapture(), CVideoCapWnd::StartOutcome::Running);
    EXPECT_EQ(selected(wnd), scopeInfo.identity);
    wnd.ReleaseAll();
}

TEST_F(CameraChoiceTest, NoUsableCameraSaysWhyWhereKnown)
{
    backend.list = {cameraNamed("IR Camera", "usb:1:2:3", "/dev/video0")};
    CVideoCapWnd wnd(&backend, state, capConfig);
    EXPECT_EQ(wnd.StartCapture(), CVideoCapWnd::StartOutcome::NoCamera);
    backend.list.clear();
    backend.fault = CameraFault::NoPermission;
    EXPECT_EQ(wnd.StartCapture(), CVideoCapWnd::StartOutcome::NoCamera);
    EXPECT_EQ(wnd.fault(), CameraFault::NoPermission);
}

TEST_F(CameraChoiceTest, ABusyCameraIsReportedNotSkipped)
{
    SyntheticCameraOptions options = fastCamera();
    options.refuseStart = [](const CaptureFormat &) { return CameraFault::Busy; };
    auto busy = std::make_shared<SyntheticCameraHub>(options);
    backend.list.clear();
    backend.addDemo(scopeInfo, busy);
    backend.addDemo(webcamInfo, webcam);
    CVideoCapWnd wnd(&backend, state, capConfig);
    EXPECT_EQ(wnd.StartCapture(), CVideoCapWnd::StartOutcome::RunRefused);
    EXPECT_EQ(wnd.fault(), CameraFault::Busy);
    EXPECT_EQ(selected(wnd), scopeInfo.identity);
    EXPECT_TRUE(wnd.isConfigured());
    EXPECT_FALSE(wnd.KeepsStreamAcrossRecheck()) << "a refused camera is tried afresh";
    wnd.ReleaseAll();
}

TEST_F(CameraChoiceTest, ABandwidthFailureNamesTheLargestSmallerSizeThatStreams)
{
    SyntheticCameraOptions options = fastCamera(true);
    options.refuseStart = [](const CaptureFormat &f) {
        return f.width * f.height > 1280 * 960 ? CameraFault::NoBandwidth : CameraFault::None;
    };
    auto hub = std::make_shared<SyntheticCameraHub>(options);
    backend.list.clear();
    backend.addDemo(scopeInfo, hub);
    CVideoCapWnd wnd(&backend, state, capConfig);
    // Class 3: the high size 2592 x 1944 is too much for the bus.
    EXPECT_EQ(wnd.StartCapture(), CVideoCapWnd::StartOutcome::RunRefused);
    EXPECT_EQ(wnd.fault(), CameraFault::NoBandwidth);
    EXPECT_EQ(wnd.workingSmallerSize(), QSize(1280, 960));
    EXPECT_EQ(state.captureWidth, 2592) << "the size asked for stays: the user decides";

    EXPECT_TRUE(wnd.SetCaptureSize(1280, 960));
    EXPECT_EQ(wnd.fault(), CameraFault::None);
    EXPECT_FALSE(wnd.workingSmallerSize());
    EXPECT_TRUE(hub->streamsStarted() >= 2);

    // Nothing smaller streams either.
    SyntheticCameraOptions hopeless = fastCamera(true);
    hopeless.refuseStart = [](const CaptureFormat &) { return CameraFault::NoBandwidth; };
    backend.list.clear();
    backend.addDemo(scopeInfo, std::make_shared<SyntheticCameraHub>(hopeless));
    wnd.ReleaseAll();
    EXPECT_EQ(wnd.StartCapture(), CVideoCapWnd::StartOutcome::RunRefused);
    EXPECT_FALSE(wnd.workingSmallerSize());
    wnd.ReleaseAll();
}

TEST_F(CameraChoiceTest, AnUnrelatedCameraComingOrGoingLeavesTheStreamAlone)
{
    backend.list = {scopeInfo};
    CVideoCapWnd wnd(&backend, state, capConfig);
    ASSERT_EQ(wnd.StartCapture(), CVideoCapWnd::StartOutcome::Running);
    const int starts = scope->streamsStarted();
    backend.list = {webcamInfo, scopeInfo};
    EXPECT_TRUE(wnd.KeepsStreamAcrossRecheck());
    EXPECT_EQ(selected(wnd), scopeInfo.identity);
    backend.list = {scopeInfo};
    EXPECT_TRUE(wnd.KeepsStreamAcrossRecheck());
    EXPECT_EQ(scope->streamsStarted(), starts);
    EXPECT_TRUE(wnd.isRunning());

    // Its own removal is no unrelated change.
    backend.list = {webcamInfo};
    EXPECT_FALSE(wnd.KeepsStreamAcrossRecheck());
    wnd.ReleaseAll();
}

// A V4L2 camera that grants 1280 x 960 when asked for 1280 x 1024.
class AdjustingCamera : public ::testing::Test {
protected:
    test::TempHome home;
    CaptureState state;
    test::FakeV4l2Device device;
    ScriptedBackend backend;

    void SetUp() override
    {
        device.formats = {{V4L2_PIX_FMT_YUYV, {{640, 480}, {1280, 960}}},
                          {V4L2_PIX_FMT_MJPEG, {{640, 480}, {1280, 960}}}};
        const CameraInfo info = cameraNamed("Fake Microscope", "usb:1:2:3", "/dev/video0");
        backend.list = {info};
        backend.openers[info.identity] = [this, info] {
            return V4l2Camera::onDevice(info, device.bufferFile(), device.ioctl(),
                                        v4l2::fake::converterWithoutDevice());
        };
    }
};

TEST_F(AdjustingCamera, TheGrantedSizeIsTakenInMjpgAtTheStationsFrameRate)
{
    // Class 1 (widest 1280): the high size 1280 x 1024 asked for in MJPG, then YUYV.
    CVideoCapWnd wnd(&backend, state, home.file(QStringLiteral("CapConfig.dat")));
    ASSERT_EQ(wnd.StartCapture(), CVideoCapWnd::StartOutcome::Running);
    EXPECT_EQ(state.sensorClass, 1);
    EXPECT_EQ(device.current.width, 1280U);
    EXPECT_EQ(device.current.height, 960U);
    EXPECT_EQ(device.current.fourcc, std::uint32_t(V4L2_PIX_FMT_MJPEG))
        << "YUYV at the granted size would ask for more bandwidth";
    EXPECT_EQ(state.captureWidth, 1280);
    EXPECT_EQ(state.captureHeight, 960);
    // The station's rate for 1280 x 960 is 5 a second; the camera was asked for it.
    EXPECT_EQ(device.interval.numerator, 1U);
    EXPECT_EQ(device.interval.denominator, 5U);
    wnd.ReleaseAll();
}

TEST_F(AdjustingCamera, ACameraWithoutRateControlKeepsItsOwnRate)
{
    device.timePerFrame = false;
    CVideoCapWnd wnd(&backend, state, home.file(QStringLiteral("CapConfig.dat")));
    ASSERT_EQ(wnd.StartCapture(), CVideoCapWnd::StartOutcome::Running);
    EXPECT_EQ(device.count(VIDIOC_S_PARM), 0);
    EXPECT_EQ(device.interval.denominator, 30U);
    wnd.ReleaseAll();
}

} // namespace
