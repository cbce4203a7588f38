// A V4L2 camera on a played device: why a start fails, the frame interval it negotiates, the
// format the driver grants, and streams that end by themselves (pulled out, or a callback that
// throws) reaching the owner once, with the reason.
#include "camera/v4l2/v4l2_camera.h"

#include "converter_without_device.h"
#include "cross_thread_count.h"
#include "fake_v4l2_device.h"

#include <gtest/gtest.h>

#include <new>
#include <ostream>

namespace quelmar {
namespace {

using test::FakeV4l2Device;

std::unique_ptr<V4l2Camera> cameraOn(FakeV4l2Device &device)
{
    CameraInfo info{QStringLiteral("Fake Microscope"), QStringLiteral("usb-1 /dev/video0"),
                    QStringLiteral("usb:1b3f:2247:1"), QStringLiteral("/dev/video0")};
    return V4l2Camera::onDevice(std::move(info), device.bufferFile(), device.ioctl(),
                                v4l2::fake::converterWithoutDevice());
}

struct StartCase {
    const char *name;
    unsigned long request;
    int error;
    CameraFault fault;
};

void PrintTo(const StartCase &c, std::ostream *out)
{
    *out << c.name;
}

class StartFailure : public testing::TestWithParam<StartCase> {};

TEST_P(StartFailure, SaysWhyAndLeavesTheCameraReadyToTryAgain)
{
    FakeV4l2Device device;
    const auto camera = cameraOn(device);
    ASSERT_NE(camera, nullptr);
    device.errors[GetParam().request] = GetParam().error;
    EXPECT_FALSE(camera->start([](FrameView, double) {}, [] {}));
    EXPECT_EQ(camera->fault(), GetParam().fault);
    EXPECT_FALSE(camera->isStreaming());
    EXPECT_FALSE(camera->hasEnded());

    // Once the cause is gone, the same camera streams.
    device.errors.clear();
    ASSERT_TRUE(camera->start([](FrameView, double) {}, [] {}));
    EXPECT_EQ(camera->fault(), CameraFault::None);
    camera->stop();
    EXPECT_FALSE(device.streaming);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, StartFailure,
    testing::Values(
        StartCase{"AnotherProgramOwnsTheQueue", VIDIOC_REQBUFS, EBUSY, CameraFault::Busy},
        StartCase{"HostControllerOutOfBandwidth", VIDIOC_STREAMON, ENOSPC,
                  CameraFault::NoBandwidth},
        StartCase{"NoAlternateSettingFastEnough", VIDIOC_STREAMON, EIO, CameraFault::NoBandwidth},
        StartCase{"StreamingRefused", VIDIOC_STREAMON, EACCES, CameraFault::NoPermission},
        StartCase{"UnknownTrouble", VIDIOC_QBUF, EINVAL, CameraFault::Failed}),
    [](const testing::TestParamInfo<StartCase> &info) { return info.param.name; });

TEST(StreamFault, OnlyStreamOnsIoErrorMeansBandwidth)
{
    EXPECT_EQ(v4l2::streamFault(VIDIOC_REQBUFS, EIO), CameraFault::Failed);
    EXPECT_EQ(v4l2::streamFault(VIDIOC_S_FMT, ENOSPC), CameraFault::NoBandwidth);
    EXPECT_EQ(v4l2::streamFault(VIDIOC_S_FMT, EBUSY), CameraFault::Busy);
    EXPECT_EQ(v4l2::streamFault(VIDIOC_STREAMON, ENODEV), CameraFault::Gone);
}

TEST(V4l2CameraFormat, ADriverAdjustedSizeIsReportedAndKept)
{
    FakeV4l2Device device;
    const auto camera = cameraOn(device);
    EXPECT_FALSE(camera->setFormat({1280, 1024, PixelFormat::Mjpg}));
    EXPECT_EQ(camera->currentFormat(), (CaptureFormat{1280, 960, PixelFormat::Mjpg}));
    EXPECT_TRUE(camera->setFormat({640, 480, PixelFormat::Yuyv}));

    device.errors[VIDIOC_S_FMT] = EBUSY; // another program streams from it
    EXPECT_FALSE(camera->setFormat({1280, 960, PixelFormat::Mjpg}));
    EXPECT_EQ(camera->fault(), CameraFault::Busy);
}

TEST(V4l2CameraFormat, TheFrameIntervalIsNegotiatedWhereTheDriverAllows)
{
    FakeV4l2Device device;
    const auto camera = cameraOn(device);
    EXPECT_EQ(camera->setFrameInterval({1, 5}), (FrameInterval{1, 5}));
    // The nearest rate the camera has.
    EXPECT_EQ(camera->setFrameInterval({1, 11}), (FrameInterval{1, 15}));
    EXPECT_EQ(device.count(VIDIOC_S_PARM), 2);
    EXPECT_FALSE(camera->setFrameInterval({0, 5}));

    ASSERT_TRUE(camera->start([](FrameView, double) {}, [] {}));
    EXPECT_FALSE(camera->setFrameInterval({1, 30})) << "not while streaming";
    camera->stop();

    device.timePerFrame = false;
    EXPECT_FALSE(camera->setFrameInterval({1, 30}));
    EXPECT_EQ(device.count(VIDIOC_S_PARM), 2);
}

TEST(V4l2CameraFormat, StallTimeoutCoversSlowFramesAndLongExposures)
{
    EXPECT_EQ(v4l2::stallTimeoutMs({}, 0), 5000);
    EXPECT_EQ(v4l2::stallTimeoutMs({1, 30}, 0), 5000);
    EXPECT_EQ(v4l2::stallTimeoutMs({2, 1}, 0), 8000);      // one frame every two seconds
    EXPECT_EQ(v4l2::stallTimeoutMs({1, 30}, 30000), 9000); // three-second exposure
}

// Frames small enough for the played buffers.
void makeSmall(FakeV4l2Device &device)
{
    device.formats = {{V4L2_PIX_FMT_YUYV, {{32, 16}}}};
    device.current = {32, 16, V4L2_PIX_FMT_YUYV};
}

TEST(V4l2CameraStream, APulledCameraEndsTheStreamOnceAndSaysSo)
{
    FakeV4l2Device device;
    makeSmall(device);
    device.frames = {0, 1};
    device.afterFrames = ENODEV;
    const auto camera = cameraOn(device);
    test::CrossThreadCount end;
    int frames = 0;
    ASSERT_TRUE(camera->start([&](FrameView, double) { ++frames; }, [] {}, [&] { end.add(); }));
    ASSERT_TRUE(end.waitFor(1));
    camera->stop();
    EXPECT_EQ(frames, 2);
    EXPECT_EQ(camera->fault(), CameraFault::Gone);
    EXPECT_TRUE(camera->hasEnded());
    EXPECT_FALSE(camera->start([](FrameView, double) {}, [] {}));
    EXPECT_EQ(end.value(), 1);
}

TEST(V4l2CameraStream, AnExceptionInAFrameCallbackEndsTheStreamNotTheProgram)
{
    FakeV4l2Device device;
    makeSmall(device);
    device.frames = {0, 1, 2};
    const auto camera = cameraOn(device);
    test::CrossThreadCount end;
    ASSERT_TRUE(camera->start([](FrameView, double) { throw std::bad_alloc(); }, [] {},
                              [&] { end.add(); }));
    ASSERT_TRUE(end.waitFor(1));
    camera->stop();
    EXPECT_EQ(camera->fault(), CameraFault::Failed);
    EXPECT_FALSE(camera->isStreaming());
    EXPECT_EQ(device.frames.size(), 2U) << "no frame after the failure";
}

} // namespace
} // namespace quelmar
