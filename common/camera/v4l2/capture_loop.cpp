#include "camera/v4l2/capture_loop.h"

#include "camera/v4l2/camera_button.h"
#include "camera/v4l2/v4l2_logging.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <exception>

#include <poll.h>

namespace quelmar::v4l2 {

StreamHealth::Verdict StreamHealth::failed(int error)
{
    switch (error) {
    case EAGAIN:
    case EINTR:
        return Verdict::KeepGoing; // nothing ready yet; not a failure
    case ENODEV:
    case ENXIO:
        return Verdict::Gone;
    case EPIPE:
        return Verdict::GaveUp; // the queue was stopped: no further frame comes
    default:
        return ++consecutiveErrors_ >= maxConsecutiveErrors ? Verdict::GaveUp : Verdict::KeepGoing;
    }
}

double secondsSinceStart(const timeval &captured, bool capturedIsMonotonic, const timespec &start,
                         const timespec &now)
{
    const bool useCaptured = capturedIsMonotonic && (captured.tv_sec != 0 || captured.tv_usec != 0);
    const double at = useCaptured ? double(captured.tv_sec) + double(captured.tv_usec) * 1e-6
                                  : double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
    const double origin = double(start.tv_sec) + double(start.tv_nsec) * 1e-9;
    return std::max(0.0, at - origin);
}

timespec monotonicNow()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

CaptureLoop::CaptureLoop(Device device, std::span<const MappedRegion> buffers,
                         FrameConverter &converter, const std::atomic<bool> &stopRequested)
    : device_(std::move(device)), buffers_(buffers), converter_(converter),
      stopRequested_(stopRequested), queued_(int(buffers.size()))
{}

CaptureLoop::Exit CaptureLoop::run(const FrameCallback &onFrame, const ButtonCallback &onButton,
                                   const timespec &start)
{
    fault_ = CameraFault::None;
    try {
        return watch(onFrame, onButton, start);
    } catch (const std::exception &error) {
        qCWarning(lcV4l2) << "the capture thread failed:" << error.what();
    } catch (...) {
        qCWarning(lcV4l2) << "the capture thread failed";
    }
    return end(CameraFault::Failed);
}

CaptureLoop::Exit CaptureLoop::end(CameraFault fault)
{
    fault_ = fault;
    return Exit::Ended;
}

namespace {

int millisecondsBetween(const timespec &from, const timespec &to)
{
    const double seconds =
        double(to.tv_sec - from.tv_sec) + double(to.tv_nsec - from.tv_nsec) * 1e-9;
    return int(std::clamp(seconds * 1000.0, 0.0, 1e9));
}

} // namespace

CaptureLoop::Exit CaptureLoop::watch(const FrameCallback &onFrame, const ButtonCallback &onButton,
                                     const timespec &start)
{
    enum { Wake, Video, Button };
    // poll() skips entries with a negative descriptor: the button's slot stays in the set.
    std::array<pollfd, 3> watched{
        {{device_.wakeFd, POLLIN, 0}, {device_.videoFd, POLLIN, 0}, {-1, POLLIN, 0}}};
    int button = -1;
    bool buttonGone = false;
    timespec lastFrame = monotonicNow();

    for (;;) {
        const int current = device_.lateButtonFd ? device_.lateButtonFd->load() : device_.buttonFd;
        if (current != button) {
            button = current;
            buttonGone = false;
        }
        watched[Button].fd = buttonGone ? -1 : button;

        int timeout = -1;
        if (device_.stallTimeoutMs >= 0) {
            timeout = device_.stallTimeoutMs - millisecondsBetween(lastFrame, monotonicNow());
            if (timeout <= 0) {
                qCWarning(lcV4l2) << "no frame for" << device_.stallTimeoutMs << "ms";
                return end(CameraFault::Stalled);
            }
        }
        const int ready = ::poll(watched.data(), watched.size(), timeout);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            qCWarning(lcV4l2) << "poll failed" << qt_error_string(errno);
            return end(CameraFault::Failed);
        }
        if (watched[Wake].revents != 0 || stopRequested_)
            return Exit::Stopped;
        // Presses come first: a press just before the camera goes is still a still.
        if (watched[Button].fd >= 0 && !readButton(button, onButton, watched[Button].revents))
            buttonGone = true;
        const short video = watched[Video].revents;
        if ((video & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            qCDebug(lcV4l2) << "the camera stopped delivering frames";
            return end(CameraFault::Gone);
        }
        if ((video & POLLIN) == 0)
            continue;
        bool delivered = false;
        const StreamHealth::Verdict verdict = takeFrame(onFrame, start, delivered);
        if (delivered)
            lastFrame = monotonicNow();
        if (verdict == StreamHealth::Verdict::Gone)
            return end(CameraFault::Gone);
        if (verdict == StreamHealth::Verdict::GaveUp || queued_ == 0) {
            qCDebug(lcV4l2) << "the stream ended";
            return end(CameraFault::Failed);
        }
    }
}

StreamHealth::Verdict CaptureLoop::takeFrame(const FrameCallback &onFrame, const timespec &start,
                                             bool &delivered)
{
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    if (device_.ioctl(VIDIOC_DQBUF, &buffer) != 0) {
        const int error = errno;
        qCDebug(lcV4l2) << "VIDIOC_DQBUF:" << qt_error_string(error);
        return health_.failed(error);
    }
    if (buffer.index >= buffers_.size()) {
        qCWarning(lcV4l2) << "the driver returned an unknown buffer" << buffer.index;
        return health_.failed(EINVAL);
    }
    --queued_;

    if (buffer.bytesused > 0 && (buffer.flags & V4L2_BUF_FLAG_ERROR) == 0) {
        const MappedRegion &region = buffers_[buffer.index];
        const std::size_t used = std::min<std::size_t>(buffer.bytesused, region.size());
        if (!converter_.convert({region.data(), used})) {
            qCDebug(lcV4l2) << "skipped a frame:" << converter_.lastError().c_str();
        } else {
            delivered = true;
        }
        if (delivered && onFrame && !stopRequested_) {
            const bool monotonic =
                (buffer.flags & V4L2_BUF_FLAG_TIMESTAMP_MASK) == V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC;
            onFrame(converter_.picture(),
                    secondsSinceStart(buffer.timestamp, monotonic, start, monotonicNow()));
        }
    }

    if (device_.ioctl(VIDIOC_QBUF, &buffer) != 0) {
        const int error = errno;
        qCDebug(lcV4l2) << "VIDIOC_QBUF:" << qt_error_string(error);
        return health_.failed(error);
    }
    ++queued_;
    health_.succeeded();
    return StreamHealth::Verdict::KeepGoing;
}

bool CaptureLoop::readButton(int buttonFd, const ButtonCallback &onButton, short revents)
{
    if ((revents & POLLIN) == 0)
        return (revents & (POLLERR | POLLHUP | POLLNVAL)) == 0;
    std::array<input_event, 16> events{};
    for (;;) {
        const ssize_t bytes = ::read(buttonFd, events.data(), sizeof(events));
        if (bytes < 0 && errno == EINTR)
            continue;
        if (bytes < 0)
            return errno == EAGAIN;
        if (bytes == 0)
            return false;
        const int presses =
            cameraButtonPresses(std::span(events.data(), std::size_t(bytes) / sizeof(input_event)));
        for (int press = 0; press < presses && onButton && !stopRequested_; ++press)
            onButton();
    }
}

} // namespace quelmar::v4l2
