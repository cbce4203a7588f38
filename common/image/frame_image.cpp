#include "image/frame_image.h"

#include <cstring>

namespace quelmar {

QImage toQImage(const Frame &frame, QImage::Format format)
{
    if (frame.empty())
        return {};
    const QImage wrapped(frame.data(), frame.width(), frame.height(), frame.width() * 3,
                         QImage::Format_BGR888);
    // Converting to the same format would share the frame's pixels, so that case copies.
    return format == QImage::Format_BGR888 ? wrapped.copy() : wrapped.convertToFormat(format);
}

Frame toFrame(const QImage &image)
{
    if (image.isNull())
        return {};
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    Frame frame(bgr.width(), bgr.height());
    const std::size_t rowBytes = std::size_t(bgr.width()) * 3;
    for (int y = 0; y < bgr.height(); ++y)
        std::memcpy(frame.view().row(y), bgr.constScanLine(y), rowBytes);
    return frame;
}

} // namespace quelmar
