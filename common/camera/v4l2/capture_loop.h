// The capture thread's work: wait for frames, button presses and the stop signal; dequeue,
// convert, deliver and requeue every frame; tell a device that is gone from one that was
// stopped. It reaches the device through an ioctl callable and plain file descriptors, so
// tests can play a camera that delivers, stumbles or disappears.
#pragma once

#include "camera/camera.h"
#include "camera/v4l2/frame_converter.h"
#include "camera/v4l2/linux_handles.h"
#include "camera/v4l2/v4l2_formats.h"

#include <atomic>
#include <ctime>
#include <span>

#include <sys/time.h>

namespace quelmar::v4l2 {

// Decides when a failing stream is over: the device is gone, or errors keep coming.
class StreamHealth {
public:
    enum class Verdict { KeepGoing, Gone, GaveUp };
    static constexpr int maxConsecutiveErrors = 8;

    void succeeded() { consecutiveErrors_ = 0; }
    // After a VIDIOC_DQBUF or VIDIOC_QBUF that failed with errno `error`.
    Verdict failed(int error);

private:
    int consecutiveErrors_ = 0;
};

// Seconds from the start of the stream to a frame: the driver's capture time when it is on
// the monotonic clock (the stream start's clock), otherwise the time of arrival.
double secondsSinceStart(const timeval &captured, bool capturedIsMonotonic, const timespec &start,
                         const timespec &now);

timespec monotonicNow();

class CaptureLoop {
public:
    enum class Exit {
        Stopped, // the owner asked for it through the wake descriptor or the stop flag
        Ended,   // the device is gone or keeps failing
    };

    struct Device {
        IoctlFn ioctl;     // VIDIOC_DQBUF and VIDIOC_QBUF on the streaming node
        int videoFd = -1;  // readable when a frame is ready; error or hang-up when gone
        int buttonFd = -1; // evdev node of the camera button; -1 without one
        int wakeFd = -1;   // readable when the owner wants the loop to end
    };

    // `buffers` are the driver's buffers by index, all queued; `stopRequested` is the owner's
    // flag that keeps callbacks from running once stop was asked for.
    CaptureLoop(Device device, std::span<const MappedRegion> buffers, FrameConverter &converter,
                const std::atomic<bool> &stopRequested);

    // Runs until stopped or the stream ends; calls the callbacks on the calling thread.
    Exit run(const FrameCallback &onFrame, const ButtonCallback &onButton, const timespec &start);

private:
    StreamHealth::Verdict takeFrame(const FrameCallback &onFrame, const timespec &start);
    // False when the button is gone; the stream goes on without it.
    bool readButton(const ButtonCallback &onButton, short revents);

    const Device device_;
    const std::span<const MappedRegion> buffers_;
    FrameConverter &converter_;
    const std::atomic<bool> &stopRequested_;
    StreamHealth health_;
    int queued_ = 0;
};

} // namespace quelmar::v4l2
