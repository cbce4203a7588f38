#include "shell/background_canvas.h"

#include <QPainter>
#include <QSvgRenderer>

namespace quelmar::station {

BackgroundCanvas::BackgroundCanvas(QSize size, QWidget *parent) : QWidget(parent), background_(size)
{
    QPainter p(&background_);
    QSvgRenderer(QStringLiteral(":/icons/background.svg")).render(&p);
}

void BackgroundCanvas::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (isFullScreen() || window()->isFullScreen())
        p.fillRect(rect(), Qt::black);
    else
        p.drawPixmap(0, 0, background_);
}

} // namespace quelmar::station
