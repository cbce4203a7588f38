#include "camera/v4l2/v4l2_camera.h"

#include "camera/v4l2/camera_button.h"
#include "camera/v4l2/capture_loop.h"
#include "camera/v4l2/v4l2_formats.h"
#include "camera/v4l2/v4l2_logging.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <span>
#include <system_error>

#include <fcntl.h>
#include <sys/eventfd.h>

namespace quelmar::v4l2 {

Q_LOGGING_CATEGORY(lcV4l2, "quelmar.camera.v4l2", QtCriticalMsg)

namespace {

constexpr unsigned requestedBufferCount = 4;

QString fixedText(const __u8 *text, std::size_t capacity)
{
    const char *chars = reinterpret_cast<const char *>(text);
    return QString::fromUtf8(chars, qsizetype(strnlen(chars, capacity))).trimmed();
}

constexpr QLatin1Char identitySeparator('|');

} // namespace

bool isCaptureDevice(const v4l2_capability &caps)
{
    const __u32 nodeCaps =
        (caps.capabilities & V4L2_CAP_DEVICE_CAPS) != 0 ? caps.device_caps : caps.capabilities;
    return (nodeCaps & V4L2_CAP_VIDEO_CAPTURE) != 0;
}

CameraInfo cameraInfoFor(const v4l2_capability &caps, const QString &node)
{
    const QString bus = fixedText(caps.bus_info, sizeof(caps.bus_info));
    CameraInfo info;
    info.friendlyName = fixedText(caps.card, sizeof(caps.card));
    info.displayName = bus.isEmpty() ? node : bus + QLatin1Char(' ') + node;
    info.identity = bus + identitySeparator + node;
    return info;
}

QString nodeFromIdentity(const QString &identity)
{
    const qsizetype separator = identity.lastIndexOf(identitySeparator);
    return separator < 0 ? QString() : identity.mid(separator + 1);
}

} // namespace quelmar::v4l2

namespace quelmar {

using v4l2::lcV4l2;

std::unique_ptr<V4l2Camera> V4l2Camera::open(const QString &node)
{
    v4l2::UniqueFd video(
        ::open(QFile::encodeName(node).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!video) {
        qCWarning(lcV4l2) << "cannot open" << node << qt_error_string(errno);
        return nullptr;
    }
    v4l2_capability caps{};
    if (v4l2::ioctlRetrying(video.get(), VIDIOC_QUERYCAP, &caps) != 0 ||
        !v4l2::isCaptureDevice(caps)) {
        qCWarning(lcV4l2) << node << "is no video capture device";
        return nullptr;
    }
    std::unique_ptr<v4l2::FrameConverter> converter = v4l2::FrameConverter::forDevice(video.get());
    if (!converter) {
        qCWarning(lcV4l2) << "libv4lconvert refuses" << node;
        return nullptr;
    }
    v4l2::UniqueFd button = v4l2::openCameraButton(video.get());
    return std::make_unique<V4l2Camera>(OpenKey{}, v4l2::cameraInfoFor(caps, node),
                                        std::move(video), std::move(converter), std::move(button));
}

V4l2Camera::V4l2Camera(OpenKey, CameraInfo info, v4l2::UniqueFd video,
                       std::unique_ptr<v4l2::FrameConverter> converter, v4l2::UniqueFd button)
    : info_(std::move(info)), video_(std::move(video)), button_(std::move(button)),
      converter_(std::move(converter))
{
    formats_ = v4l2::enumerateFormats(
        [this](unsigned long request, void *argument) { return ioctl(request, argument); });

    v4l2_format native{};
    native.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (ioctl(VIDIOC_G_FMT, &native) == 0)
        adopt(native);
    // Leave the camera in a format the station decodes, so start() works without setFormat().
    if (current_.width == 0 && !formats_.empty())
        setFormat(formats_.front());
}

V4l2Camera::~V4l2Camera()
{
    stop();
}

int V4l2Camera::ioctl(unsigned long request, void *argument) const
{
    return v4l2::ioctlRetrying(video_.get(), request, argument);
}

void V4l2Camera::adopt(const v4l2_format &native)
{
    native_ = native;
    const v4l2_pix_format &pix = native.fmt.pix;
    const std::optional<PixelFormat> pixelFormat = v4l2::pixelFormatFromFourcc(pix.pixelformat);
    current_ = pixelFormat ? CaptureFormat{int(pix.width), int(pix.height), *pixelFormat}
                           : CaptureFormat{};
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
        qCWarning(lcV4l2) << info_.displayName << "refuses the format" << format.width
                          << format.height << qt_error_string(errno);
        return false;
    }
    adopt(requested);
    return current_ == format;
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
    if (!converter_->setSource(native_)) {
        qCWarning(lcV4l2) << info_.displayName << "has no format the station decodes";
        return false;
    }
    wake_.reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!wake_ || !prepareBuffers()) {
        releaseBuffers();
        return false;
    }
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (ioctl(VIDIOC_STREAMON, &type) != 0) {
        qCWarning(lcV4l2) << info_.displayName << "refuses to stream" << qt_error_string(errno);
        releaseBuffers();
        return false;
    }
    drainButton(); // presses made before streaming are not stills

    stopRequested_ = false;
    streaming_ = true;
    try {
        thread_ = std::thread(
            [this, callbacks = Callbacks{std::move(onFrame), std::move(onButton), std::move(onEnd)},
             started = v4l2::monotonicNow()] { captureLoop(callbacks, started); });
    } catch (const std::system_error &error) {
        qCWarning(lcV4l2) << "no capture thread:" << error.what();
        streaming_ = false;
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
    if (ioctl(VIDIOC_REQBUFS, &request) != 0 || request.count == 0) {
        qCWarning(lcV4l2) << info_.displayName << "gives no mmap buffers" << qt_error_string(errno);
        return false;
    }
    buffersRequested_ = true;
    buffers_.reserve(request.count);
    for (__u32 index = 0; index < request.count; ++index) {
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        buffer.index = index;
        if (ioctl(VIDIOC_QUERYBUF, &buffer) != 0)
            return false;
        v4l2::MappedRegion region(::mmap(nullptr, buffer.length, PROT_READ | PROT_WRITE, MAP_SHARED,
                                         video_.get(), buffer.m.offset),
                                  buffer.length);
        if (!region.valid()) {
            qCWarning(lcV4l2) << "cannot map buffer" << index << qt_error_string(errno);
            return false;
        }
        buffers_.push_back(std::move(region));
        if (ioctl(VIDIOC_QBUF, &buffer) != 0)
            return false;
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

void V4l2Camera::captureLoop(const Callbacks &callbacks, timespec start)
{
    v4l2::CaptureLoop loop(
        {[this](unsigned long request, void *argument) { return ioctl(request, argument); },
         video_.get(), button_.get(), wake_.get()},
        buffers_, *converter_, stopRequested_);
    const v4l2::CaptureLoop::Exit exit = loop.run(callbacks.frame, callbacks.button, start);
    const bool ended = exit == v4l2::CaptureLoop::Exit::Ended;
    if (ended)
        ended_ = true;
    streaming_ = false;
    if (ended && callbacks.end && !stopRequested_)
        callbacks.end();
}

} // namespace quelmar
