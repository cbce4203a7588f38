#include "camera/v4l2/frame_converter.h"

#include "camera/v4l2/v4l2_formats.h"

#include <climits>

namespace quelmar::v4l2 {

std::unique_ptr<FrameConverter> FrameConverter::forDevice(int fd)
{
    ConvertDataPtr data(v4lconvert_create(fd));
    if (!data)
        return nullptr;
    return std::make_unique<FrameConverter>(std::move(data));
}

FrameConverter::FrameConverter(ConvertDataPtr data) : data_(std::move(data)) {}

bool FrameConverter::setSource(const v4l2_format &native)
{
    const v4l2_pix_format &pix = native.fmt.pix;
    const bool sizeFits = pix.width > 0 && pix.height > 0 && pix.width <= INT_MAX / 3 / pix.height;
    if (!data_ || !pixelFormatFromFourcc(pix.pixelformat) || !sizeFits)
        return false;

    source_ = native;
    source_.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (pix.pixelformat == V4L2_PIX_FMT_YUYV && source_.fmt.pix.bytesperline < pix.width * 2)
        source_.fmt.pix.bytesperline = pix.width * 2;

    target_ = {};
    target_.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    target_.fmt.pix.width = pix.width;
    target_.fmt.pix.height = pix.height;
    target_.fmt.pix.pixelformat = V4L2_PIX_FMT_BGR24;
    target_.fmt.pix.field = V4L2_FIELD_NONE;
    target_.fmt.pix.bytesperline = pix.width * 3;
    target_.fmt.pix.sizeimage = pix.width * pix.height * 3;
    picture_.resize(int(pix.width), int(pix.height));
    return true;
}

bool FrameConverter::convert(std::span<unsigned char> native)
{
    const v4l2_pix_format &pix = source_.fmt.pix;
    if (target_.fmt.pix.sizeimage == 0 || native.empty() || native.size() > INT_MAX)
        return false;
    // libv4lconvert reads a whole picture from an uncompressed frame, whatever its size.
    if (pix.pixelformat == V4L2_PIX_FMT_YUYV &&
        native.size() < std::size_t(pix.bytesperline) * pix.height)
        return false;

    const int expected = int(target_.fmt.pix.sizeimage);
    const int written = v4lconvert_convert(data_.get(), &source_, &target_, native.data(),
                                           int(native.size()), picture_.data(), expected);
    return written == expected;
}

std::string FrameConverter::lastError() const
{
    const char *message = data_ ? v4lconvert_get_error_message(data_.get()) : nullptr;
    return message != nullptr ? std::string(message) : std::string();
}

} // namespace quelmar::v4l2
