// The demo camera as a stand-in for real ones: its picture controls visibly change its
// picture, and it refuses to stream, fails mid-stream or survives a throwing callback the way
// the station must cope with.
#include "camera/synthetic/synthetic_camera.h"
#include "cross_thread_count.h"

#include <gtest/gtest.h>

#include <new>

namespace quelmar {
namespace {

// A picture with a grey, a red, a green and a blue quarter, in BGR.
Frame quarters()
{
    Frame frame(8, 2);
    const std::uint8_t colours[4][3] = {
        {128, 128, 128}, {40, 40, 200}, {40, 200, 40}, {200, 40, 40}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x)
            std::copy(colours[x / 2], colours[x / 2] + 3, frame.view().row(y) + x * 3);
    return frame;
}

double mean(Frame &frame)
{
    double sum = 0;
    for (std::size_t i = 0; i < frame.byteCount(); ++i)
        sum += frame.data()[i];
    return sum / double(frame.byteCount());
}

class PictureControls : public testing::Test {
protected:
    Frame adjusted()
    {
        Frame frame = quarters();
        adjuster.apply(controls.snapshot(), frame.view());
        return frame;
    }
    SyntheticControls controls;
    PictureAdjuster adjuster;
};

TEST_F(PictureControls, DefaultsLeaveThePictureAlone)
{
    Frame original = quarters();
    Frame frame = adjusted();
    EXPECT_TRUE(std::equal(frame.data(), frame.data() + frame.byteCount(), original.data()));
}

TEST_F(PictureControls, BrightnessAndExposureLightenTheWholePicture)
{
    Frame original = quarters();
    ASSERT_EQ(controls.setValue(CameraControl::Brightness, 64), ControlWrite::Done);
    Frame brighter = adjusted();
    EXPECT_GT(mean(brighter), mean(original) + 40);
    ASSERT_EQ(controls.setValue(CameraControl::Brightness, 0), ControlWrite::Done);
    ASSERT_EQ(controls.setAutomatic(CameraControl::Exposure, false, 40), ControlWrite::Done);
    Frame darker = adjusted();
    EXPECT_LT(mean(darker), mean(original) / 2);
}

TEST_F(PictureControls, HueTurnsTheColours)
{
    ASSERT_EQ(controls.setValue(CameraControl::Hue, 20), ControlWrite::Done); // 90 degrees
    Frame frame = adjusted();
    const std::uint8_t *red = frame.view().row(0) + 2 * 3;
    EXPECT_LT(red[2], 150) << "the red quarter is no longer red";
    const std::uint8_t *grey = frame.view().row(0);
    EXPECT_NEAR(grey[0], 128, 2) << "grey has no hue to turn";
    EXPECT_NEAR(grey[2], 128, 2);
}

TEST_F(PictureControls, ManualWhiteBalanceTintsThePicture)
{
    ASSERT_EQ(controls.setAutomatic(CameraControl::WhiteBalance, false, 2800), ControlWrite::Done);
    Frame frame = adjusted();
    const std::uint8_t *grey = frame.view().row(0);
    EXPECT_GT(grey[0], grey[2] + 30) << "a low colour temperature setting turns grey blue";
}

TEST_F(PictureControls, ValuesFollowTheRangeStepAndAutomaticMode)
{
    EXPECT_EQ(controls.setValue(CameraControl::WhiteBalance, 3000), ControlWrite::Refused);
    EXPECT_EQ(controls.setAutomatic(CameraControl::WhiteBalance, false, 3004), ControlWrite::Done);
    EXPECT_EQ(controls.state(CameraControl::WhiteBalance), (ControlState{3000, false}));
    EXPECT_EQ(controls.setValue(CameraControl::Contrast, 999), ControlWrite::Done);
    EXPECT_EQ(controls.state(CameraControl::Contrast)->value, 64);
    EXPECT_EQ(controls.setAutomatic(CameraControl::Gamma, true, 0), ControlWrite::Missing);
}

// The capture thread's notices, waited on without sleeping.
struct StreamLog {
    test::CrossThreadCount frames;
    test::CrossThreadCount ends;
};

SyntheticCameraOptions smallCamera()
{
    SyntheticCameraOptions options;
    options.formats = {{320, 240, PixelFormat::Yuyv}, {640, 480, PixelFormat::Mjpg}};
    options.framesPerSecond = [](int, int) { return 200; };
    return options;
}

TEST(SyntheticCameraStream, RefusesToStreamAsTheTestAsks)
{
    SyntheticCameraOptions options = smallCamera();
    options.refuseStart = [](const CaptureFormat &f) {
        return f.width > 320 ? CameraFault::NoBandwidth : CameraFault::None;
    };
    auto hub = std::make_shared<SyntheticCameraHub>(options);
    SyntheticCamera camera(hub);
    ASSERT_TRUE(camera.setFormat({640, 480, PixelFormat::Mjpg}));
    EXPECT_FALSE(camera.start([](FrameView, double) {}, [] {}, {}));
    EXPECT_EQ(camera.fault(), CameraFault::NoBandwidth);
    EXPECT_EQ(hub->streamsStarted(), 0);
    ASSERT_TRUE(camera.setFormat({320, 240, PixelFormat::Yuyv}));
    EXPECT_TRUE(camera.start([](FrameView, double) {}, [] {}, {}));
    EXPECT_EQ(camera.fault(), CameraFault::None);
    EXPECT_EQ(hub->streamsStarted(), 1);
    camera.stop();
}

TEST(SyntheticCameraStream, AFailureMidStreamEndsItWithoutADeviceNotice)
{
    auto hub = std::make_shared<SyntheticCameraHub>(smallCamera());
    SyntheticCamera camera(hub);
    StreamLog log;
    ASSERT_TRUE(
        camera.start([&](FrameView, double) { log.frames.add(); }, [] {}, [&] { log.ends.add(); }));
    ASSERT_TRUE(log.frames.waitFor(2));
    hub->failStream();
    ASSERT_TRUE(log.ends.waitFor(1));
    camera.stop();
    EXPECT_EQ(camera.fault(), CameraFault::Failed);
    EXPECT_TRUE(hub->isPlugged());
}

TEST(SyntheticCameraStream, AThrowingCallbackEndsTheStreamNotTheProgram)
{
    auto hub = std::make_shared<SyntheticCameraHub>(smallCamera());
    SyntheticCamera camera(hub);
    StreamLog log;
    ASSERT_TRUE(camera.start([](FrameView, double) { throw std::bad_alloc(); }, [] {},
                             [&] { log.ends.add(); }));
    ASSERT_TRUE(log.ends.waitFor(1));
    camera.stop();
    EXPECT_EQ(camera.fault(), CameraFault::Failed);
    EXPECT_FALSE(camera.isStreaming());
    EXPECT_EQ(log.ends.value(), 1);
}

TEST(SyntheticCameraStream, AButtonTheUserMayNotReadDeliversNothing)
{
    SyntheticCameraOptions options = smallCamera();
    options.buttonReadable = false;
    auto hub = std::make_shared<SyntheticCameraHub>(options);
    SyntheticCamera camera(hub);
    EXPECT_EQ(camera.buttonAccess(), ButtonAccess::NotPermitted);
    EXPECT_FALSE(camera.hasButton());
    StreamLog log;
    int presses = 0;
    ASSERT_TRUE(camera.start([&](FrameView, double) { log.frames.add(); }, [&] { ++presses; }, {}));
    hub->pressButton();
    const std::uint64_t seen = hub->framesProduced();
    ASSERT_TRUE(log.frames.waitFor(int(seen) + 3));
    camera.stop();
    EXPECT_EQ(presses, 0);
}

TEST(SyntheticCameraStream, OffersItsRatesAndTakesTheNearest)
{
    SyntheticCameraOptions options;
    options.framesPerSecond = [](int, int) { return 30; };
    options.frameRates = [](int width, int) {
        return width == 640 ? std::vector<int>{30, 15, 5} : std::vector<int>{};
    };
    SyntheticCamera camera(std::make_shared<SyntheticCameraHub>(options));
    ASSERT_TRUE(camera.setFormat({640, 480, PixelFormat::Yuyv}));
    EXPECT_EQ(camera.frameIntervals(camera.currentFormat()).size(), 3u);
    EXPECT_EQ(camera.setFrameInterval({1, 12}), (FrameInterval{1, 15}));
    EXPECT_EQ(camera.frameInterval(), (FrameInterval{1, 15}));
    // A new format starts at its own rate; one without a list offers only that.
    ASSERT_TRUE(camera.setFormat({800, 600, PixelFormat::Yuyv}));
    EXPECT_EQ(camera.frameInterval(), (FrameInterval{1, 30}));
    EXPECT_EQ(camera.frameIntervals(camera.currentFormat()),
              (std::vector<FrameIntervalRange>{{{1, 30}, {1, 30}}}));
    EXPECT_EQ(camera.formatName(PixelFormat::Mjpg), QStringLiteral("Motion-JPEG"));
}

} // namespace
} // namespace quelmar
