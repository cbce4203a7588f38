#include "measure/live_painter.h"

#include "measure/drawing_styles.h"

#include <cmath>

namespace quelmar::station {

namespace {

constexpr ColorRef kWhite = 0xFFFFFF;
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
void drawCircle(MarkSurface &s, QPointF centre, double r, QPointF z)
{
    if (r > 0)
        s.ellipse(centre, r * z.x(), r * z.y());
}

void drawArc(MarkSurface &s, const ThreePointArc &arc, QPointF centre, QPointF z)
{
    const double start = arc.startRadians * 180 / M_PI;
    const double span = arc.counterClockwise ? arc.degrees : -arc.degrees;
    s.arc(centre, arc.radius * z.x(), arc.radius * z.y(), start, span);
}

QString valueLine(const QVector<QString> &prefixes, const QVector<QString> &values,
                  const QVector<QString> &units, qsizetype i)
{
    const QString prefix = i < prefixes.size() ? prefixes[i] : prefixes.value(0);
    return prefix + values.value(i) + units.value(i);
}

void drawStoredLabels(MarkSurface &s, const CGraph &shape, LiveTool tool, QPointF z)
{
    const QVector<QString> prefixes = liveLabelPrefixes(tool);
    const QVector<QPoint> &pt = shape.points;
    const int step = shape.labelLineHeight;
    const QFont font = toQFont(shape.labelFont);
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
            s.text(zoomed(pt[i], z), step, lines, font, shape.labelColor);
        }
        return;
    }
    QStringList lines{shape.displayName()};
    for (qsizetype i = 0; i < shape.values.size(); ++i)
        lines << valueLine(prefixes, shape.values, shape.units, i);
    s.text(zoomed(pt.constLast(), z), step, lines, font, shape.labelColor);
}

void drawCross(MarkSurface &s, QPoint c)
{
    s.line({c.x() - kCrossHalf, c.y()}, {c.x() + kCrossHalf, c.y()});
    s.line({c.x(), c.y() - kCrossHalf}, {c.x(), c.y() + kCrossHalf});
}

// One-pixel lines across or along the axes are rectangles of one pixel: filled, not stroked.
void drawAxisLines(MarkSurface &s, const QVector<QLine> &lines, ColorRef colour)
{
    for (const QLine &l : lines) {
        if (l.x1() == l.x2() || l.y1() == l.y2()) {
            s.fill(QRect(QPoint(std::min(l.x1(), l.x2()), std::min(l.y1(), l.y2())),
                         QPoint(std::max(l.x1(), l.x2()), std::max(l.y1(), l.y2()))),
                   colour);
        } else {
            s.setPen(1, 0, colour);
            s.line(l.p1(), l.p2());
        }
    }
}

QFont overlayFont()
{
    QFont f;
    f.setPixelSize(12);
    return f;
}

} // namespace

bool drawLiveShape(MarkSurface &s, const CGraph &shape, QPointF z)
{
    const auto tool = LiveTool(shape.kind);
    const QVector<QPoint> &pt = shape.points;
    if (tool == LiveTool::None || shape.kind > std::int32_t(LiveTool::FourPointAngle) ||
        pt.size() < liveMinimumPoints(tool))
        return false;
    s.setPen(shape.penWidth, shape.penStyle, shape.lineColor);
    const auto at = [&](qsizetype i) { return zoomed(pt[i], z); };
    switch (tool) {
    case LiveTool::Line:
        s.line(at(0), at(1));
        break;
    case LiveTool::ContinuousLine: {
        QVector<QPoint> vertices{at(0)};
        for (qsizetype i = 1; i < pt.size(); i += 2)
            vertices << at(i);
        s.polyline(vertices, false);
        break;
    }
    case LiveTool::PointToLine:
        s.line(at(0), at(1));
        s.line(at(2), at(3));
        break;
    case LiveTool::Polygon: {
        QVector<QPoint> vertices;
        for (qsizetype i = 0; i + 1 < pt.size(); ++i)
            vertices << at(i);
        s.polyline(vertices, true);
        break;
    }
    case LiveTool::RadiusCircle:
    case LiveTool::ThreePointCircle:
        drawCircle(s, at(0), distance(pt[0], pt[1]), z);
        break;
    case LiveTool::DiameterCircle:
        drawCircle(s, (QPointF(at(0)) + QPointF(at(1))) / 2, distance(pt[0], pt[1]) / 2, z);
        break;
    case LiveTool::ThreePointArc:
        if (const std::optional<ThreePointArc> arc = threePointArc(pt[0], pt[1], pt[2]))
            drawArc(s, *arc, at(3), z);
        break;
    case LiveTool::ThreePointAngle:
        s.polyline({at(0), at(1), at(2)}, false);
        break;
    case LiveTool::FourPointAngle:
        s.line(at(0), at(1));
        s.line(at(2), at(3));
        break;
    case LiveTool::None:
        break;
    }
    if (shape.measurement)
        drawStoredLabels(s, shape, tool, z);
    return true;
}

