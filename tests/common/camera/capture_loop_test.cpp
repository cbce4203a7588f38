// The capture loop against a scripted camera: frames delivered from the right buffers and
// requeued, bad frames skipped, a camera pulled out or failing ends the stream, stop wakes it.
#include "camera/v4l2/capture_loop.h"

#include "converter_without_device.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <future>
#include <new>
#include <optional>

#include <fcntl.h>
#include <linux/input.h>
#include <sys/eventfd.h>

namespace quelmar::v4l2 {
namespace {

using Exit = CaptureLoop::Exit;
using Verdict = StreamHealth::Verdict;

constexpr int frameWidth = 8;
constexpr int frameHeight = 4;
constexpr std::size_t yuyvBytes = frameWidth * frameHeight * 2;

// YUYV colours of the buffers, by index: red, green, blue.
constexpr unsigned char bufferColours[3][3] = {{81, 90, 240}, {145, 54, 34}, {41, 240, 110}};

struct Step {
    int error = 0; // VIDIOC_DQBUF fails with this errno when not 0
    std::uint32_t index = 0;
    std::uint32_t bytes = yuyvBytes;
    std::uint32_t flags = 0;
    timeval timestamp{};
};

Step frameFrom(std::uint32_t index)
{
    return Step{0, index};
}
Step failure(int error)
{
    return Step{error};
}

// A camera whose VIDIOC_DQBUF answers follow a script; past its end the camera is pulled out.
class ScriptedCamera {
public:
    explicit ScriptedCamera(std::size_t bufferCount = 3, std::size_t bufferSize = yuyvBytes)
    {
        for (std::size_t index = 0; index < bufferCount; ++index) {
            buffers.emplace_back(::mmap(nullptr, bufferSize, PROT_READ | PROT_WRITE,
                                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0),
                                 bufferSize);
            fillYuyv(index, bufferColours[index % 3]);
        }
    }

    void fillYuyv(std::size_t index, const unsigned char (&yuv)[3])
    {
        unsigned char *bytes = buffers[index].data();
        for (std::size_t at = 0; at + 4 <= buffers[index].size(); at += 4) {
            const unsigned char pair[4] = {yuv[0], yuv[1], yuv[0], yuv[2]};
            std::memcpy(bytes + at, pair, 4);
        }
    }

    CaptureLoop::Device device(int buttonFd = -1)
    {
        return {[this](unsigned long request, void *argument) { return answer(request, argument); },
                video.get(), buttonFd, wake.get()};
    }

    void wakeUp() const
    {
        const std::uint64_t one = 1;
        ASSERT_EQ(::write(wake.get(), &one, sizeof(one)), ssize_t(sizeof(one)));
    }

    std::vector<MappedRegion> buffers;
    std::deque<Step> script;
    std::optional<Step> forever; // answered once the script is done, instead of ENODEV
    int requeueError = 0;        // VIDIOC_QBUF fails with this errno when not 0
    std::vector<std::uint32_t> requeued;
    int dequeueCalls = 0;
    // Always readable, like a camera with a frame ready; counter 0 would mean "no frame yet".
    UniqueFd video{eventfd(1, EFD_CLOEXEC | EFD_NONBLOCK)};
    UniqueFd wake{eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)};

private:
    int answer(unsigned long request, void *argument)
    {
        auto *buffer = static_cast<v4l2_buffer *>(argument);
        if (request == VIDIOC_QBUF) {
            requeued.push_back(buffer->index);
            return requeueError == 0 ? 0 : (errno = requeueError, -1);
        }
        if (request != VIDIOC_DQBUF || buffer->type != V4L2_BUF_TYPE_VIDEO_CAPTURE ||
            buffer->memory != V4L2_MEMORY_MMAP)
            return errno = EINVAL, -1;
        ++dequeueCalls;
        if (script.empty() && !forever)
            return errno = ENODEV, -1;
        const Step step = script.empty() ? *forever : script.front();
        if (!script.empty())
            script.pop_front();
        if (step.error != 0)
            return errno = step.error, -1;
        buffer->index = step.index;
        buffer->bytesused = step.bytes;
        buffer->flags = step.flags;
        buffer->timestamp = step.timestamp;
        return 0;
    }
};

// What the frame callback saw.
struct Delivered {
    std::vector<std::array<int, 3>> firstPixels; // B, G, R of pixel (0, 0)
    std::vector<double> times;
    bool sizesRight = true;

