#include "camera/v4l2/v4l2_formats.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include <sys/ioctl.h>

namespace quelmar::v4l2 {

namespace {

// Bounds against a driver (or a fake) that never ends its list.
constexpr std::uint32_t maxFormatIndex = 64;
constexpr std::uint32_t maxSizeIndex = 256;

// Sizes that USB cameras and the station's own tables use, smallest first.
constexpr std::array<FrameSize, 17> commonSizes{{
    {160, 120},
    {176, 144},
    {320, 240},
    {352, 288},
    {640, 480},
    {800, 600},
    {1024, 768},
    {1280, 720},
    {1280, 960},
    {1280, 1024},
    {1600, 1200},
    {1920, 1080},
    {2048, 1536},
    {2592, 1944},
    {3264, 2448},
    {3840, 2160},
    {4096, 3072},
}};

bool onGrid(std::uint32_t value, std::uint32_t min, std::uint32_t max, std::uint32_t step)
{
    if (value < min || value > max)
        return false;
    return step <= 1 || (value - min) % step == 0;
}

std::vector<FrameSize> frameSizesOf(const IoctlFn &ioctl, std::uint32_t fourcc)
{
    std::vector<FrameSize> sizes;
    for (std::uint32_t index = 0; index < maxSizeIndex; ++index) {
        v4l2_frmsizeenum answer{};
        answer.index = index;
        answer.pixel_format = fourcc;
        if (ioctl(VIDIOC_ENUM_FRAMESIZES, &answer) != 0)
            break;
        if (answer.type != V4L2_FRMSIZE_TYPE_DISCRETE) {
            // A range is described once, by index 0; nothing follows it.
            if (index == 0)
                sizes = sizesInRange(answer.stepwise);
            break;
        }
        if (answer.discrete.width > 0 && answer.discrete.height > 0)
            sizes.push_back({int(answer.discrete.width), int(answer.discrete.height)});
    }
    return sizes;
}

} // namespace

int ioctlRetrying(int fd, unsigned long request, void *argument)
{
    int result = 0;
    do {
        result = ::ioctl(fd, request, argument);
    } while (result == -1 && errno == EINTR);
    return result;
}

std::optional<PixelFormat> pixelFormatFromFourcc(std::uint32_t fourcc)
{
    switch (fourcc) {
    case V4L2_PIX_FMT_YUYV:
        return PixelFormat::Yuyv;
    case V4L2_PIX_FMT_MJPEG:
        return PixelFormat::Mjpg;
    default:
        return std::nullopt;
    }
}

std::uint32_t fourccFromPixelFormat(PixelFormat format)
{
    return format == PixelFormat::Mjpg ? V4L2_PIX_FMT_MJPEG : V4L2_PIX_FMT_YUYV;
}

std::vector<FrameSize> sizesInRange(const v4l2_frmsize_stepwise &range)
{
    std::vector<FrameSize> sizes;
    if (range.max_width == 0 || range.max_height == 0 || range.min_width > range.max_width ||
        range.min_height > range.max_height)
        return sizes;
    for (const FrameSize &size : commonSizes) {
        if (onGrid(std::uint32_t(size.width), range.min_width, range.max_width, range.step_width) &&
            onGrid(std::uint32_t(size.height), range.min_height, range.max_height,
                   range.step_height))
            sizes.push_back(size);
    }
    const FrameSize largest{int(range.max_width), int(range.max_height)};
    if (std::find(sizes.begin(), sizes.end(), largest) == sizes.end())
        sizes.push_back(largest);
    return sizes;
}

std::vector<CaptureFormat> enumerateFormats(const IoctlFn &ioctl)
{
    std::vector<CaptureFormat> formats;
    for (std::uint32_t index = 0; index < maxFormatIndex; ++index) {
        v4l2_fmtdesc description{};
        description.index = index;
        description.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (ioctl(VIDIOC_ENUM_FMT, &description) != 0)
            break;
        const std::optional<PixelFormat> pixelFormat =
            pixelFormatFromFourcc(description.pixelformat);
        if (!pixelFormat || (description.flags & V4L2_FMT_FLAG_EMULATED) != 0)
            continue;
        for (const FrameSize &size : frameSizesOf(ioctl, description.pixelformat)) {
            const CaptureFormat format{size.width, size.height, *pixelFormat};
            if (std::find(formats.begin(), formats.end(), format) == formats.end())
                formats.push_back(format);
        }
    }
    return formats;
}

} // namespace quelmar::v4l2

namespace quelmar::v4l2 {

std::optional<QString> formatDescription(const IoctlFn &ioctl, PixelFormat format)
{
    const std::uint32_t wanted = fourccFromPixelFormat(format);
    for (std::uint32_t index = 0; index < maxFormatIndex; ++index) {
        v4l2_fmtdesc description{};
        description.index = index;
        description.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (ioctl(VIDIOC_ENUM_FMT, &description) != 0)
            break;
        if (description.pixelformat != wanted)
            continue;
        const auto *text = reinterpret_cast<const char *>(description.description);
        const QString name =
            QString::fromUtf8(text, qsizetype(strnlen(text, sizeof(description.description))))
                .trimmed();
        return name.isEmpty() ? std::nullopt : std::optional<QString>(name);
    }
    return std::nullopt;
}

std::vector<FrameIntervalRange> enumerateFrameIntervals(const IoctlFn &ioctl,
                                                        const CaptureFormat &format)
{
    std::vector<FrameIntervalRange> ranges;
    const auto usable = [](const v4l2_fract &f) { return f.numerator > 0 && f.denominator > 0; };
    const auto interval = [](const v4l2_fract &f) {
        return FrameInterval{int(f.numerator), int(f.denominator)};
    };
    for (std::uint32_t index = 0; index < maxSizeIndex; ++index) {
        v4l2_frmivalenum answer{};
        answer.index = index;
        answer.pixel_format = fourccFromPixelFormat(format.pixelFormat);
        answer.width = __u32(std::max(format.width, 0));
        answer.height = __u32(std::max(format.height, 0));
        if (ioctl(VIDIOC_ENUM_FRAMEINTERVALS, &answer) != 0)
            break;
        if (answer.type != V4L2_FRMIVAL_TYPE_DISCRETE) {
            // A range is described once, by index 0; nothing follows it.
            if (index == 0 && usable(answer.stepwise.min) && usable(answer.stepwise.max))
                ranges.push_back({interval(answer.stepwise.min), interval(answer.stepwise.max)});
            break;
        }
        if (usable(answer.discrete))
            ranges.push_back({interval(answer.discrete), interval(answer.discrete)});
    }
    return ranges;
}

} // namespace quelmar::v4l2
