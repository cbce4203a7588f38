// The hand-over of live frames to a recording: the capture thread copies each frame into a
// free buffer of a bounded queue and goes on; a writer thread of its own encodes and writes
// them. When the writer falls behind, frames are dropped and counted: the preview never waits
// on the disk or an encoder.
#pragma once

#include <image/frame.h>

#include <QSize>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quelmar {
class AviWriter;
}

namespace quelmar::station {

// Where a recording's frames end up; called on the writer thread only.
class VideoSink {
public:
    virtual ~VideoSink() = default;
    virtual bool write(FrameView frame, std::int64_t position) = 0;
    virtual bool finish() = 0;
    virtual QString error() const = 0;
};

// The AVI file as a sink.
class AviWriterSink final : public VideoSink {
public:
    explicit AviWriterSink(std::unique_ptr<AviWriter> writer);
    ~AviWriterSink() override;
    bool write(FrameView frame, std::int64_t position) override;
    bool finish() override;
    QString error() const override;

private:
    std::unique_ptr<AviWriter> writer_;
};

// Places frames on the stream's time line by their capture time, so a recording plays at the
// speed it was taken: position = elapsed seconds x rate, rounded, strictly increasing. A
// frame whose position is already taken (the camera is faster than the stream's rate) gets
// none; frames that never came leave gaps.
class FramePositions {
public:
    explicit FramePositions(int rate) : rate_(rate) {}

    // `sampleTime` is the frame's time in its stream (it starts again when the graph is
    // restarted); `arrival` is when it reached the callback on a steady clock, in seconds.
    std::optional<std::int64_t> place(double sampleTime, double arrival);
    std::int64_t last() const { return last_; }
    // Seconds from the first frame to the last frame placed.
    double lastSeconds() const { return lastSeconds_; }

private:
    int rate_;
    bool started_ = false;
    double offset_ = 0;       // added to a sample time to make it recording time
    double firstArrival_ = 0; // arrival of the first frame
    double lastSample_ = 0;   // to see a new stream begin
    std::int64_t last_ = -1;
    double lastSeconds_ = 0;
};

struct RecordingCounts {
    std::int64_t offered = 0; // frames the callback handed over
    std::int64_t written = 0; // in the file
    std::int64_t dropped = 0; // the writer was behind: no free buffer
    std::int64_t skipped = 0; // faster than the stream's rate: no free position
    std::int64_t refused = 0; // of another size than the recording's
    std::int64_t failed = 0;  // the sink could not write them
    std::int64_t lastPosition = -1;
    double lastSeconds = 0; // capture time of the last frame written, after the first
    QString error;          // why the sink failed, first failure
};

class AviRecorder {
public:
    AviRecorder() = default;
    ~AviRecorder(); // ends a recording still running
    AviRecorder(const AviRecorder &) = delete;
    AviRecorder &operator=(const AviRecorder &) = delete;

    // UI thread: frames of `size` go to `sink` at `rate` positions a second. The queue's
    // buffers are allocated here, never on the capture thread.
    void begin(std::unique_ptr<VideoSink> sink, QSize size, int rate);
    // Capture thread, under the recording lock: copies the frame and returns at once.
    void write(FrameView frame, double sampleTime);
    // Under the recording lock: no frame is taken after it.
    void stopAccepting() { accepting_ = false; }
    // UI thread, after stopAccepting(): writes what is queued, finishes the sink.
    RecordingCounts end();

    bool isActive() const { return writer_.joinable(); }
    int capacity() const { return int(slots_.size()); }
    // The counts so far (any thread); `written` lags behind the writer.
    RecordingCounts counts() const;

    // Buffers for a frame size: about 96 MB, at least 4 and at most 32 frames.
    static int capacityFor(QSize size);

private:
    struct Slot {
        std::vector<std::uint8_t> pixels;
        std::int64_t position = 0;
        double seconds = 0;
    };
    void run();

    std::unique_ptr<VideoSink> sink_;
    QSize size_;
    std::unique_ptr<FramePositions> positions_; // capture thread only
    std::chrono::steady_clock::time_point origin_;

    std::vector<Slot> slots_;
    std::mutex queueMutex_; // guards free_, ring_, head_, queued_ and stopping_
    std::condition_variable queueWake_;
    std::vector<int> free_; // reserved to capacity: pushing never allocates
    std::vector<int> ring_; // queued slots in order
    int head_ = 0;
    int queued_ = 0;
    bool stopping_ = false;
    std::thread writer_;

    std::atomic<bool> accepting_{false};
    std::atomic<std::int64_t> offered_{0}, written_{0}, dropped_{0}, skipped_{0}, refused_{0},
        failed_{0}, lastPosition_{-1};
    std::atomic<double> lastSeconds_{0};
    QString error_; // writer thread until joined
};

} // namespace quelmar::station