    FrameCallback callback()
    {
        return [this](FrameView frame, double time) {
            sizesRight = sizesRight && frame.width == frameWidth && frame.height == frameHeight;
            firstPixels.push_back({frame.data[0], frame.data[1], frame.data[2]});
            times.push_back(time);
        };
    }
};

class CaptureLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        converter = fake::converterWithoutDevice();
        ASSERT_NE(converter, nullptr);
        ASSERT_TRUE(
            converter->setSource(fake::nativeFormat(V4L2_PIX_FMT_YUYV, frameWidth, frameHeight)));
    }

    Exit run(ScriptedCamera &camera, Delivered &delivered, const ButtonCallback &onButton = {},
             int buttonFd = -1)
    {
        CaptureLoop loop(camera.device(buttonFd), camera.buffers, *converter, stopRequested);
        return loop.run(delivered.callback(), onButton, start);
    }

    std::unique_ptr<FrameConverter> converter;
    std::atomic<bool> stopRequested{false};
    const timespec start = monotonicNow();
};

bool isReddest(const std::array<int, 3> &bgr)
{
    return bgr[2] > 200 && bgr[0] < 60;
}
bool isBluest(const std::array<int, 3> &bgr)
{
    return bgr[0] > 200 && bgr[2] < 60;
}
bool isGreenest(const std::array<int, 3> &bgr)
{
    return bgr[1] > 200 && bgr[2] < 60;
}

TEST_F(CaptureLoopTest, DeliversEachBufferRequeuesItAndEndsWhenTheCameraIsPulledOut)
{
    ScriptedCamera camera;
    camera.script = {frameFrom(2), frameFrom(0), frameFrom(1)};
    Delivered delivered;
    CaptureLoop loop(camera.device(), camera.buffers, *converter, stopRequested);
    EXPECT_EQ(loop.run(delivered.callback(), {}, start), Exit::Ended);
    EXPECT_EQ(loop.fault(), CameraFault::Gone);
    ASSERT_EQ(delivered.firstPixels.size(), 3U);
    EXPECT_TRUE(isBluest(delivered.firstPixels[0]));
    EXPECT_TRUE(isReddest(delivered.firstPixels[1]));
    EXPECT_TRUE(isGreenest(delivered.firstPixels[2]));
    EXPECT_TRUE(delivered.sizesRight);
    EXPECT_EQ(camera.requeued, (std::vector<std::uint32_t>{2, 0, 1}));
    EXPECT_EQ(camera.dequeueCalls, 4); // the fourth answered ENODEV
}

TEST_F(CaptureLoopTest, SkipsBadFramesButRequeuesTheirBuffers)
{
    ScriptedCamera camera;
    Step flagged = frameFrom(1);
    flagged.flags = V4L2_BUF_FLAG_ERROR;
    Step empty = frameFrom(2);
    empty.bytes = 0;
    Step truncated = frameFrom(0);
    truncated.bytes = yuyvBytes / 2;
    camera.script = {frameFrom(0), flagged, empty, truncated, frameFrom(1)};
    Delivered delivered;
    EXPECT_EQ(run(camera, delivered), Exit::Ended);
    ASSERT_EQ(delivered.firstPixels.size(), 2U);
    EXPECT_TRUE(isGreenest(delivered.firstPixels[1]));
    EXPECT_EQ(camera.requeued, (std::vector<std::uint32_t>{0, 1, 2, 0, 1}));
}

QByteArray redJpeg(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return bytes;
}

TEST_F(CaptureLoopTest, SkipsACorruptMjpgFrameAndGoesOn)
{
    ASSERT_TRUE(converter->setSource(fake::nativeFormat(V4L2_PIX_FMT_MJPEG, 16, 16)));
    const QByteArray jpeg = redJpeg(16, 16);
    ScriptedCamera camera(2, 4096);
    ASSERT_LE(std::size_t(jpeg.size()), camera.buffers[1].size());
    std::memset(camera.buffers[0].data(), 0x55, 512);
    camera.buffers[0].data()[0] = 0xff; // a JPEG start marker, then noise
    camera.buffers[0].data()[1] = 0xd8;
    std::memcpy(camera.buffers[1].data(), jpeg.constData(), std::size_t(jpeg.size()));
    camera.script = {Step{0, 0, 512}, Step{0, 1, std::uint32_t(jpeg.size())}, Step{0, 0, 512}};
    Delivered delivered;
    EXPECT_EQ(run(camera, delivered), Exit::Ended);
    ASSERT_EQ(delivered.firstPixels.size(), 1U);
    EXPECT_TRUE(isReddest(delivered.firstPixels[0]));
    EXPECT_EQ(camera.requeued, (std::vector<std::uint32_t>{0, 1, 0}));
}

