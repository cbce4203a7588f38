// Camera naming as plain logic; streaming with a real camera, skipped on machines without one.
#include "camera/v4l2/v4l2_backend.h"
#include "camera/v4l2/v4l2_camera.h"

#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

namespace quelmar {
namespace {

v4l2_capability capabilities(std::uint32_t all, std::uint32_t node)
{
    v4l2_capability caps{};
    caps.capabilities = all;
    caps.device_caps = node;
    return caps;
}

TEST(V4l2CameraInfo, OnlyVideoCaptureNodesAreCameras)
{
    constexpr std::uint32_t device = V4L2_CAP_DEVICE_CAPS;
    constexpr std::uint32_t capture = V4L2_CAP_VIDEO_CAPTURE;
    constexpr std::uint32_t meta = V4L2_CAP_META_CAPTURE;
    // A UVC camera: the capture node, then its metadata node with the same device caps.
    EXPECT_TRUE(v4l2::isCaptureDevice(capabilities(capture | meta | device, capture)));
    EXPECT_FALSE(v4l2::isCaptureDevice(capabilities(capture | meta | device, meta)));
    // Old drivers without per-node caps.
    EXPECT_TRUE(v4l2::isCaptureDevice(capabilities(capture, 0)));
    EXPECT_FALSE(v4l2::isCaptureDevice(capabilities(V4L2_CAP_VIDEO_OUTPUT, 0)));
    EXPECT_FALSE(v4l2::isCaptureDevice(
        capabilities(device | V4L2_CAP_VIDEO_CAPTURE_MPLANE, V4L2_CAP_VIDEO_CAPTURE_MPLANE)));
}

TEST(V4l2CameraInfo, NamesTheCameraByCardBusAndNode)
{
    v4l2_capability caps{};
    std::strcpy(reinterpret_cast<char *>(caps.card), "USB Microscope: USB Microscope");
    std::strcpy(reinterpret_cast<char *>(caps.bus_info), "usb-0000:00:14.0-2");
    const CameraInfo info = v4l2::cameraInfoFor(caps, QStringLiteral("/dev/video2"));
    EXPECT_EQ(info.friendlyName, QStringLiteral("USB Microscope: USB Microscope"));
    EXPECT_EQ(info.displayName, QStringLiteral("usb-0000:00:14.0-2 /dev/video2"));
    EXPECT_EQ(v4l2::nodeFromIdentity(info.identity), QStringLiteral("/dev/video2"));

    caps.bus_info[0] = 0;
    const CameraInfo sameNodeOtherBus = v4l2::cameraInfoFor(caps, QStringLiteral("/dev/video2"));
    EXPECT_NE(sameNodeOtherBus.identity, info.identity);
}

TEST(V4l2CameraInfo, ACardNameThatFillsItsFieldIsReadToItsEnd)
{
    v4l2_capability caps{};
    std::memset(caps.card, 'A', sizeof(caps.card)); // no terminating zero
    std::strcpy(reinterpret_cast<char *>(caps.bus_info), "usb-1");
    const CameraInfo info = v4l2::cameraInfoFor(caps, QStringLiteral("/dev/video0"));
    EXPECT_EQ(info.friendlyName, QString(qsizetype(sizeof(caps.card)), QLatin1Char('A')));
}

TEST(V4l2CameraInfo, AnIdentityWithoutNodeGivesNoNode)
{
    EXPECT_TRUE(v4l2::nodeFromIdentity(QString()).isEmpty());
    EXPECT_TRUE(v4l2::nodeFromIdentity(QStringLiteral("synthetic camera")).isEmpty());
}

TEST(V4l2CameraOpen, RefusesWhatIsNoCamera)
{
    EXPECT_EQ(V4l2Camera::open(QStringLiteral("/nonexistent/video0")), nullptr);
    EXPECT_EQ(V4l2Camera::open(QStringLiteral("/dev/null")), nullptr);
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    EXPECT_EQ(V4l2Camera::open(file.fileName()), nullptr);
}

// Counts frames from the capture thread; the test thread waits on it without sleeping.
class FrameLog {
public:
    void add(FrameView frame, double sampleTime)
    {
        {
            const std::lock_guard lock(mutex_);
            ++frames_;
            sizes_ok_ = sizes_ok_ && frame.width == expected_.width &&
                        frame.height == expected_.height && !frame.empty();
            times_ok_ = times_ok_ && sampleTime >= lastTime_;
            lastTime_ = sampleTime;
        }
        arrived_.notify_all();
    }
    bool waitFor(int count)
    {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, std::chrono::seconds(10), [&] { return frames_ >= count; });
    }
    void expect(const CaptureFormat &format) { expected_ = format; }
    int frames()
    {
        const std::lock_guard lock(mutex_);
        return frames_;
    }
    bool sizesOk() const { return sizes_ok_; }
    bool timesOk() const { return times_ok_; }

private:
    std::mutex mutex_; // guards everything below (capture thread writes, test thread reads)
    std::condition_variable arrived_;
    int frames_ = 0;
    bool sizes_ok_ = true;
    bool times_ok_ = true;
    double lastTime_ = 0.0;
    CaptureFormat expected_;
};

class RealCamera : public testing::Test {
protected:
    void SetUp() override
    {
        V4l2Backend backend;
        const std::vector<CameraInfo> cameras = backend.enumerate();
        if (cameras.empty())
            GTEST_SKIP() << "no V4L2 camera on this machine";
        camera = backend.open(cameras.front());
        ASSERT_NE(camera, nullptr) << cameras.front().displayName.toStdString();
    }
    std::unique_ptr<Camera> camera;
};

TEST_F(RealCamera, StreamsFramesOfEachPixelFormatAndStops)
{
    ASSERT_FALSE(camera->formats().empty());
    for (const PixelFormat pixelFormat : {PixelFormat::Yuyv, PixelFormat::Mjpg}) {
        const std::vector<CaptureFormat> all = camera->formats();
        const auto first = std::find_if(all.begin(), all.end(), [&](const CaptureFormat &f) {
            return f.pixelFormat == pixelFormat;
        });
        if (first == all.end())
            continue;
        SCOPED_TRACE(testing::Message()
                     << first->width << "x" << first->height << " format " << int(pixelFormat));
        ASSERT_TRUE(camera->setFormat(*first));
        FrameLog log;
        log.expect(camera->currentFormat());
        ASSERT_TRUE(
            camera->start([&](FrameView frame, double time) { log.add(frame, time); }, [] {}));
        EXPECT_TRUE(camera->isStreaming());
        EXPECT_TRUE(log.waitFor(3));
        camera->stop();
        EXPECT_FALSE(camera->isStreaming());
        EXPECT_TRUE(log.sizesOk());
        EXPECT_TRUE(log.timesOk());
    }
}

TEST_F(RealCamera, StopsFromInsideItsFrameCallback)
{
    FrameLog log;
    log.expect(camera->currentFormat());
    ASSERT_TRUE(camera->start(
        [&](FrameView frame, double time) {
            camera->stop();
            log.add(frame, time);
        },
        [] {}));
    EXPECT_TRUE(log.waitFor(1));
    camera->stop();
    EXPECT_FALSE(camera->isStreaming());
    EXPECT_EQ(log.frames(), 1);
}

TEST_F(RealCamera, StreamsAgainAfterStopAndRefusesASecondStart)
{
    for (int round = 0; round < 2; ++round) {
        FrameLog log;
        log.expect(camera->currentFormat());
        ASSERT_TRUE(
            camera->start([&](FrameView frame, double time) { log.add(frame, time); }, [] {}));
        EXPECT_FALSE(camera->start([](FrameView, double) {}, [] {}));
        EXPECT_TRUE(log.waitFor(2));
        camera->stop();
    }
    camera->stop(); // a second stop is harmless
}

} // namespace
} // namespace quelmar
