#include "capture/avi_recorder.h"

#include <video/avi_writer.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quelmar::station {

namespace {
constexpr std::size_t kQueueBytes = std::size_t(96) << 20;
constexpr int kMinSlots = 4;
constexpr int kMaxSlots = 32;
} // namespace

AviWriterSink::AviWriterSink(std::unique_ptr<AviWriter> writer) : writer_(std::move(writer)) {}

AviWriterSink::~AviWriterSink() = default;

bool AviWriterSink::write(FrameView frame, std::int64_t position)
{
    return writer_->write(frame, position);
}

bool AviWriterSink::finish()
{
    return writer_->finish();
}

QString AviWriterSink::error() const
{
    return writer_->lastError();
}

std::optional<std::int64_t> FramePositions::place(double sampleTime, double arrival)
{
    if (!started_) {
        started_ = true;
        firstArrival_ = arrival;
        offset_ = -sampleTime;
    } else if (sampleTime < lastSample_) {
        // The graph was stopped and run again: its times start over. The arrival tells how
        // far the recording has gone on meanwhile.
        offset_ = (arrival - firstArrival_) - sampleTime;
    }
    lastSample_ = sampleTime;
    const double seconds = std::max(0.0, sampleTime + offset_);
    const auto position = std::int64_t(std::llround(seconds * rate_));
    if (position <= last_)
        return std::nullopt;
    last_ = position;
    lastSeconds_ = seconds;
    return position;
}

int AviRecorder::capacityFor(QSize size)
{
    const std::size_t frameBytes = std::max<std::size_t>(
        1, std::size_t(std::max(size.width(), 1)) * std::size_t(std::max(size.height(), 1)) * 3);
    return int(std::clamp<std::size_t>(kQueueBytes / frameBytes, kMinSlots, kMaxSlots));
}

AviRecorder::~AviRecorder()
{
    if (isActive()) {
        stopAccepting();
        end();
    }
}

void AviRecorder::begin(std::unique_ptr<VideoSink> sink, QSize size, int rate)
{
    if (isActive()) {
        stopAccepting();
        end();
    }
    sink_ = std::move(sink);
    size_ = size;
    positions_ = std::make_unique<FramePositions>(rate);
    origin_ = std::chrono::steady_clock::now();
    const std::size_t bytes = std::size_t(size.width()) * std::size_t(size.height()) * 3;
    slots_.resize(std::size_t(capacityFor(size)));
    for (Slot &slot : slots_)
        slot.pixels.resize(bytes); // touched now, so no page fault costs the capture thread
    free_.clear();
    free_.reserve(slots_.size());
    for (int i = int(slots_.size()) - 1; i >= 0; --i)
        free_.push_back(i);
    ring_.assign(slots_.size(), 0);
    head_ = 0;
    queued_ = 0;
    stopping_ = false;
    for (auto *counter : {&offered_, &written_, &dropped_, &skipped_, &refused_, &failed_})
        *counter = 0;
    lastPosition_ = -1;
    lastSeconds_ = 0;
    error_.clear();
    writer_ = std::thread(&AviRecorder::run, this);
    accepting_ = true;
}

void AviRecorder::write(FrameView frame, double sampleTime)
{
    if (!accepting_)
        return;
    offered_.fetch_add(1, std::memory_order_relaxed);
    if (frame.width != size_.width() || frame.height != size_.height() || frame.empty()) {
        refused_.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    const double arrival =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - origin_).count();
    const std::optional<std::int64_t> position = positions_->place(sampleTime, arrival);
    if (!position) {
        skipped_.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    int index = -1;
    {
        std::lock_guard lock(queueMutex_);
        if (!free_.empty()) {
            index = free_.back();
            free_.pop_back();
        }
    }
    if (index < 0) {
        // Its position stays empty in the file: the recording keeps its timing.
        dropped_.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    Slot &slot = slots_[std::size_t(index)];
    std::memcpy(slot.pixels.data(), frame.data, frame.byteCount());
    slot.position = *position;
    slot.seconds = positions_->lastSeconds();
    {
        std::lock_guard lock(queueMutex_);
        ring_[std::size_t((head_ + queued_) % int(ring_.size()))] = index;
        ++queued_;
    }
    queueWake_.notify_one();
}

void AviRecorder::run()
{
    for (;;) {
        int index = -1;
        {
            std::unique_lock lock(queueMutex_);
            queueWake_.wait(lock, [this] { return queued_ > 0 || stopping_; });
            if (queued_ == 0)
                return; // stopping, and everything handed over is written
            index = ring_[std::size_t(head_)];
            head_ = (head_ + 1) % int(ring_.size());
            --queued_;
        }
        Slot &slot = slots_[std::size_t(index)];
        FrameView frame{slot.pixels.data(), size_.width(), size_.height()};
        if (sink_->write(frame, slot.position)) {
            written_.fetch_add(1, std::memory_order_relaxed);
            lastPosition_ = slot.position;
            lastSeconds_ = slot.seconds;
        } else {
            failed_.fetch_add(1, std::memory_order_relaxed);
            if (error_.isEmpty())
                error_ = sink_->error();
        }
        std::lock_guard lock(queueMutex_);
        free_.push_back(index);
    }
}

RecordingCounts AviRecorder::end()
{
    accepting_ = false;
    if (writer_.joinable()) {
        {
            std::lock_guard lock(queueMutex_);
            stopping_ = true;
        }
        queueWake_.notify_one();
        writer_.join();
    }
    if (sink_) {
        if (!sink_->finish() && error_.isEmpty())
            error_ = sink_->error();
        sink_.reset();
    }
    // The queue's buffers are large; an idle station does not keep them.
    slots_.clear();
    slots_.shrink_to_fit();
    return counts();
}

RecordingCounts AviRecorder::counts() const
{
    RecordingCounts c;
    c.offered = offered_;
    c.written = written_;
    c.dropped = dropped_;
    c.skipped = skipped_;
    c.refused = refused_;
    c.failed = failed_;
    c.lastPosition = lastPosition_;
    c.lastSeconds = lastSeconds_;
    if (!writer_.joinable())
        c.error = error_;
    return c;
}

} // namespace quelmar::station