TEST_F(CaptureLoopTest, NothingReadyYetIsNoFailure)
{
    ScriptedCamera camera;
    camera.script = {failure(EAGAIN), failure(EINTR), failure(EAGAIN), frameFrom(0)};
    Delivered delivered;
    EXPECT_EQ(run(camera, delivered), Exit::Ended);
    EXPECT_EQ(delivered.firstPixels.size(), 1U);
}

TEST_F(CaptureLoopTest, GivesUpAfterRepeatedErrors)
{
    ScriptedCamera camera;
    camera.script = std::deque<Step>(20, failure(EIO));
    Delivered delivered;
    CaptureLoop loop(camera.device(), camera.buffers, *converter, stopRequested);
    EXPECT_EQ(loop.run(delivered.callback(), {}, start), Exit::Ended);
    EXPECT_EQ(loop.fault(), CameraFault::Failed);
    EXPECT_EQ(camera.dequeueCalls, StreamHealth::maxConsecutiveErrors);
}

// A camera that stops delivering without any error must not freeze the picture for ever.
TEST_F(CaptureLoopTest, AStreamWithoutFramesForTooLongHasStalled)
{
    ScriptedCamera camera;
    std::uint64_t pending = 0;
    ASSERT_EQ(::read(camera.video.get(), &pending, sizeof(pending)), ssize_t(sizeof(pending)));
    CaptureLoop::Device device = camera.device();
    device.stallTimeoutMs = 50;
    CaptureLoop loop(device, camera.buffers, *converter, stopRequested);
    Delivered delivered;
    auto running =
        std::async(std::launch::async, [&] { return loop.run(delivered.callback(), {}, start); });
    ASSERT_EQ(running.wait_for(std::chrono::seconds(10)), std::future_status::ready)
        << "the loop waited for ever";
    EXPECT_EQ(running.get(), Exit::Ended);
    EXPECT_EQ(loop.fault(), CameraFault::Stalled);
}

// Buffers the driver keeps returning empty or broken count as no frame either.
TEST_F(CaptureLoopTest, OnlyBrokenFramesAlsoCountAsAStall)
{
    ScriptedCamera camera;
    Step broken = frameFrom(0);
    broken.flags = V4L2_BUF_FLAG_ERROR;
    camera.forever = broken;
    CaptureLoop::Device device = camera.device();
    device.stallTimeoutMs = 50;
    CaptureLoop loop(device, camera.buffers, *converter, stopRequested);
    Delivered delivered;
    EXPECT_EQ(loop.run(delivered.callback(), {}, start), Exit::Ended);
    EXPECT_EQ(loop.fault(), CameraFault::Stalled);
    EXPECT_TRUE(delivered.firstPixels.empty());
}

TEST_F(CaptureLoopTest, AThrowingCallbackEndsTheStreamInsteadOfTheProgram)
{
    ScriptedCamera camera;
    camera.script = {frameFrom(0), frameFrom(1)};
    CaptureLoop loop(camera.device(), camera.buffers, *converter, stopRequested);
    int frames = 0;
    const Exit exit = loop.run(
        [&](FrameView, double) {
            ++frames;
            throw std::bad_alloc();
        },
        {}, start);
    EXPECT_EQ(exit, Exit::Ended);
    EXPECT_EQ(loop.fault(), CameraFault::Failed);
    EXPECT_EQ(frames, 1);
}

TEST_F(CaptureLoopTest, AnUnknownBufferIndexIsNotRead)
{
    ScriptedCamera camera;
    camera.script = {frameFrom(7), frameFrom(0)};
    Delivered delivered;
    EXPECT_EQ(run(camera, delivered), Exit::Ended);
    EXPECT_EQ(delivered.firstPixels.size(), 1U);
    EXPECT_EQ(camera.requeued, (std::vector<std::uint32_t>{0}));
}

