// The capture thread's work: wait for frames, button presses and the stop signal; dequeue,
// convert, deliver and requeue every frame; tell a device that is gone, stalled or failing
// from one that was stopped. It reaches the device through an ioctl callable and plain file
// descriptors, so tests can play a camera that delivers, stumbles, stalls or disappears.
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
    // After a VIDIOC_DQBUF or VIDIOC_QBUF that failed with errno `error`. Only ENODEV and
    // ENXIO mean the camera is gone; EIO can be a passing transfer error and is counted.
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
        Ended,   // the device is gone, stalled or keeps failing, or a callback threw: fault()
    };

    struct Device {
        IoctlFn ioctl;     // VIDIOC_DQBUF and VIDIOC_QBUF on the streaming node
        int videoFd = -1;  // readable when a frame is ready; error or hang-up when gone
        int buttonFd = -1; // evdev node of the camera button; -1 without one
        int wakeFd = -1;   // readable when the owner wants the loop to end
        // The stream counts as stalled when no frame arrives for this long; -1: never.
        int stallTimeoutMs = -1;
        // When set, the button's descriptor is read from here on every round, so a button
        // found while streaming is watched from then on (-1: none yet).
        const std::atomic<int> *lateButtonFd = nullptr;
    };

    // `buffers` are the driver's buffers by index, all queued; `stopRequested` is the owner's
    // flag that keeps callbacks from running once stop was asked for.
    CaptureLoop(Device device, std::span<const MappedRegion> buffers, FrameConverter &converter,
                const std::atomic<bool> &stopRequested);

    // Runs until stopped or the stream ends; calls the callbacks on the calling thread. An
    // exception from a callback ends the stream (fault Failed) instead of leaving the thread.
    Exit run(const FrameCallback &onFrame, const ButtonCallback &onButton, const timespec &start);
    // Why the stream ended; None after Stopped.
    CameraFault fault() const { return fault_; }

private:
    Exit watch(const FrameCallback &onFrame, const ButtonCallback &onButton, const timespec &start);
    Exit end(CameraFault fault);
    // `delivered` tells whether a whole, decodable frame came: only those keep a stream alive.
    StreamHealth::Verdict takeFrame(const FrameCallback &onFrame, const timespec &start,
                                    bool &delivered);
    // False when the button is gone; the stream goes on without it.
    bool readButton(int buttonFd, const ButtonCallback &onButton, short revents);

    const Device device_;
    const std::span<const MappedRegion> buffers_;
    FrameConverter &converter_;
    const std::atomic<bool> &stopRequested_;
    StreamHealth health_;
    int queued_ = 0;
    CameraFault fault_ = CameraFault::None;
};

} // namespace quelmar::v4l2
