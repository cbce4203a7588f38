#include "measure/shape_painter.h"

#include "measure/drawing_styles.h"
#include "measure/geometry.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>

#include <cmath>

namespace quelmar::station {

namespace {

constexpr ColorRef kSelectedGreen = 0x00FF00;

double distance(QPointF a, QPointF b)
{
    return std::hypot(b.x() - a.x(), b.y() - a.y());
}

QTransform transformOf(const PointMapping &m)
{
    return QTransform(m.scaleX, 0, 0, m.scaleY, -m.origin.x() * m.scaleX, -m.origin.y() * m.scaleY);
}

// Both arms drawn and the arc between them, of 0.3 times the first arm (whole pixels).
QPainterPath angleArcPath(QPoint first, QPoint vertex, QPoint second)
{
    QPainterPath path;
    const int radius = int(0.3 * distance(vertex, first));
    const ArcSpan arc = angleArc(first, vertex, second);
    if (radius <= 0 || arc.span == 0)
        return path;
    const QRectF box(vertex.x() - radius, vertex.y() - radius, 2 * radius, 2 * radius);
    path.arcMoveTo(box, arc.start);
    path.arcTo(box, arc.start, arc.span);
    return path;
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

QPoint rectangleCentre(QPoint a, QPoint b)
{
    return {(a.x() + b.x()) / 2, (a.y() + b.y()) / 2};
}

// A circle about a picture point: an ellipse when the two axes are scaled differently.
void addCircle(QPainterPath &path, QPointF centre, double radius, const PointMapping &m)
{
    path.addEllipse(m.map(centre), radius * m.scaleX, radius * m.scaleY);
}

void addLine(QPainterPath &path, QPointF a, QPointF b, const PointMapping &m)
{
    path.moveTo(m.map(a));
    path.lineTo(m.map(b));
}

void drawLabelLines(QPainter &p, QPointF at, int lineHeight, const QStringList &lines)
{
    const int ascent = p.fontMetrics().ascent();
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(QPointF(at.x(), at.y() + i * lineHeight + ascent), lines[i]);
}

// "%s%s%s": label prefix, value, unit; every segment of a continuous line takes "L=".
QString valueLine(const CGraph &shape, const QVector<QString> &prefixes, qsizetype i)
{
    const QString prefix = i < prefixes.size() ? prefixes[i] : prefixes.value(0);
    return prefix + shape.values.value(i) + shape.units.value(i);
}

void drawLabels(QPainter &p, const CGraph &shape, const PointMapping &m)
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
            drawLabelLines(p, m.map(shape.points[i]), step, lines);
        }
        return;
    }
    const qsizetype labelIndex =
        kind == ShapeKind::Polygon ? shape.points.size() - 1 : minimumPoints(kind) - 1;
    QStringList lines{shape.displayName()};
    for (qsizetype i = 0; i < shape.values.size(); ++i)
        lines << valueLine(shape, prefixes, i);
    drawLabelLines(p, m.map(shape.points[labelIndex]), step, lines);
}

