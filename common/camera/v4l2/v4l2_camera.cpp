#include "camera/v4l2/v4l2_camera.h"

#include "camera/v4l2/camera_button.h"
#include "camera/v4l2/camera_identity.h"
#include "camera/v4l2/capture_loop.h"
#include "camera/v4l2/v4l2_formats.h"
#include "camera/v4l2/v4l2_logging.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <exception>
#include <span>
#include <system_error>

#include <fcntl.h>
#include <sys/eventfd.h>

namespace quelmar::v4l2 {

Q_LOGGING_CATEGORY(lcV4l2, "quelmar.camera.v4l2", QtCriticalMsg)

namespace {

constexpr unsigned requestedBufferCount = 4;
constexpr int minimumStallTimeoutMs = 5000;

} // namespace

bool isCaptureDevice(const v4l2_capability &caps)
{
    const __u32 nodeCaps =
        (caps.capabilities & V4L2_CAP_DEVICE_CAPS) != 0 ? caps.device_caps : caps.capabilities;
    return (nodeCaps & V4L2_CAP_VIDEO_CAPTURE) != 0;
}

CameraFault streamFault(unsigned long request, int error)
{
    switch (error) {
    case EBUSY:
        return CameraFault::Busy;
    case ENOSPC:
        return CameraFault::NoBandwidth;
    case EIO:
        return request == VIDIOC_STREAMON ? CameraFault::NoBandwidth : CameraFault::Failed;
    case EACCES:
    case EPERM:
        return CameraFault::NoPermission;
    case ENODEV:
    case ENXIO:
    case ENOENT:
        return CameraFault::Gone;
    default:
        return CameraFault::Failed;
    }
}

int stallTimeoutMs(FrameInterval interval, int manualExposure100us)
{
    int timeout = minimumStallTimeoutMs;
    if (interval.numerator > 0 && interval.denominator > 0)
        timeout =
            std::max(timeout, int(std::min<long long>(
                                  4000LL * interval.numerator / interval.denominator, 3'600'000)));
    if (manualExposure100us > 0)
        timeout = std::max(timeout, int(std::min(3LL * manualExposure100us / 10, 3'600'000LL)));
    return timeout;
}

} // namespace quelmar::v4l2

