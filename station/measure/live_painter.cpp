#include "measure/live_painter.h"

#include "measure/drawing_styles.h"
#include "measure/packed_rgb_drawing.h"

#include <QPainter>

#include <cmath>

namespace quelmar::station {

namespace {

constexpr ColorRef kWhite = 0xFFFFFF;

ColorRef ink(ColorRef c, ChannelOrder order)
{
    if (order == ChannelOrder::Rgb)
        return c;
    return (c & 0x00FF00) | (c & 0xFF) << 16 | (c >> 16 & 0xFF);
}
constexpr int kCrossHalf = 6; // the marks of clicked points on a circle or arc in progress

QPoint zoomed(QPoint p, QPointF z)
{
    return {int(p.x() * z.x()), int(p.y() * z.y())};
}

double distance(QPoint a, QPoint b)
{
    return std::hypot(double(b.x() - a.x()), double(b.y() - a.y()));
}

// A circle of radius `r` live pixels about a zoomed centre: an ellipse when the zooms differ.
void drawCircle(QPainter &p, QPointF centre, double r, QPointF z)
{
    if (r > 0)
        p.drawEllipse(centre, r * z.x(), r * z.y());
}

void drawArc(QPainter &p, const ThreePointArc &arc, QPointF centre, QPointF z)
{
    const double rx = arc.radius * z.x();
    const double ry = arc.radius * z.y();
    if (rx <= 0 || ry <= 0)
        return;
    const double start = arc.startRadians * 180 / M_PI;
    const double span = arc.counterClockwise ? arc.degrees : -arc.degrees;
    p.drawArc(QRectF(centre.x() - rx, centre.y() - ry, 2 * rx, 2 * ry),
              int(std::lround(start * 16)), int(std::lround(span * 16)));
}

// Text is placed by its top-left corner, as labels are positioned.
void drawTextLines(QPainter &p, QPoint at, int lineHeight, const QStringList &lines)
{
    if (QImage *packed = packedRgbTarget(p)) {
        stampTextLines(*packed, at, lineHeight, lines, p.font(), p.pen().color());
        return;
    }
    const int ascent = p.fontMetrics().ascent();
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(QPoint(at.x(), at.y() + i * lineHeight + ascent), lines[i]);
}

void drawTextAt(QPainter &p, QPoint topLeft, const QString &text)
{
    drawTextLines(p, topLeft, 0, {text});
}

// One-pixel lines across or along the axes are rectangles of one pixel: filled, not stroked.
void drawOverlayLines(QPainter &p, const QVector<QLine> &lines, QColor colour)
{
    for (const QLine &l : lines) {
        if (l.x1() == l.x2() || l.y1() == l.y2())
            p.fillRect(QRect(QPoint(std::min(l.x1(), l.x2()), std::min(l.y1(), l.y2())),
                             QPoint(std::max(l.x1(), l.x2()), std::max(l.y1(), l.y2()))),
                       colour);
        else
            p.drawLine(l);
    }
}

// A shape's pen: one pixel wide it is cosmetic, which draws the same pixels much faster.
QPen livePen(int width, int style, ColorRef colour)
{
    QPen pen = shapePen(width, style, colour);
    if (pen.width() <= 1)
        pen.setCosmetic(true);
    return pen;
}

QString valueLine(const QVector<QString> &prefixes, const QVector<QString> &values,
                  const QVector<QString> &units, qsizetype i)
{
    const QString prefix = i < prefixes.size() ? prefixes[i] : prefixes.value(0);
    return prefix + values.value(i) + units.value(i);
}

void drawStoredLabels(QPainter &p, const CGraph &shape, LiveTool tool, QPointF z)
{
    const QVector<QString> prefixes = liveLabelPrefixes(tool);
    const QVector<QPoint> &pt = shape.points;
    const int step = shape.labelLineHeight;
    if (tool == LiveTool::ContinuousLine) {
        // Segment k's label sits at point 2k; the total goes under the last one.
        for (qsizetype i = 2, segment = 0; i < pt.size(); i += 2, ++segment) {
            QStringList lines;
            if (segment == 0)
                lines << shape.displayName();
            lines << valueLine(prefixes, shape.values, shape.units, segment);
            if (i + 2 >= pt.size()) {
                const QString total = continuousLineTotal(shape.values, shape.units.value(0));
                if (!total.isEmpty())
                    lines << total;
            }
            drawTextLines(p, zoomed(pt[i], z), step, lines);
        }
        return;
    }
    QStringList lines{shape.displayName()};
    for (qsizetype i = 0; i < shape.values.size(); ++i)
        lines << valueLine(prefixes, shape.values, shape.units, i);
    drawTextLines(p, zoomed(pt.constLast(), z), step, lines);
}

void drawCross(QPainter &p, QPoint c)
{
    p.drawLine(c.x() - kCrossHalf, c.y(), c.x() + kCrossHalf, c.y());
    p.drawLine(c.x(), c.y() - kCrossHalf, c.x(), c.y() + kCrossHalf);
}

void drawChain(QPainter &p, const QVector<QPoint> &zoomedPoints, bool closed)
{
    if (zoomedPoints.size() == 1)
        p.drawPoint(zoomedPoints[0]);
    else if (closed)
        p.drawPolygon(zoomedPoints.constData(), int(zoomedPoints.size()));
    else
        p.drawPolyline(zoomedPoints.constData(), int(zoomedPoints.size()));
}

QPen overlayPen(ColorRef colour, ChannelOrder order)
{
    return livePen(1, 0, ink(colour, order));
}

QFont overlayFont()
{
    QFont f;
    f.setPixelSize(12);
    return f;
}

} // namespace

bool drawLiveShape(QPainter &p, const CGraph &shape, QPointF z, ChannelOrder order)
{
    const auto tool = LiveTool(shape.kind);
    const QVector<QPoint> &pt = shape.points;
    if (pt.size() < liveMinimumPoints(tool) || tool == LiveTool::None ||
        shape.kind > std::int32_t(LiveTool::FourPointAngle))
        return false;
    p.save();
    p.setPen(livePen(shape.penWidth, shape.penStyle, ink(shape.lineColor, order)));
    p.setBrush(Qt::NoBrush);
    const auto at = [&](qsizetype i) { return zoomed(pt[i], z); };
    switch (tool) {
    case LiveTool::Line:
        p.drawLine(at(0), at(1));
        break;
    case LiveTool::ContinuousLine:
        for (qsizetype i = 1; i < pt.size(); i += 2)
            p.drawLine(at(i == 1 ? 0 : i - 2), at(i));
        break;
    case LiveTool::PointToLine:
        p.drawLine(at(0), at(1));
        p.drawLine(at(2), at(3));
        break;
    case LiveTool::Polygon: {
        QVector<QPoint> vertices;
        for (qsizetype i = 0; i + 1 < pt.size(); ++i)
            vertices << at(i);
        drawChain(p, vertices, true);
        break;
    }
    case LiveTool::RadiusCircle:
    case LiveTool::ThreePointCircle:
        drawCircle(p, at(0), distance(pt[0], pt[1]), z);
        break;
    case LiveTool::DiameterCircle:
        drawCircle(p, (QPointF(at(0)) + QPointF(at(1))) / 2, distance(pt[0], pt[1]) / 2, z);
        break;
    case LiveTool::ThreePointArc:
        if (const std::optional<ThreePointArc> arc = threePointArc(pt[0], pt[1], pt[2]))
            drawArc(p, *arc, at(3), z);
        break;
    case LiveTool::ThreePointAngle:
        p.drawLine(at(0), at(1));
        p.drawLine(at(1), at(2));
        break;
    case LiveTool::FourPointAngle:
        p.drawLine(at(0), at(1));
        p.drawLine(at(2), at(3));
        break;
    case LiveTool::None:
        break;
    }
    if (shape.measurement) {
        p.setFont(toQFont(shape.labelFont));
        p.setPen(toQColor(ink(shape.labelColor, order)));
        drawStoredLabels(p, shape, tool, z);
    }
    p.restore();
    return true;
}

void drawLiveProgress(QPainter &p, const LiveProgress &progress, QPointF z, ChannelOrder order)
{
    if (progress.isEmpty())
        return;
    p.save();
    p.setPen(livePen(progress.penWidth, progress.penStyle, ink(progress.lineColor, order)));
    p.setBrush(Qt::NoBrush);
    const QVector<QPoint> &pt = progress.points;
    QVector<QPoint> zp;
    for (const QPoint &point : pt)
        zp << zoomed(point, z);
    const qsizetype n = pt.size();
    switch (progress.tool) {
    case LiveTool::Line:
    case LiveTool::ContinuousLine:
    case LiveTool::ThreePointAngle:
        drawChain(p, zp, false);
        break;
    case LiveTool::Polygon:
        drawChain(p, zp, progress.measured);
        break;
    case LiveTool::PointToLine:
        drawChain(p, zp.mid(0, 2), false);
        if (n >= 3) {
            const PointToLine foot = pointToLine(pt[0], pt[1], pt[2]);
            p.drawLine(zp[2], zoomed(foot.foot, z));
        }
        break;
    case LiveTool::FourPointAngle:
        drawChain(p, zp.mid(0, 2), false);
        if (n >= 3)
            drawChain(p, zp.mid(2, 2), false);
        break;
    case LiveTool::RadiusCircle:
        if (n >= 2)
            drawCircle(p, zp[0], distance(pt[0], pt[1]), z);
        break;
    case LiveTool::DiameterCircle:
        if (n >= 2)
            drawCircle(p, (QPointF(zp[0]) + QPointF(zp[1])) / 2, distance(pt[0], pt[1]) / 2, z);
        break;
    case LiveTool::ThreePointCircle:
        for (qsizetype i = 0; i < std::min<qsizetype>(n, 2); ++i)
            drawCross(p, zp[i]);
        if (n >= 3)
            if (const std::optional<QPointF> c = circumcentre(pt[0], pt[1], pt[2]))
                drawCircle(p, QPointF(c->x() * z.x(), c->y() * z.y()),
                           std::hypot(c->x() - pt[1].x(), c->y() - pt[1].y()), z);
        break;
    case LiveTool::ThreePointArc:
        for (qsizetype i = 0; i < std::min<qsizetype>(n, 2); ++i)
            drawCross(p, zp[i]);
        if (n >= 3)
            if (const std::optional<ThreePointArc> arc = threePointArc(pt[0], pt[1], pt[2]))
                drawArc(p, *arc, zoomed(arc->centre, z), z);
        break;
    case LiveTool::None:
        break;
    }
    if (progress.measured && !progress.values.isEmpty()) {
        p.setFont(toQFont(progress.labelFont));
        p.setPen(toQColor(ink(kRed, order)));
        const QVector<QString> prefixes = liveLabelPrefixes(progress.tool);
        QStringList lines;
        for (qsizetype i = 0; i < progress.values.size(); ++i)
            lines << valueLine(prefixes, progress.values, progress.units, i);
        drawTextLines(p, zoomed(progress.labelPoint, z), progress.labelLineHeight, lines);
    } else if (progress.tool == LiveTool::ContinuousLine) {
        // The segments measured so far, each at the vertex that ends it.
        p.setFont(toQFont(progress.labelFont));
        p.setPen(toQColor(ink(kRed, order)));
        for (qsizetype i = 0; i < progress.values.size() && i + 1 < n; ++i)
            drawTextAt(p, zp[i + 1],
                       valueLine({QStringLiteral("L=")}, progress.values, progress.units, i));
    }
    p.restore();
}

void drawOverlays(QPainter &p, const OverlayState &state, QSize area, bool still,
                  double overlayScale, ChannelOrder order)
{
    if (!state.any())
        return;
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor white = toQColor(ink(kWhite, order));
    const QColor red = toQColor(ink(kRed, order));
    if (state.crosshair)
        drawOverlayLines(p, centreAxes(area, crosshairCentre(area)), white);
    const double perLabel = pixelsPerLabel(state) * (still ? overlayScale : 1.0);
    const QPoint centre = scaleCentre(area, still);
    p.setPen(overlayPen(kRed, order));
    if (state.scaleLine) {
        const ScaleLineGeometry g = scaleLineGeometry(
            area, centre, perLabel, state.referenceMagnification, unitStep(state.unit));
        drawOverlayLines(p, g.lines, red);
        p.setFont(overlayFont());
        for (const ScaleLabel &label : g.labels)
            drawTextAt(p, label.topLeft, label.text);
    }
    if (state.circleGrid) {
        const QVector<int> radii = circleGridRadii(centre.y(), circleGridStep(perLabel));
        if (!radii.isEmpty())
            drawOverlayLines(p, centreAxes(area, centre), red);
        QImage *packed = packedRgbTarget(p);
        for (const int r : radii) {
            if (r <= 0)
                continue;
            if (packed)
                plotCircle(*packed, centre, r, red);
            else
                p.drawEllipse(centre, r, r);
        }
    }
    p.restore();
}

void drawLivePicture(QPainter &p, const LiveScene &scene, QSize area, QPointF shapeZoom)
{
    drawLiveProgress(p, scene.progress, shapeZoom);
    if (scene.shapes)
        for (qsizetype i = 0; i < scene.shapes->count(); ++i)
            drawLiveShape(p, *scene.shapes->at(i), shapeZoom);
    drawOverlays(p, scene.overlays, area, false, 1.0);
}

void drawStillMarks(QPainter &p, const LiveScene &scene, QSize frame, double overlayScale,
                    QPointF shapeZoom, ChannelOrder order)
{
    drawOverlays(p, scene.overlays, frame, true, overlayScale, order);
    drawLiveProgress(p, scene.progress, shapeZoom, order);
    if (scene.shapes)
        for (qsizetype i = 0; i < scene.shapes->count(); ++i)
            drawLiveShape(p, *scene.shapes->at(i), shapeZoom, order);
}

} // namespace quelmar::station
