// The list of capture formats a V4L2 camera offers, built from its VIDIOC_ENUM_FMT and
// VIDIOC_ENUM_FRAMESIZES answers. The device is reached through a callable so that tests
// can answer the ioctls with canned data.
#pragma once

#include "camera/camera.h"

#include <linux/videodev2.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace quelmar::v4l2 {

// Issues one ioctl; returns what ioctl(2) returns, with errno set on failure.
using IoctlFn = std::function<int(unsigned long request, void *argument)>;

// ioctl(2) on `fd`, repeated while a signal interrupts it.
int ioctlRetrying(int fd, unsigned long request, void *argument);

// The fourccs the station can decode; everything else the camera offers is left out.
std::optional<PixelFormat> pixelFormatFromFourcc(std::uint32_t fourcc);
std::uint32_t fourccFromPixelFormat(PixelFormat format);

struct FrameSize {
    int width = 0;
    int height = 0;

    bool operator==(const FrameSize &) const = default;
};

// Sizes offered for a stepwise or continuous range: the usual camera sizes that lie on the
// range's grid, smallest first, followed by the range's maximum (the full sensor size).
std::vector<FrameSize> sizesInRange(const v4l2_frmsize_stepwise &range);

// Every YUYV and MJPG frame size in the camera's own order (formats as VIDIOC_ENUM_FMT lists
// them, sizes as VIDIOC_ENUM_FRAMESIZES lists them), without repeats.
std::vector<CaptureFormat> enumerateFormats(const IoctlFn &ioctl);

// The driver's description of a pixel format ("Motion-JPEG"); nothing when it gives none.
std::optional<QString> formatDescription(const IoctlFn &ioctl, PixelFormat format);

// The frame intervals offered for one format (VIDIOC_ENUM_FRAMEINTERVALS): each discrete
// interval as a range of one, a stepwise or continuous range as one range.
std::vector<FrameIntervalRange> enumerateFrameIntervals(const IoctlFn &ioctl,
                                                        const CaptureFormat &format);

} // namespace quelmar::v4l2