namespace quelmar {

using v4l2::lcV4l2;

std::unique_ptr<V4l2Camera> V4l2Camera::open(const QString &node, CameraFault *fault)
{
    CameraFault ignored = CameraFault::None;
    CameraFault &why = fault != nullptr ? *fault : ignored;
    why = CameraFault::None;
    v4l2::UniqueFd video(
        ::open(QFile::encodeName(node).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!video) {
        const int error = errno;
        qCWarning(lcV4l2) << "cannot open" << node << qt_error_string(error);
        why = error == EACCES || error == EPERM ? CameraFault::NoPermission : CameraFault::Gone;
        return nullptr;
    }
    v4l2_capability caps{};
    if (v4l2::ioctlRetrying(video.get(), VIDIOC_QUERYCAP, &caps) != 0 ||
        !v4l2::isCaptureDevice(caps)) {
        qCWarning(lcV4l2) << node << "is no video capture device";
        why = CameraFault::Failed;
        return nullptr;
    }
    std::unique_ptr<v4l2::FrameConverter> converter = v4l2::FrameConverter::forDevice(video.get());
    if (!converter) {
        qCWarning(lcV4l2) << "libv4lconvert refuses" << node;
        why = CameraFault::Failed;
        return nullptr;
    }
    CameraInfo info = v4l2::cameraInfoFor(caps, node, v4l2::nodePlaceOf(video.get()));
    const int fd = video.get();
    auto camera = std::make_unique<V4l2Camera>(
        OpenKey{}, std::move(info), std::move(video),
        [fd](unsigned long request, void *argument) {
            return v4l2::ioctlRetrying(fd, request, argument);
        },
        std::move(converter));
    if (camera->formats().empty()) {
        qCWarning(lcV4l2) << node << "offers neither YUYV nor MJPG";
        why = CameraFault::Failed;
        return nullptr;
    }
    camera->findButton();
    return camera;
}

std::unique_ptr<V4l2Camera> V4l2Camera::onDevice(CameraInfo info, v4l2::UniqueFd video,
                                                 v4l2::IoctlFn ioctl,
                                                 std::unique_ptr<v4l2::FrameConverter> converter)
{
    return std::make_unique<V4l2Camera>(OpenKey{}, std::move(info), std::move(video),
                                        std::move(ioctl), std::move(converter));
}

V4l2Camera::V4l2Camera(OpenKey, CameraInfo info, v4l2::UniqueFd video, v4l2::IoctlFn deviceIoctl,
                       std::unique_ptr<v4l2::FrameConverter> converter)
    : info_(std::move(info)), video_(std::move(video)), ioctl_(std::move(deviceIoctl)),
      controls_(ioctl_), converter_(std::move(converter))
{
    formats_ = v4l2::enumerateFormats(ioctl_);

    v4l2_format native{};
    native.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (ioctl(VIDIOC_G_FMT, &native) == 0)
        adopt(native);
    // Leave the camera in a format the station decodes, so start() works without setFormat().
    if (current_.width == 0 && !formats_.empty())
        setFormat(formats_.front());
    readFrameInterval();
}

V4l2Camera::~V4l2Camera()
{
    stop();
}

void V4l2Camera::adopt(const v4l2_format &native)
{
    native_ = native;
    const v4l2_pix_format &pix = native.fmt.pix;
    const std::optional<PixelFormat> pixelFormat = v4l2::pixelFormatFromFourcc(pix.pixelformat);
    current_ = pixelFormat ? CaptureFormat{int(pix.width), int(pix.height), *pixelFormat}
                           : CaptureFormat{};
}

void V4l2Camera::readFrameInterval()
{
    v4l2_streamparm parameters{};
    parameters.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    const v4l2_fract &perFrame = parameters.parm.capture.timeperframe;
    if (ioctl(VIDIOC_G_PARM, &parameters) == 0 && perFrame.numerator > 0 &&
        perFrame.denominator > 0)
        interval_ = {int(perFrame.numerator), int(perFrame.denominator)};
    else
        interval_ = {};
}

bool V4l2Camera::setFormat(const CaptureFormat &format)
{
    if (streaming_ || ended_)
        return false;
    stop(); // the driver refuses a new format while buffers are allocated

    v4l2_format requested{};
    requested.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    requested.fmt.pix.width = __u32(std::max(format.width, 0));
    requested.fmt.pix.height = __u32(std::max(format.height, 0));
    requested.fmt.pix.pixelformat = v4l2::fourccFromPixelFormat(format.pixelFormat);
    requested.fmt.pix.field = V4L2_FIELD_ANY;
    if (ioctl(VIDIOC_S_FMT, &requested) != 0) {
        const int error = errno;
        qCWarning(lcV4l2) << info_.displayName << "refuses the format" << format.width
                          << format.height << qt_error_string(error);
        fault_ = v4l2::streamFault(VIDIOC_S_FMT, error);
        return false;
    }
    fault_ = CameraFault::None;
    adopt(requested);
    // The driver sets the format's default interval; what the camera runs at now.
    readFrameInterval();
    return current_ == format;
}

std::optional<FrameInterval> V4l2Camera::setFrameInterval(FrameInterval interval)
{
    if (streaming_ || ended_ || interval.numerator <= 0 || interval.denominator <= 0)
        return std::nullopt;
    v4l2_streamparm parameters{};
    parameters.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (ioctl(VIDIOC_G_PARM, &parameters) != 0 ||
        (parameters.parm.capture.capability & V4L2_CAP_TIMEPERFRAME) == 0)
        return std::nullopt;
    parameters.parm.capture.timeperframe = {__u32(interval.numerator), __u32(interval.denominator)};
    if (ioctl(VIDIOC_S_PARM, &parameters) != 0) {
        qCDebug(lcV4l2) << info_.displayName << "keeps its frame rate" << qt_error_string(errno);
        return std::nullopt;
    }
    // The driver answers with the interval it chose.
    readFrameInterval();
    if (interval_.numerator <= 0)
        return std::nullopt;
    return interval_;
}

std::optional<FrameInterval> V4l2Camera::frameInterval() const
{
    if (interval_.numerator <= 0 || interval_.denominator <= 0)
        return std::nullopt;
    return interval_;
}

std::vector<FrameIntervalRange> V4l2Camera::frameIntervals(const CaptureFormat &format) const
{
    if (ended_)
        return {};
    return v4l2::enumerateFrameIntervals(ioctl_, format);
}

QString V4l2Camera::formatName(PixelFormat format) const
{
    if (!ended_) {
        if (std::optional<QString> name = v4l2::formatDescription(ioctl_, format))
            return *name;
    }
    return standardFormatName(format);
}

ButtonAccess V4l2Camera::findButton()
{
    if (button_ || ended_)
        return buttonAccess_;
    ButtonAccess access = ButtonAccess::None;
    button_ = v4l2::openCameraButton(video_.get(), &access);
    buttonAccess_ = access;
    if (button_) {
        drainButton(); // presses made before it was found are not stills
        loopButton_ = button_.get();
    }
    return buttonAccess_;
}

void V4l2Camera::failStart(unsigned long request, int error, const char *what)
{
    fault_ = v4l2::streamFault(request, error);
    qCWarning(lcV4l2) << info_.displayName << what << qt_error_string(error);
    releaseBuffers();
}

bool V4l2Camera::start(FrameCallback onFrame, ButtonCallback onButton, StreamEndCallback onEnd)
{
    if (streaming_)
        return false;
    stop(); // joins a stream that ended by itself
    if (ended_) {
        qCWarning(lcV4l2) << info_.displayName << "is gone; reopen it";
        return false;
    }
    fault_ = CameraFault::None;
    if (!converter_->setSource(native_)) {
        qCWarning(lcV4l2) << info_.displayName << "has no format the station decodes";
        fault_ = CameraFault::Failed;
        return false;
    }
    wake_.reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!wake_) {
        failStart(0, errno, "has no wake-up descriptor");
        return false;
    }
    if (!prepareBuffers())
        return false;
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (ioctl(VIDIOC_STREAMON, &type) != 0) {
        failStart(VIDIOC_STREAMON, errno, "refuses to stream");
        return false;
    }
    drainButton(); // presses made before streaming are not stills

    const int stallTimeout =
        v4l2::stallTimeoutMs(interval_, controls_.manualExposure().value_or(0));
    stopRequested_ = false;
    streaming_ = true;
    try {
        thread_ = std::thread(
            [this, callbacks = Callbacks{std::move(onFrame), std::move(onButton), std::move(onEnd)},
             started = v4l2::monotonicNow(),
             stallTimeout] { captureLoop(callbacks, started, stallTimeout); });
    } catch (const std::system_error &error) {
        qCWarning(lcV4l2) << "no capture thread:" << error.what();
        streaming_ = false;
        fault_ = CameraFault::Failed;
        releaseBuffers();
        return false;
    }
    return true;
}

void V4l2Camera::stop()
{
    stopRequested_ = true;
    if (thread_.joinable()) {
        wakeCaptureThread();
        // From a callback the loop ends when the callback returns; the owner joins later.
        if (thread_.get_id() == std::this_thread::get_id())
            return;
        thread_.join();
    }
    streaming_ = false;
    releaseBuffers();
}

bool V4l2Camera::prepareBuffers()
{
    v4l2_requestbuffers request{};
    request.count = v4l2::requestedBufferCount;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (ioctl(VIDIOC_REQBUFS, &request) != 0) {
        failStart(VIDIOC_REQBUFS, errno, "gives no mmap buffers");
        return false;
    }
    buffersRequested_ = true;
    if (request.count == 0) {
        failStart(VIDIOC_REQBUFS, ENOMEM, "gives no mmap buffers");
        return false;
    }
    buffers_.reserve(request.count);
    for (__u32 index = 0; index < request.count; ++index) {
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        buffer.index = index;
        if (ioctl(VIDIOC_QUERYBUF, &buffer) != 0) {
            failStart(VIDIOC_QUERYBUF, errno, "cannot describe a buffer");
            return false;
        }
        v4l2::MappedRegion region(::mmap(nullptr, buffer.length, PROT_READ | PROT_WRITE, MAP_SHARED,
                                         video_.get(), buffer.m.offset),
                                  buffer.length);
        if (!region.valid()) {
            failStart(0, errno, "cannot map a buffer");
            return false;
        }
        buffers_.push_back(std::move(region));
        if (ioctl(VIDIOC_QBUF, &buffer) != 0) {
            failStart(VIDIOC_QBUF, errno, "cannot queue a buffer");
            return false;
        }
    }
    return true;
}

void V4l2Camera::releaseBuffers()
{
    // A device that is gone is not asked for anything; closing the node frees its buffers.
    const bool deviceUsable = !ended_;
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (deviceUsable && buffersRequested_)
        ioctl(VIDIOC_STREAMOFF, &type);
    buffers_.clear(); // unmapped first: the driver keeps mapped buffers alive
    if (deviceUsable && buffersRequested_) {
        v4l2_requestbuffers none{};
        none.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        none.memory = V4L2_MEMORY_MMAP;
        ioctl(VIDIOC_REQBUFS, &none);
    }
    buffersRequested_ = false;
    wake_.reset();
}

void V4l2Camera::wakeCaptureThread() const
{
    const std::uint64_t one = 1;
    if (wake_ && ::write(wake_.get(), &one, sizeof(one)) < 0)
        qCWarning(lcV4l2) << "cannot wake the capture thread" << qt_error_string(errno);
}

void V4l2Camera::drainButton() const
{
    if (!button_)
        return;
    std::array<input_event, 16> events{};
    while (::read(button_.get(), events.data(), sizeof(events)) > 0) {
    }
}

void V4l2Camera::captureLoop(const Callbacks &callbacks, timespec start, int stallTimeout)
{
    v4l2::CaptureLoop::Device device{ioctl_, video_.get(), -1, wake_.get()};
    device.stallTimeoutMs = stallTimeout;
    device.lateButtonFd = &loopButton_;
    v4l2::CaptureLoop loop(device, buffers_, *converter_, stopRequested_);
    const v4l2::CaptureLoop::Exit exit = loop.run(callbacks.frame, callbacks.button, start);
    const bool ended = exit == v4l2::CaptureLoop::Exit::Ended;
    if (ended) {
        fault_ = loop.fault();
        ended_ = true;
    }
    streaming_ = false;
    if (!ended || !callbacks.end || stopRequested_)
        return;
    try {
        callbacks.end();
    } catch (const std::exception &error) {
        qCWarning(lcV4l2) << "the end-of-stream notice failed:" << error.what();
    } catch (...) {
        qCWarning(lcV4l2) << "the end-of-stream notice failed";
    }
}

} // namespace quelmar
