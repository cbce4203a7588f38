// Camera naming and identity as plain logic; starting, frame rates and failures against a
// played device; streaming with a real camera, skipped on machines without one.
#include "camera/v4l2/v4l2_backend.h"
#include "camera/v4l2/v4l2_camera.h"

#include "converter_without_device.h"
#include "cross_thread_count.h"
#include "fake_v4l2_device.h"

#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <ostream>

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
    EXPECT_EQ(info.location, QStringLiteral("/dev/video2"));
    EXPECT_FALSE(info.identity.contains(QStringLiteral("/dev/video2")));
}

struct IdentityCase {
    const char *name;
    v4l2::NodePlace place;
    const char *bus;
    const char *expected;
};

void PrintTo(const IdentityCase &c, std::ostream *out)
{
    *out << c.name;
}

class CameraIdentity : public testing::TestWithParam<IdentityCase> {};

TEST_P(CameraIdentity, ComesFromTheUsbDeviceNotTheNode)
{
    const IdentityCase &c = GetParam();
    EXPECT_EQ(v4l2::cameraIdentity(QString::fromLatin1(c.bus), QStringLiteral("Scope"), c.place),
              QString::fromLatin1(c.expected));
}

const v4l2::UsbAttributes withSerial{QStringLiteral("1b3f"), QStringLiteral("2247"),
                                     QStringLiteral("SN0042")};
const v4l2::UsbAttributes withoutSerial{QStringLiteral("1b3f"), QStringLiteral("2247"), {}};

INSTANTIATE_TEST_SUITE_P(
    Places, CameraIdentity,
    testing::Values(
        // The serial number names the camera in any port.
        IdentityCase{"Serial", {withSerial, 0}, "usb-0000:00:14.0-2", "usb:1b3f:2247:SN0042"},
        // Identical cameras without serial numbers differ by their port.
        IdentityCase{"PortPath",
                     {withoutSerial, 0},
                     "usb-0000:00:14.0-1.3",
                     "usb:1b3f:2247@usb-0000:00:14.0-1.3"},
        IdentityCase{
            "OffUsb", {std::nullopt, 0}, "platform:vivid-000", "v4l2:platform:vivid-000:Scope"},
        IdentityCase{"SecondCaptureNode", {withSerial, 2}, "usb-1", "usb:1b3f:2247:SN0042#2"}),
    [](const testing::TestParamInfo<IdentityCase> &info) { return info.param.name; });

TEST(V4l2CameraInfo, ACardNameThatFillsItsFieldIsReadToItsEnd)
{
    v4l2_capability caps{};
    std::memset(caps.card, 'A', sizeof(caps.card)); // no terminating zero
    std::strcpy(reinterpret_cast<char *>(caps.bus_info), "usb-1");
    const CameraInfo info = v4l2::cameraInfoFor(caps, QStringLiteral("/dev/video0"));
    EXPECT_EQ(info.friendlyName, QString(qsizetype(sizeof(caps.card)), QLatin1Char('A')));
}

// Nodes that V4L2 lists but the station could not show are no cameras.
TEST(DescribeNode, SkipsNodesWithoutAPictureTheStationDecodes)
{
    test::FakeV4l2Device device;
    EXPECT_TRUE(v4l2::describeNode(device.ioctl(), QStringLiteral("/dev/video0"), {}));

    device.caps.device_caps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING; // metadata node
    EXPECT_FALSE(v4l2::describeNode(device.ioctl(), QStringLiteral("/dev/video1"), {}));

    test::FakeV4l2Device infrared;
    infrared.formats = {{V4L2_PIX_FMT_GREY, {{640, 400}}}, {V4L2_PIX_FMT_Y16, {{640, 400}}}};
    EXPECT_FALSE(v4l2::describeNode(infrared.ioctl(), QStringLiteral("/dev/video2"), {}));

    test::FakeV4l2Device broken;
    broken.errors[VIDIOC_QUERYCAP] = EIO;
    EXPECT_FALSE(v4l2::describeNode(broken.ioctl(), QStringLiteral("/dev/video3"), {}));
}

TEST(V4l2CameraOpen, RefusesWhatIsNoCamera)
{
    EXPECT_EQ(V4l2Camera::open(QStringLiteral("/nonexistent/video0")), nullptr);
    EXPECT_EQ(V4l2Camera::open(QStringLiteral("/dev/null")), nullptr);
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    EXPECT_EQ(V4l2Camera::open(file.fileName()), nullptr);
}

// Counts frames from the capture thread and checks their sizes and times.
class FrameLog {
public:
    void add(FrameView frame, double sampleTime)
    {
        {
            const std::lock_guard lock(mutex_);
            sizes_ok_ = sizes_ok_ && frame.width == expected_.width &&
                        frame.height == expected_.height && !frame.empty();
            times_ok_ = times_ok_ && sampleTime >= lastTime_;
            lastTime_ = sampleTime;
        }
        frames_.add();
    }
    bool waitFor(int count) { return frames_.waitFor(count); }
    void expect(const CaptureFormat &format) { expected_ = format; }
    int frames() { return frames_.value(); }
    bool sizesOk() const { return sizes_ok_; }
    bool timesOk() const { return times_ok_; }

private:
    test::CrossThreadCount frames_;
    std::mutex mutex_; // guards the checks below (capture thread writes, test thread reads)
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
