// The hand-over of frames to the recording's writer thread: positions by capture time, a
// writer that falls behind never stalls the capture thread, nothing is taken after close,
// and frames of another size stay out.
#include "capture/avi_recorder.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <vector>

using namespace quelmar;
using namespace quelmar::station;

namespace {

struct PositionCase {
    const char *name;
    int rate;
    std::vector<std::pair<double, double>> frames; // sample time, arrival
    std::vector<std::int64_t> expected;            // -1: no position
};

void PrintTo(const PositionCase &c, std::ostream *os)
{
    *os << c.name;
}

class FramePlacement : public ::testing::TestWithParam<PositionCase> {};

TEST_P(FramePlacement, FollowsTheCaptureTime)
{
    const PositionCase c = GetParam();
    FramePositions positions(c.rate);
    std::vector<std::int64_t> placed;
    for (const auto &[sample, arrival] : c.frames)
        placed.push_back(positions.place(sample, arrival).value_or(-1));
    EXPECT_EQ(placed, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FramePlacement,
    ::testing::Values(
        // A camera at half the stream's rate fills every other position.
        PositionCase{
            "HalfTheRate", 5, {{10.0, 0}, {10.4, 0.4}, {10.8, 0.8}, {11.2, 1.2}}, {0, 2, 4, 6}},
        // At the stream's rate, with the jitter of a real camera, every frame has its slot.
        PositionCase{"TheRateWithJitter",
                     11,
                     {{0.0, 0}, {0.095, 0.1}, {0.178, 0.18}, {0.275, 0.28}, {0.361, 0.37}},
                     {0, 1, 2, 3, 4}},
        // Frames the camera never delivered leave their positions empty.
        PositionCase{
            "MissedFrames", 2, {{0.0, 0}, {0.5, 0.5}, {2.5, 2.5}, {3.0, 3.0}}, {0, 1, 5, 6}},
        // A camera faster than the rate: a frame whose position is taken gets none.
        PositionCase{"FasterThanTheRate",
                     2,
                     {{0.0, 0}, {0.1, 0.1}, {0.5, 0.5}, {0.6, 0.6}, {1.0, 1.0}},
                     {0, -1, 1, -1, 2}},
        // The graph run again mid-recording starts its times over; the arrival carries on.
        PositionCase{
            "GraphRestarted", 5, {{3.0, 0}, {3.2, 0.2}, {0.0, 1.4}, {0.2, 1.6}}, {0, 1, 7, 8}}),
    [](const auto &info) { return std::string(info.param.name); });

// What a sink saw; owned by the test, since the recorder destroys its sink at the end.
struct SinkLog {
    std::vector<std::int64_t> positions; // writer thread until joined
    bool finished = false;
    std::mutex mutex; // guards open
    std::condition_variable released;
    bool open = false;

    void release()
    {
        {
            std::lock_guard lock(mutex);
            open = true;
        }
        released.notify_all();
    }
};

// A sink that holds the writer thread until released, as a slow disk would.
class BlockingSink final : public VideoSink {
public:
    explicit BlockingSink(SinkLog &log) : log_(log) {}
    bool write(FrameView, std::int64_t position) override
    {
        std::unique_lock lock(log_.mutex);
        log_.released.wait(lock, [this] { return log_.open; });
        log_.positions.push_back(position);
        return true;
    }
    bool finish() override
    {
        log_.finished = true;
        return true;
    }
    QString error() const override { return {}; }

private:
    SinkLog &log_;
};

class FailingSink final : public VideoSink {
public:
    bool write(FrameView, std::int64_t) override { return false; }
    bool finish() override { return true; }
    QString error() const override { return QStringLiteral("No space left on device"); }
};

// While the writer is stuck every hand-over returns at once; what did not fit is dropped and
// counted, and everything queued before the end is still written.
TEST(AviRecorder, SlowWriterDropsFramesWithoutStallingTheCaller)
{
    const QSize size(64, 48);
    Frame frame(size.width(), size.height());
    SinkLog log;
    AviRecorder recorder;
    recorder.begin(std::make_unique<BlockingSink>(log), size, 10);
    const int capacity = recorder.capacity();
    ASSERT_EQ(capacity, AviRecorder::capacityFor(size));
    const int handed = capacity + 5;
    auto writing = std::async(std::launch::async, [&] {
        for (int i = 0; i < handed; ++i)
            recorder.write(frame.view(), i / 10.0);
    });
    ASSERT_EQ(writing.wait_for(std::chrono::seconds(10)), std::future_status::ready)
        << "the capture thread waited for the writer";
    log.release();
    recorder.stopAccepting();
    const RecordingCounts counts = recorder.end();
    EXPECT_EQ(counts.offered, handed);
    EXPECT_EQ(counts.written, capacity);
    EXPECT_EQ(counts.dropped, 5);
    EXPECT_EQ(counts.lastPosition, capacity - 1);
    EXPECT_TRUE(log.finished);
    std::vector<std::int64_t> expected(std::size_t(capacity), 0);
    for (int i = 0; i < capacity; ++i)
        expected[std::size_t(i)] = i;
    EXPECT_EQ(log.positions, expected);
}

TEST(AviRecorder, TakesNoFrameAfterStopAcceptingAndNoneOfAnotherSize)
{
    SinkLog log;
    log.release();
    AviRecorder recorder;
    recorder.begin(std::make_unique<BlockingSink>(log), QSize(32, 24), 5);
    Frame right(32, 24);
    Frame wrong(64, 48);
    recorder.write(right.view(), 0.0);
    recorder.write(wrong.view(), 0.2);
    recorder.stopAccepting();
    recorder.write(right.view(), 0.4);
    const RecordingCounts counts = recorder.end();
    EXPECT_EQ(counts.offered, 2);
    EXPECT_EQ(counts.refused, 1);
    EXPECT_EQ(counts.written, 1);
    EXPECT_FALSE(recorder.isActive());
    EXPECT_EQ(log.positions, std::vector<std::int64_t>{0}) << "only the frame before close";
}

TEST(AviRecorder, WriteFailuresAreCountedWithTheReason)
{
    AviRecorder recorder;
    recorder.begin(std::make_unique<FailingSink>(), QSize(16, 16), 5);
    Frame frame(16, 16);
    for (int i = 0; i < 3; ++i)
        recorder.write(frame.view(), i * 0.2);
    recorder.stopAccepting();
    const RecordingCounts counts = recorder.end();
    EXPECT_EQ(counts.failed, 3);
    EXPECT_EQ(counts.written, 0);
    EXPECT_EQ(counts.error, QStringLiteral("No space left on device"));
}

TEST(AviRecorder, QueueHoldsAboutNinetySixMegabytes)
{
    EXPECT_EQ(AviRecorder::capacityFor(QSize(640, 480)), 32);
    EXPECT_EQ(AviRecorder::capacityFor(QSize(1280, 1024)), 25);
    EXPECT_EQ(AviRecorder::capacityFor(QSize(2592, 1944)), 6);
    EXPECT_EQ(AviRecorder::capacityFor(QSize(3264, 2448)), 4);
}

} // namespace
