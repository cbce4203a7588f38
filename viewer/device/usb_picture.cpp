#include "device/usb_picture.h"

#include <algorithm>

namespace quelmar::viewer {

QImage &UsbPictureMaker::freePicture()
{
    // A picture only this pool holds can be written without a copy.
    for (QImage &picture : pool_) {
        if (!picture.isNull() && picture.isDetached())
            return picture;
    }
    for (QImage &picture : pool_) {
        if (picture.isNull()) {
            picture = QImage(kWidth, kHeight, QImage::Format_RGB32);
            return picture;
        }
    }
    // Every picture is still on its way to the view: one more, the oldest left to them.
    std::rotate(pool_.begin(), pool_.begin() + 1, pool_.end());
    pool_.back() = QImage(kWidth, kHeight, QImage::Format_RGB32);
    return pool_.back();
}

QImage UsbPictureMaker::make(const FrameView &frame, const PictureAdjustments &adjustments)
{
    QImage &picture = freePicture();
    if (picture.isNull())
        return {};
    std::uint8_t *bits = picture.bits();
    const std::ptrdiff_t stride = picture.bytesPerLine();
    scaler_.scale(frame, bits, kWidth, kHeight, stride);
    if (adjustments.any()) {
        if (!(adjustments == filter_.adjustments()))
            filter_.setAdjustments(adjustments);
        filter_.apply(bits, kWidth, kHeight, stride);
    }
    return picture;
}

} // namespace quelmar::viewer