TEST_F(CaptureLoopTest, EndsWhenNoBufferIsLeftQueued)
{
    ScriptedCamera camera(2);
    camera.requeueError = EINVAL;
    camera.script = std::deque<Step>{frameFrom(0), frameFrom(1), frameFrom(0), frameFrom(1)};
    Delivered delivered;
    EXPECT_EQ(run(camera, delivered), Exit::Ended);
    EXPECT_EQ(delivered.firstPixels.size(), 2U);
    EXPECT_EQ(camera.script.size(), 2U);
}

TEST_F(CaptureLoopTest, EndsWhenTheVideoNodeHangsUp)
{
    ScriptedCamera camera;
    int ends[2] = {-1, -1};
    ASSERT_EQ(pipe2(ends, O_CLOEXEC | O_NONBLOCK), 0);
    camera.video.reset(ends[0]);
    ::close(ends[1]); // the reading end now reports POLLHUP
    camera.script = {frameFrom(0)};
    Delivered delivered;
    EXPECT_EQ(run(camera, delivered), Exit::Ended);
    EXPECT_EQ(camera.dequeueCalls, 0);
}

TEST_F(CaptureLoopTest, StopsAtOnceWhenWokenWithoutAnyFrame)
{
    ScriptedCamera camera;
    std::uint64_t pending = 0;
    ASSERT_EQ(::read(camera.video.get(), &pending, sizeof(pending)), ssize_t(sizeof(pending)));
    Delivered delivered;
    auto running = std::async(std::launch::async, [&] { return run(camera, delivered); });
    camera.wakeUp();
    if (running.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "the loop did not wake up";
        const std::uint64_t one = 1; // a frame now makes the camera answer ENODEV: the loop ends
        ASSERT_EQ(::write(camera.video.get(), &one, sizeof(one)), ssize_t(sizeof(one)));
    }
    EXPECT_EQ(running.get(), Exit::Stopped);
    EXPECT_TRUE(delivered.firstPixels.empty());
    EXPECT_EQ(camera.dequeueCalls, 0);
}

TEST_F(CaptureLoopTest, NoCallbackRunsOnceStopWasAskedFor)
{
    ScriptedCamera camera;
    camera.script = {frameFrom(0), frameFrom(1), frameFrom(2)};
    int frames = 0;
    CaptureLoop loop(camera.device(), camera.buffers, *converter, stopRequested);
    const Exit exit = loop.run(
        [&](FrameView, double) {
            ++frames;
            stopRequested = true; // what stop() does from inside a callback
            camera.wakeUp();
        },
        {}, start);
    EXPECT_EQ(exit, Exit::Stopped);
    EXPECT_EQ(frames, 1);
}

TEST_F(CaptureLoopTest, StampsFramesWithSecondsSinceTheStart)
{
    ScriptedCamera camera;
    Step stamped = frameFrom(0);
    stamped.flags = V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC;
    stamped.timestamp = {start.tv_sec + 2, start.tv_nsec / 1000};
    camera.script = {stamped};
    Delivered delivered;
    run(camera, delivered);
    ASSERT_EQ(delivered.times.size(), 1U);
    EXPECT_NEAR(delivered.times[0], 2.0, 1e-5);
}

input_event key(unsigned short code, int value)
{
    input_event event{};
    event.type = EV_KEY;
    event.code = code;
    event.value = value;
    return event;
}

class ButtonPipe {
public:
    ButtonPipe()
    {
        int ends[2] = {-1, -1};
        EXPECT_EQ(pipe2(ends, O_CLOEXEC | O_NONBLOCK), 0);
        reading.reset(ends[0]);
        writing.reset(ends[1]);
    }
    void send(const std::vector<input_event> &events) const
    {
        const auto size = ssize_t(events.size() * sizeof(input_event));
        ASSERT_EQ(::write(writing.get(), events.data(), std::size_t(size)), size);
    }
    UniqueFd reading;
    UniqueFd writing;
};

