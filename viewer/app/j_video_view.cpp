#include "j_video_view.h"

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
