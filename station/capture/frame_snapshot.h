// The frame snapshot buffer: a grow-only copy of the newest frame with its sample time,
// written on the capture thread and copied out on the UI thread under one lock, so the
// reader never sees a half-written or reallocated frame.
#pragma once

#include <image/frame.h>

#include <QMutex>
#include <QMutexLocker>

#include <cstring>

namespace quelmar::station {

class FrameSnapshot {
public:
    // Capture thread. Allocates only when a larger frame arrives.
    void store(FrameView frame, double sampleTime)
    {
        QMutexLocker lock(&mutex_);
        buffer_.resize(frame.width, frame.height);
        std::memcpy(buffer_.data(), frame.data, frame.byteCount());
        sampleTime_ = sampleTime;
        valid_ = true;
    }

    // UI thread: copies the newest frame into `into`; false when no frame arrived yet.
    bool copyTo(Frame &into, double *sampleTime = nullptr) const
    {
        QMutexLocker lock(&mutex_);
        if (!valid_)
            return false;
        into.resize(buffer_.width(), buffer_.height());
        std::memcpy(into.data(), buffer_.data(), buffer_.byteCount());
        if (sampleTime)
            *sampleTime = sampleTime_;
        return true;
    }

    bool hasFrame() const
    {
        QMutexLocker lock(&mutex_);
        return valid_;
    }

    void clear()
    {
        QMutexLocker lock(&mutex_);
        valid_ = false;
    }

private:
    mutable QMutex mutex_; // guards buffer_, sampleTime_ and valid_
    Frame buffer_;
    double sampleTime_ = 0;
    bool valid_ = false;
};

} // namespace quelmar::station
