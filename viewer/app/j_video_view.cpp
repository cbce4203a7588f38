#include "j_video_view.h"

#include "image/frame_image.h"
#include "image/jpeg_codec.h"

#include <QPainter>

namespace quelmar::viewer {

JVideoView::JVideoView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void JVideoView::setImage(const QImage &image)
{
    if (image.isNull())
        return;
    image_ = image;
    update();
}

void JVideoView::setWiFiNeedsReDraw(double width, double height)
{
    image_active_width_ = float(width);
    image_active_height_ = float(height);
}

void JVideoView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (image_.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), image_);
}

} // namespace quelmar::viewer

namespace quelmar::viewer {

void JVideoView::setupInitVideoView()
{
    measureRequest_ = {0, {}, {}, QStringLiteral("mm"), 60.0f, 1.0f, false};
}

void JVideoView::setMeasureMode(int mode, int linewidth, int fontsize, int decimal,
                                const QColor &linecolor, const QColor &fontcolor,
                                const QString &measurename, const QString &measureunit,
                                float measuremag, float actuallen, bool calibration)
{
    measureRequest_ = {mode,        {linewidth, fontsize, decimal, linecolor, fontcolor},
                       measurename, measureunit,
                       measuremag,  actuallen,
                       calibration};
}

void JVideoView::deleteshape(int) {}

void JVideoView::saveimg(const QString &path, double width, double height)
{
    const QSize size{int(width), int(height)};
    if (image_.isNull() || size.isEmpty())
        return;
    const QImage still = image_.size() == size
                             ? image_
                             : image_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Best quality, and the file appears whole or not at all.
    if (writeJpeg(path, toFrame(still).view(), 100)) {
        UserEntity entity;
        entity.Param1 = path;
        Q_EMIT PassValue(kStillSaved, entity);
    }
}

} // namespace quelmar::viewer
