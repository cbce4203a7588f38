#include "measure/shape_painter.h"

#include "measure/drawing_styles.h"
#include "measure/geometry.h"

#include <QPainter>
#include <QPolygonF>

#include <cmath>

namespace quelmar::station {

namespace {

constexpr ColorRef kSelectedGreen = 0x00FF00;

double distance(QPoint a, QPoint b)
{
    return std::hypot(double(b.x() - a.x()), double(b.y() - a.y()));
}

void drawCircle(QPainter &p, QPoint centre, double radius)
{
    p.drawEllipse(QPointF(centre), radius, radius);
}

// The arc about the vertex, clockwise on screen from the first arm's direction to the second's.
void drawAngleArc(QPainter &p, QPoint first, QPoint vertex, QPoint second)
{
    const int radius = int(0.3 * distance(vertex, first));
    if (radius <= 0)
        return;
    // Screen y grows downwards, so the angles are mirrored for Qt's counter-clockwise degrees.
    const double a1 = std::atan2(-(first.y() - vertex.y()), first.x() - vertex.x()) * 180 / M_PI;
    const double a2 = std::atan2(-(second.y() - vertex.y()), second.x() - vertex.x()) * 180 / M_PI;
    double span = a2 - a1;
    while (span > 0)
        span -= 360; // clockwise
    if (span == 0)
        span = -360; // both arms one way: the system draws the whole circle
    const QRect box(vertex.x() - radius, vertex.y() - radius, 2 * radius, 2 * radius);
    p.drawArc(box, int(a1 * 16), int(span * 16));
}

QPolygonF rotatedRectangle(QPoint a, QPoint b, float rotation)
{
    const QPointF centre((a.x() + b.x()) / 2.0, (a.y() + b.y()) / 2.0);
    const QPointF corners[] = {QPointF(a.x(), a.y()), QPointF(b.x(), a.y()), QPointF(b.x(), b.y()),
                               QPointF(a.x(), b.y())};
    const double c = std::cos(rotation);
    const double s = std::sin(rotation);
    QPolygonF polygon;
    for (const QPointF &corner : corners) {
        const QPointF d = corner - centre;
        polygon << centre + QPointF(d.x() * c - d.y() * s, d.x() * s + d.y() * c);
    }
    return polygon;
}

void drawLabelLines(QPainter &p, QPoint at, int lineHeight, const QStringList &lines)
{
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(QPoint(at.x(), at.y() + i * lineHeight + p.fontMetrics().ascent()), lines[i]);
}

// "%s%s%s": label prefix, value, unit; every segment of a continuous line takes "L=".
QString valueLine(const CGraph &shape, const QVector<QString> &prefixes, qsizetype i)
{
    const QString prefix = i < prefixes.size() ? prefixes[i] : prefixes.value(0);
    return prefix + shape.values.value(i) + shape.units.value(i);
}

void drawLabels(QPainter &p, const CGraph &shape)
{
    const ShapeKind kind = shape.shapeKind();
    const QVector<QString> prefixes = labelPrefixes(kind);
    const int step = shape.labelLineHeight;
    if (kind == ShapeKind::ContinuousLine) {
        // Points: the first vertex, then each vertex followed by its segment's label point.
        for (qsizetype i = 2, segment = 0; i < shape.points.size(); i += 2, ++segment) {
            QStringList lines;
            if (segment == 0)
                lines << shape.displayName();
            lines << valueLine(shape, prefixes, segment);
            if (i + 2 >= shape.points.size()) {
                const QString total = continuousLineTotal(shape.values, shape.units.value(0));
                if (!total.isEmpty())
                    lines << total;
            }
            drawLabelLines(p, shape.points[i], step, lines);
        }
        return;
    }
    const qsizetype labelIndex =
        kind == ShapeKind::Polygon ? shape.points.size() - 1 : minimumPoints(kind) - 1;
    QStringList lines{shape.displayName()};
    for (qsizetype i = 0; i < shape.values.size(); ++i)
        lines << valueLine(shape, prefixes, i);
    drawLabelLines(p, shape.points[labelIndex], step, lines);
}

} // namespace

bool drawShape(QPainter &p, const CGraph &shape, QSize textArea)
{
    const ShapeKind kind = shape.shapeKind();
    const QVector<QPoint> &pt = shape.points;
    if (pt.size() < minimumPoints(kind))
        return false;
    const ColorRef lineColour = shape.selected ? kSelectedGreen : shape.lineColor;
    p.save();
    p.setPen(shapePen(shape.penWidth, shape.penStyle, lineColour));
    p.setBrush(Qt::NoBrush);
    switch (kind) {
    case ShapeKind::Line:
        p.drawLine(pt[0], pt[1]);
        p.drawLine(pt[2], pt[3]);
        p.drawLine(pt[4], pt[5]);
        break;
    case ShapeKind::RadiusCircle:
        drawCircle(p, pt[0], distance(pt[0], pt[1]));
        break;
    case ShapeKind::DiameterCircle:
        drawCircle(p, pt[0], distance(pt[1], pt[2]) / 2);
        break;
    case ShapeKind::ThreePointCircle:
        drawCircle(p, pt[0], distance(pt[0], pt[1]));
        break;
    case ShapeKind::Rectangle:
        p.drawPolygon(rotatedRectangle(pt[0], pt[1], shape.rotation));
        drawCircle(p, QPoint((pt[0].x() + pt[1].x()) / 2, (pt[0].y() + pt[1].y()) / 2), 3);
        break;
    case ShapeKind::ThreePointAngle:
        p.drawLine(pt[1], pt[0]);
        p.drawLine(pt[1], pt[2]);
        drawAngleArc(p, pt[0], pt[1], pt[2]);
        break;
    case ShapeKind::FourPointAngle:
        p.drawLine(pt[0], pt[1]);
        p.drawLine(pt[2], pt[3]);
        break;
    case ShapeKind::ContinuousLine:
        for (qsizetype i = 1; i < pt.size(); i += 2)
            p.drawLine(pt[i == 1 ? 0 : i - 2], pt[i]);
        break;
    case ShapeKind::Polygon: {
        const QVector<QPoint> vertices = pt.mid(0, pt.size() - 1);
        p.drawPolygon(vertices.constData(), int(vertices.size()));
        break;
    }
    case ShapeKind::Text:
        p.setFont(toQFont(shape.textFont));
        p.setPen(toQColor(shape.selected ? kSelectedGreen : shape.textColor));
        p.drawText(QRect(pt[0], textArea), Qt::TextWordWrap, shape.values.value(0));
        break;
    case ShapeKind::None:
        break;
    }
    if (shape.measurement && kind != ShapeKind::Text) {
        p.setFont(toQFont(shape.labelFont));
        p.setPen(toQColor(shape.selected ? kSelectedGreen : shape.labelColor));
        drawLabels(p, shape);
    }
    p.restore();
    return true;
}

} // namespace quelmar::station
