#include "measure/live_marks.h"

#include <QMutexLocker>
#include <QPainter>

#include <algorithm>

namespace quelmar::station {

LiveMarks::LiveMarks(const LiveScene &scene, QSize area, QPointF shapeZoom)
{
    const bool anything = !scene.progress.isEmpty() || scene.overlays.any() ||
                          (scene.shapes && scene.shapes->count() > 0);
    if (!anything || area.isEmpty())
        return;
    layer_ = QImage(area, QImage::Format_ARGB32_Premultiplied);
    layer_.fill(Qt::transparent);
    {
        QPainter painter(&layer_);
        PainterMarkSurface surface(painter);
        drawLivePicture(surface, scene, area, shapeZoom);
    }
    // Runs of marked pixels, so a frame touches only what carries a mark.
    for (int y = 0; y < layer_.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(layer_.constScanLine(y));
        int x = 0;
        while (x < layer_.width()) {
            while (x < layer_.width() && qAlpha(row[x]) == 0)
                ++x;
            const int start = x;
            while (x < layer_.width() && qAlpha(row[x]) != 0)
                ++x;
            if (x > start)
                runs_.push_back({y, start, x});
        }
    }
}

void LiveMarks::drawOnto(QImage &target) const
{
    const QImage::Format f = target.format();
    if (runs_.empty() || (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
                          f != QImage::Format_ARGB32_Premultiplied))
        return;
    const int width = target.width();
    const int height = target.height();
    for (const Run &run : runs_) {
        if (run.y >= height)
            break;
        const int x1 = std::min(run.x1, width);
        if (run.x0 >= x1)
            continue;
        const auto *src = reinterpret_cast<const QRgb *>(layer_.constScanLine(run.y));
        auto *dst = reinterpret_cast<QRgb *>(target.scanLine(run.y));
        for (int x = run.x0; x < x1; ++x) {
            const QRgb s = src[x];
            const uint a = qAlpha(s);
            if (a == 255) {
                dst[x] = s;
                continue;
            }
            // Premultiplied source over an opaque picture.
            const QRgb d = dst[x];
            const uint inv = 255 - a;
            const auto mix = [inv](uint sc, uint dc) { return sc + (dc * inv + 127) / 255; };
            dst[x] = qRgb(int(mix(uint(qRed(s)), uint(qRed(d)))),
                          int(mix(uint(qGreen(s)), uint(qGreen(d)))),
                          int(mix(uint(qBlue(s)), uint(qBlue(d)))));
        }
    }
}

void LiveMarksChannel::publish(std::shared_ptr<const LiveMarks> marks)
{
    // The old marks are released outside the lock: the capture thread never waits for a free.
    std::shared_ptr<const LiveMarks> old;
    {
        QMutexLocker lock(&mutex_);
        old = std::exchange(marks_, std::move(marks));
    }
}

std::shared_ptr<const LiveMarks> LiveMarksChannel::current() const
{
    QMutexLocker lock(&mutex_);
    return marks_;
}

void LiveMarksChannel::drawOnto(QImage &target) const
{
    if (const std::shared_ptr<const LiveMarks> marks = current())
        marks->drawOnto(target);
}

} // namespace quelmar::station