// The lines of every kind but Text, mapped; the rectangle's centre mark keeps its 6 pixels.
QPainterPath geometry(const CGraph &shape, const PointMapping &m)
{
    const QVector<QPoint> &pt = shape.points;
    QPainterPath path;
    switch (shape.shapeKind()) {
    case ShapeKind::Line:
        addLine(path, pt[0], pt[1], m);
        addLine(path, pt[2], pt[3], m);
        addLine(path, pt[4], pt[5], m);
        break;
    case ShapeKind::RadiusCircle:
    case ShapeKind::ThreePointCircle:
        addCircle(path, pt[0], distance(pt[0], pt[1]), m);
        break;
    case ShapeKind::DiameterCircle:
        addCircle(path, pt[0], distance(pt[1], pt[2]) / 2, m);
        break;
    case ShapeKind::Rectangle: {
        QPolygonF corners = rotatedRectangle(pt[0], pt[1], shape.rotation);
        for (QPointF &c : corners)
            c = m.map(c);
        path.addPolygon(corners);
        path.closeSubpath();
        path.addEllipse(m.map(rectangleCentre(pt[0], pt[1])), 3, 3);
        break;
    }
    case ShapeKind::ThreePointAngle:
        addLine(path, pt[1], pt[0], m);
        addLine(path, pt[1], pt[2], m);
        path.addPath(transformOf(m).map(angleArcPath(pt[0], pt[1], pt[2])));
        break;
    case ShapeKind::FourPointAngle:
        addLine(path, pt[0], pt[1], m);
        addLine(path, pt[2], pt[3], m);
        break;
    case ShapeKind::ContinuousLine:
        for (qsizetype i = 1; i < pt.size(); i += 2)
            addLine(path, pt[i == 1 ? 0 : i - 2], pt[i], m);
        break;
    case ShapeKind::Polygon: {
        QPolygonF vertices;
        for (qsizetype i = 0; i + 1 < pt.size(); ++i)
            vertices << m.map(pt[i]);
        path.addPolygon(vertices);
        path.closeSubpath();
        break;
    }
    case ShapeKind::Text:
    case ShapeKind::None:
        break;
    }
    return path;
}

} // namespace

ArcSpan angleArc(QPointF first, QPointF vertex, QPointF second)
{
    // Screen y grows downwards: the angles are mirrored into Qt's counter-clockwise degrees.
    const double a1 = std::atan2(-(first.y() - vertex.y()), first.x() - vertex.x()) * 180 / M_PI;
    const double a2 = std::atan2(-(second.y() - vertex.y()), second.x() - vertex.x()) * 180 / M_PI;
    double span = a2 - a1;
    while (span > 180)
        span -= 360;
    while (span <= -180)
        span += 360;
    return {a1, span};
}

QRect textExtent(const QString &text, const LogFont &font, QPoint anchor, QSize textArea)
{
    const QFontMetrics metrics(toQFont(font));
    const QRect box = metrics.boundingRect(QRect(anchor, textArea), Qt::TextWordWrap, text);
    // An empty text still marks its anchor.
    return box.isEmpty() ? QRect(anchor, QSize(1, 1)) : box;
}

QPainterPath shapeOutline(const CGraph &shape, const PointMapping &m)
{
    if (shape.points.size() < minimumPoints(shape.shapeKind()))
        return {};
    if (shape.shapeKind() != ShapeKind::Text)
        return geometry(shape, m);
    QPainterPath path;
    const QPointF a = m.map(shape.points[0]);
    const QPointF b = shape.points.size() > 1 ? m.map(shape.points[1]) : a;
    path.addRect(QRectF(a, b).normalized());
    return path;
}

bool drawShape(QPainter &p, const CGraph &shape, QSize textArea, const PointMapping &m)
{
    const ShapeKind kind = shape.shapeKind();
    const QVector<QPoint> &pt = shape.points;
    if (pt.size() < minimumPoints(kind))
        return false;
    const ColorRef lineColour = shape.selected ? kSelectedGreen : shape.lineColor;
    p.save();
    p.setBrush(Qt::NoBrush);
    if (kind == ShapeKind::Text) {
        p.setFont(toQFont(shape.textFont));
        p.setPen(toQColor(shape.selected ? kSelectedGreen : shape.textColor));
        p.drawText(QRectF(m.map(pt[0]), QSizeF(textArea)), Qt::TextWordWrap, shape.values.value(0));
    } else {
        p.setPen(shapePen(shape.penWidth, shape.penStyle, lineColour));
        p.drawPath(geometry(shape, m));
    }
    if (shape.measurement && kind != ShapeKind::Text) {
        p.setFont(toQFont(shape.labelFont));
        p.setPen(toQColor(shape.selected ? kSelectedGreen : shape.labelColor));
        drawLabels(p, shape, m);
    }
    p.restore();
    return true;
}

} // namespace quelmar::station
