#include "measure/mark_surface.h"

#include "measure/drawing_styles.h"

#include <QPainter>

#include <cmath>

namespace quelmar::station {

void PainterMarkSurface::setPen(int width, int style, ColorRef colour)
{
    QPen pen = shapePen(width, style, colour);
    if (pen.width() <= 1)
        pen.setCosmetic(true);
    p_.setPen(pen);
    p_.setBrush(Qt::NoBrush);
}

void PainterMarkSurface::line(QPoint a, QPoint b)
{
    p_.drawLine(a, b);
}

void PainterMarkSurface::polyline(const QVector<QPoint> &points, bool closed)
{
    if (points.size() == 1)
        p_.drawPoint(points[0]);
    else if (closed)
        p_.drawPolygon(points.constData(), int(points.size()));
    else
        p_.drawPolyline(points.constData(), int(points.size()));
}

void PainterMarkSurface::ellipse(QPointF centre, double rx, double ry)
{
    if (rx > 0 && ry > 0)
        p_.drawEllipse(centre, rx, ry);
}

void PainterMarkSurface::arc(QPointF centre, double rx, double ry, double startDegrees,
                             double spanDegrees)
{
    if (rx > 0 && ry > 0)
        p_.drawArc(QRectF(centre.x() - rx, centre.y() - ry, 2 * rx, 2 * ry),
                   int(std::lround(startDegrees * 16)), int(std::lround(spanDegrees * 16)));
}

void PainterMarkSurface::fill(const QRect &rect, ColorRef colour)
{
    p_.fillRect(rect, toQColor(colour));
}

void PainterMarkSurface::text(QPoint topLeft, int lineHeight, const QStringList &lines,
                              const QFont &font, ColorRef colour)
{
    const QPen pen = p_.pen();
    p_.setFont(font);
    p_.setPen(toQColor(colour));
    const int ascent = p_.fontMetrics().ascent();
    for (int i = 0; i < lines.size(); ++i)
        p_.drawText(QPoint(topLeft.x(), topLeft.y() + i * lineHeight + ascent), lines[i]);
    p_.setPen(pen);
}

} // namespace quelmar::station