TEST_F(CaptureLoopTest, ReportsEachButtonPress)
{
    ScriptedCamera camera;
    std::uint64_t pending = 0;
    ASSERT_EQ(::read(camera.video.get(), &pending, sizeof(pending)), ssize_t(sizeof(pending)));
    ButtonPipe button;
    button.send({key(KEY_CAMERA, 1), key(KEY_CAMERA, 0), key(KEY_VOLUMEUP, 1), key(KEY_CAMERA, 1),
                 key(KEY_CAMERA, 2), key(KEY_CAMERA, 0)});
    Delivered delivered;
    int presses = 0;
    const Exit exit = run(
        camera, delivered,
        [&] {
            if (++presses == 2)
                camera.wakeUp();
        },
        button.reading.get());
    EXPECT_EQ(exit, Exit::Stopped);
    EXPECT_EQ(presses, 2);
}

// The button's input node may appear after the video node: a button found while streaming is
// watched from the next round on.
TEST_F(CaptureLoopTest, AButtonFoundWhileStreamingIsWatched)
{
    ScriptedCamera camera;
    ButtonPipe button;
    std::atomic<int> late{-1};
    CaptureLoop::Device device = camera.device();
    device.lateButtonFd = &late;
    camera.forever = frameFrom(0);
    CaptureLoop loop(device, camera.buffers, *converter, stopRequested);
    int frames = 0;
    int presses = 0;
    const Exit exit = loop.run(
        [&](FrameView, double) {
            if (++frames == 2) {
                late = button.reading.get();
                button.send({key(KEY_CAMERA, 1), key(KEY_CAMERA, 0)});
            }
        },
        [&] {
            ++presses;
            camera.wakeUp();
        },
        start);
    EXPECT_EQ(exit, Exit::Stopped);
    EXPECT_EQ(presses, 1);
}

TEST_F(CaptureLoopTest, AButtonThatGoesAwayLeavesTheStreamRunning)
{
    ScriptedCamera camera;
    ButtonPipe button;
    button.writing.reset(); // POLLHUP on the button from the first poll on
    camera.script = {frameFrom(0), frameFrom(1)};
    Delivered delivered;
    int presses = 0;
    EXPECT_EQ(run(
                  camera, delivered, [&] { ++presses; }, button.reading.get()),
              Exit::Ended);
    EXPECT_EQ(delivered.firstPixels.size(), 2U);
    EXPECT_EQ(presses, 0);
}

TEST(StreamHealth, AGoneDeviceOrAStoppedQueueEndsTheStreamAtOnce)
{
    for (const int error : {ENODEV, ENXIO}) {
        StreamHealth health;
        EXPECT_EQ(health.failed(error), Verdict::Gone) << std::strerror(error);
    }
    StreamHealth health;
    EXPECT_EQ(health.failed(EPIPE), Verdict::GaveUp);
}

// A USB transfer error is passing; only a run of them ends the stream.
TEST(StreamHealth, AnIoErrorIsCountedNotFatal)
{
    StreamHealth health;
    for (int attempt = 1; attempt < StreamHealth::maxConsecutiveErrors; ++attempt)
        ASSERT_EQ(health.failed(EIO), Verdict::KeepGoing);
    EXPECT_EQ(health.failed(EIO), Verdict::GaveUp);
}

TEST(StreamHealth, RepeatedErrorsEndTheStreamAndSuccessForgivesThem)
{
    StreamHealth health;
    for (int attempt = 1; attempt < StreamHealth::maxConsecutiveErrors; ++attempt)
        ASSERT_EQ(health.failed(EINVAL), Verdict::KeepGoing);
    health.succeeded();
    for (int attempt = 1; attempt < StreamHealth::maxConsecutiveErrors; ++attempt)
        ASSERT_EQ(health.failed(EINVAL), Verdict::KeepGoing);
    EXPECT_EQ(health.failed(EINVAL), Verdict::GaveUp);
}

TEST(SampleTime, CountsFromTheStartOfTheStream)
{
    const timespec start{100, 500'000'000};
    const timespec now{103, 0};
    EXPECT_DOUBLE_EQ(secondsSinceStart({101, 750'000}, true, start, now), 1.25);
    // Not on the stream's clock, or no time at all: the time of arrival.
    EXPECT_DOUBLE_EQ(secondsSinceStart({5, 0}, false, start, now), 2.5);
    EXPECT_DOUBLE_EQ(secondsSinceStart({0, 0}, true, start, now), 2.5);
    // A frame captured before the start is at the start.
    EXPECT_DOUBLE_EQ(secondsSinceStart({99, 0}, true, start, now), 0.0);
}

} // namespace
} // namespace quelmar::v4l2
