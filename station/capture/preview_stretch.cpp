#include "capture/preview_stretch.h"

namespace quelmar::station {

QSize stretchTargetSize(int frameWidth, int frameHeight, QSize client)
{
    QSize s = client;
    if (frameWidth == 352 && frameHeight == 288)
        s.rheight() += 24;
    else if (frameWidth == 1280 && frameHeight == 1024)
        s.rheight() += 32;
    else if (frameWidth == 1280 && frameHeight == 720)
        s.rwidth() += 320;
    else if (frameWidth == 1920 && frameHeight == 1080)
        s.rwidth() += 480;
    return s;
}

QPointF previewToFrameZoom(int frameWidth, int frameHeight)
{
    const QSize stretched = stretchTargetSize(frameWidth, frameHeight, QSize(640, 480));
    return {double(frameWidth) / stretched.width(), double(frameHeight) / stretched.height()};
}

void PreviewStretcher::draw(FrameView frame, QImage &target)
{
    if (frame.empty() || target.isNull())
        return;
    const QSize stretched = stretchTargetSize(frame.width, frame.height, target.size());
    const int outW = std::min(target.width(), stretched.width());
    const int outH = std::min(target.height(), stretched.height());
    if (cachedFrameWidth_ != frame.width || cachedTarget_ != stretched) {
        columnOffsets_.resize(size_t(outW));
        for (int x = 0; x < outW; ++x)
            columnOffsets_[size_t(x)] = int(qint64(x) * frame.width / stretched.width()) * 3;
        cachedFrameWidth_ = frame.width;
        cachedTarget_ = stretched;
    }
    const int *cols = columnOffsets_.data();
    for (int y = 0; y < outH; ++y) {
        const std::uint8_t *src = frame.row(int(qint64(y) * frame.height / stretched.height()));
        auto *dst = reinterpret_cast<QRgb *>(target.scanLine(y));
        for (int x = 0; x < outW; ++x) {
            const std::uint8_t *p = src + cols[x];
            dst[x] = 0xFF000000u | (QRgb(p[2]) << 16) | (QRgb(p[1]) << 8) | p[0];
        }
    }
}

} // namespace quelmar::station
