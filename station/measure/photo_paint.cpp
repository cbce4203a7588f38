#include "measure/photo_paint.h"

#include "measure/photo_tools.h"
#include "measure/shape_painter.h"

#include <QFileInfo>
#include <QFont>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace quelmar::station {

namespace {

constexpr int kCaptionX = 3;
constexpr int kCaptionFromBottom = 18;
constexpr int kCaptionPixels = 14;
const QColor kOutsidePicture(0x80, 0x80, 0x80);

// Copies the part of `from` at `origin` into the top left of `to` (both RGB32); what lies
// beyond the picture is grey.
void copyRegion(const QImage &from, QPoint origin, QImage &to)
{
    const int w = std::clamp(from.width() - origin.x(), 0, to.width());
    const int h = std::clamp(from.height() - origin.y(), 0, to.height());
    if (w < to.width() || h < to.height())
        to.fill(kOutsidePicture);
    for (int y = 0; y < h; ++y)
        std::memcpy(to.scanLine(y), from.constScanLine(origin.y() + y) + origin.x() * 4,
                    std::size_t(w) * 4);
}

} // namespace

QSize fitStretchSize(QSize photo)
{
    QSize s = kFitSize;
    if (photo == QSize(352, 288))
        s.rheight() += 24;
    else if (photo == QSize(1280, 720))
        s.rwidth() += 320;
    else if (photo == QSize(1280, 1024))
        s.rheight() += 32;
    else if (photo == QSize(1920, 1080))
        s.rwidth() += 480;
    return s;
}

QPointF outputRatio(QSize photo, bool fullSize)
{
    if (fullSize || photo.isEmpty())
        return {1.0, 1.0};
    const QSize stretched = fitStretchSize(photo);
    return {double(photo.width()) / stretched.width(), double(photo.height()) / stretched.height()};
}

QString photoCaption(const QString &path)
{
    const QString name = QFileInfo(path).completeBaseName();
    const qsizetype underscore = name.indexOf(u'_');
    return underscore < 0 ? name : name.mid(underscore + 1);
}

QImage fitPicture(const QImage &photo)
{
    if (photo.isNull())
        return {};
    const QImage stretched =
        photo.scaled(fitStretchSize(photo.size()), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QImage working(kFitSize, QImage::Format_RGB32);
    copyRegion(stretched.convertToFormat(QImage::Format_RGB32), {}, working);
    return working;
}

void composeView(QImage &view, const ViewScene &scene)
{
    if (scene.working)
        copyRegion(*scene.working, scene.origin, view);
    else
        view.fill(kOutsidePicture);
    QPainter p(&view);
    const PointMapping mapping{QPointF(scene.origin), 1.0, 1.0};
    if (scene.draft)
        drawShape(p, *scene.draft, view.size(), mapping);
    if (scene.shapes)
        for (qsizetype i = 0; i < scene.shapes->count(); ++i)
            drawShape(p, *scene.shapes->at(i), view.size(), mapping);
    if (!scene.caption.isEmpty()) {
        QFont arial(QStringLiteral("Arial"));
        arial.setPixelSize(kCaptionPixels);
        p.setFont(arial);
        p.setPen(Qt::black);
        p.setBackground(Qt::white);
        p.setBackgroundMode(Qt::OpaqueMode);
        // The top at height - 18 as with the original's Arial; a substitute with a taller
        // ascent is lifted so its descenders (the name's underscores) stay on the canvas.
        const QFontMetrics metrics = p.fontMetrics();
        const int baseline = std::min(view.height() - kCaptionFromBottom + metrics.ascent(),
                                      view.height() - 1 - metrics.descent());
        p.drawText(QPoint(kCaptionX, baseline), scene.caption);
    }
}

void drawBand(QImage &view, const RubberBand &band)
{
    if (band.isEmpty())
        return;
    QPainter p(&view);
    p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    p.setPen(band.pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(band.path);
}

QImage renderPhoto(const QImage &photo, const ShapeList &shapes, QPointF ratio, QSize textArea)
{
    if (photo.isNull())
        return {};
    // A copy: the photo itself stays as it was loaded.
    QImage out = photo.format() == QImage::Format_RGB32
                     ? photo.copy()
                     : photo.convertToFormat(QImage::Format_RGB32);
    if (out.isNull())
        return {};
    QPainter p(&out);
    const PointMapping mapping{{}, ratio.x(), ratio.y()};
    for (qsizetype i = 0; i < shapes.count(); ++i)
        drawShape(p, *shapes.at(i), textArea, mapping);
    return out;
}

} // namespace quelmar::station