void drawLiveProgress(MarkSurface &s, const LiveProgress &progress, QPointF z)
{
    if (progress.isEmpty())
        return;
    s.setPen(progress.penWidth, progress.penStyle, progress.lineColor);
    const QVector<QPoint> &pt = progress.points;
    QVector<QPoint> zp;
    for (const QPoint &point : pt)
        zp << zoomed(point, z);
    const qsizetype n = pt.size();
    switch (progress.tool) {
    case LiveTool::Line:
    case LiveTool::ContinuousLine:
    case LiveTool::ThreePointAngle:
        s.polyline(zp, false);
        break;
    case LiveTool::Polygon:
        s.polyline(zp, progress.measured);
        break;
    case LiveTool::PointToLine:
        s.polyline(zp.mid(0, 2), false);
        if (n >= 3)
            s.line(zp[2], zoomed(pointToLine(pt[0], pt[1], pt[2]).foot, z));
        break;
    case LiveTool::FourPointAngle:
        s.polyline(zp.mid(0, 2), false);
        if (n >= 3)
            s.polyline(zp.mid(2, 2), false);
        break;
    case LiveTool::RadiusCircle:
        if (n >= 2)
            drawCircle(s, zp[0], distance(pt[0], pt[1]), z);
        break;
    case LiveTool::DiameterCircle:
        if (n >= 2)
            drawCircle(s, (QPointF(zp[0]) + QPointF(zp[1])) / 2, distance(pt[0], pt[1]) / 2, z);
        break;
    case LiveTool::ThreePointCircle:
        for (qsizetype i = 0; i < std::min<qsizetype>(n, 2); ++i)
            drawCross(s, zp[i]);
        if (n >= 3)
            if (const std::optional<QPointF> c = circumcentre(pt[0], pt[1], pt[2]))
                drawCircle(s, QPointF(c->x() * z.x(), c->y() * z.y()),
                           std::hypot(c->x() - pt[1].x(), c->y() - pt[1].y()), z);
        break;
    case LiveTool::ThreePointArc:
        for (qsizetype i = 0; i < std::min<qsizetype>(n, 2); ++i)
            drawCross(s, zp[i]);
        if (n >= 3)
            if (const std::optional<ThreePointArc> arc = threePointArc(pt[0], pt[1], pt[2]))
                drawArc(s, *arc, zoomed(arc->centre, z), z);
        break;
    case LiveTool::None:
        break;
    }
    const QFont font = toQFont(progress.labelFont);
    if (progress.measured && !progress.values.isEmpty()) {
        const QVector<QString> prefixes = liveLabelPrefixes(progress.tool);
        QStringList lines;
        for (qsizetype i = 0; i < progress.values.size(); ++i)
            lines << valueLine(prefixes, progress.values, progress.units, i);
        s.text(zoomed(progress.labelPoint, z), progress.labelLineHeight, lines, font, kRed);
    } else if (progress.tool == LiveTool::ContinuousLine) {
        // The segments measured so far, each at the vertex that ends it.
        for (qsizetype i = 0; i < progress.values.size() && i + 1 < n; ++i)
            s.text(zp[i + 1], 0,
                   {valueLine({QStringLiteral("L=")}, progress.values, progress.units, i)}, font,
                   kRed);
    }
}

void drawOverlays(MarkSurface &s, const OverlayState &state, QSize area, bool still,
                  double overlayScale)
{
    if (state.crosshair)
        drawAxisLines(s, centreAxes(area, crosshairCentre(area)), kWhite);
    const double perLabel = pixelsPerLabel(state) * (still ? overlayScale : 1.0);
    const QPoint centre = scaleCentre(area, still);
    if (state.scaleLine) {
        const ScaleLineGeometry g = scaleLineGeometry(
            area, centre, perLabel, state.referenceMagnification, unitStep(state.unit));
        drawAxisLines(s, g.lines, kRed);
        const QFont font = overlayFont();
        for (const ScaleLabel &label : g.labels)
            s.text(label.topLeft, 0, {label.text}, font, kRed);
    }
    if (state.circleGrid) {
        const QVector<int> radii = circleGridRadii(centre.y(), circleGridStep(perLabel));
        if (!radii.isEmpty())
            drawAxisLines(s, centreAxes(area, centre), kRed);
        s.setPen(1, 0, kRed);
        for (const int r : radii)
            if (r > 0)
                s.ellipse(centre, r, r);
    }
}

void drawLivePicture(MarkSurface &s, const LiveScene &scene, QSize area, QPointF shapeZoom)
{
    drawLiveProgress(s, scene.progress, shapeZoom);
    if (scene.shapes)
        for (qsizetype i = 0; i < scene.shapes->count(); ++i)
            drawLiveShape(s, *scene.shapes->at(i), shapeZoom);
    drawOverlays(s, scene.overlays, area, false, 1.0);
}

void drawStillMarks(MarkSurface &s, const LiveScene &scene, QSize frame, double overlayScale,
                    QPointF shapeZoom)
{
    drawOverlays(s, scene.overlays, frame, true, overlayScale);
    drawLiveProgress(s, scene.progress, shapeZoom);
    if (scene.shapes)
        for (qsizetype i = 0; i < scene.shapes->count(); ++i)
            drawLiveShape(s, *scene.shapes->at(i), shapeZoom);
}

} // namespace quelmar::station
