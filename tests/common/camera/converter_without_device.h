// A libv4lconvert converter whose "device" answers only VIDIOC_QUERYCAP: libv4lconvert needs no
// more to convert frames, so tests convert canned frames without a camera.
#pragma once

#include "camera/v4l2/frame_converter.h"

#include <libv4l-plugin.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace quelmar::v4l2::fake {

inline int answerQueryCapOnly(void *, int, unsigned long request, void *argument)
{
    if (request != VIDIOC_QUERYCAP) {
        errno = EINVAL;
        return -1;
    }
    auto *caps = static_cast<v4l2_capability *>(argument);
    *caps = {};
    std::strcpy(reinterpret_cast<char *>(caps->driver), "fake");
    std::strcpy(reinterpret_cast<char *>(caps->card), "Fake camera");
    caps->device_caps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    caps->capabilities = caps->device_caps | V4L2_CAP_DEVICE_CAPS;
    return 0;
}

inline std::unique_ptr<FrameConverter> converterWithoutDevice()
{
    static const libv4l_dev_ops ops = [] {
        libv4l_dev_ops fake{};
        fake.ioctl = answerQueryCapOnly;
        return fake;
    }();
    ConvertDataPtr data(v4lconvert_create_with_dev_ops(-1, nullptr, &ops));
    return data ? std::make_unique<FrameConverter>(std::move(data)) : nullptr;
}

inline v4l2_format nativeFormat(std::uint32_t fourcc, std::uint32_t width, std::uint32_t height)
{
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.width = width;
    format.fmt.pix.height = height;
    format.fmt.pix.pixelformat = fourcc;
    format.fmt.pix.field = V4L2_FIELD_NONE;
    format.fmt.pix.bytesperline = fourcc == V4L2_PIX_FMT_YUYV ? width * 2 : 0;
    format.fmt.pix.sizeimage = fourcc == V4L2_PIX_FMT_YUYV ? width * height * 2 : 0;
    return format;
}

} // namespace quelmar::v4l2::fake
