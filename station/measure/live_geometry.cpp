#include "measure/live_geometry.h"

#include "base/command_ids.h"

#include <algorithm>
#include <cmath>

namespace quelmar::station {

namespace {

// The arc's own constants: 2 pi and pi as single-precision numbers held in doubles, and the
// rounder 2 pi of the arc length. Stored measurements were made with them.
constexpr double kArcTwoPi = 6.2831854820251465;
constexpr double kArcPi = 3.1415927410125732;
constexpr double kArcLengthTwoPi = 6.283;
// The slope that stands in for a vertical bisector.
constexpr double kVerticalSlope = 1000000;

struct ToolEntry {
    LiveTool tool;
    int button;
    const char *prefix;
};

constexpr ToolEntry kTools[] = {
    {LiveTool::Line, cmd::ToolLine, "DL"},
    {LiveTool::ContinuousLine, cmd::ToolContinuousLine, "ML"},
    {LiveTool::PointToLine, cmd::ToolPointToLine, "PL"},
    {LiveTool::Polygon, cmd::ToolPolygon, "PG"},
    {LiveTool::RadiusCircle, cmd::ToolRadiusCircle, "RC"},
    {LiveTool::DiameterCircle, cmd::ToolDiameterCircle, "DC"},
    {LiveTool::ThreePointCircle, cmd::ToolThreePointCircle, "TC"},
    {LiveTool::ThreePointArc, cmd::ToolThreePointArc, "AR"},
    {LiveTool::ThreePointAngle, cmd::ToolThreePointAngle, "TA"},
    {LiveTool::FourPointAngle, cmd::ToolFourPointAngle, "FA"},
};

const ToolEntry *entry(LiveTool tool)
{
    for (const ToolEntry &e : kTools)
        if (e.tool == tool)
            return &e;
    return nullptr;
}

// The perpendicular bisector's slope of a chord.
double bisectorSlope(QPoint a, QPoint b)
{
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    return dy == 0 ? kVerticalSlope : -(dx / dy);
}

} // namespace

std::optional<QPoint> liveAreaPoint(QPoint client)
{
    const QPoint p = client - kLiveOrigin;
    if (p.x() < 1 || p.x() > kLiveSize.width() || p.y() < 1 || p.y() > kLiveSize.height())
        return std::nullopt;
    return p;
}

QPoint clampToLiveArea(QPoint client)
{
    const QPoint p = client - kLiveOrigin;
    return {std::clamp(p.x(), 1, kLiveSize.width()), std::clamp(p.y(), 1, kLiveSize.height())};
}

LiveTool liveToolForButton(int command)
{
    for (const ToolEntry &e : kTools)
        if (e.button == command)
            return e.tool;
    return LiveTool::None;
}

int buttonForLiveTool(LiveTool tool)
{
    const ToolEntry *e = entry(tool);
    return e ? e->button : 0;
}

QString livePrefix(LiveTool tool)
{
    const ToolEntry *e = entry(tool);
    return e ? QString::fromLatin1(e->prefix) : QString();
}

QVector<QString> liveLabelPrefixes(LiveTool tool)
{
    switch (tool) {
    case LiveTool::Line:
    case LiveTool::ContinuousLine:
    case LiveTool::PointToLine:
        return {QStringLiteral("L=")};
    case LiveTool::Polygon:
        return {QStringLiteral("A=")};
    case LiveTool::RadiusCircle:
    case LiveTool::ThreePointCircle:
        return {QStringLiteral("R="), QStringLiteral("C="), QStringLiteral("A=")};
    case LiveTool::DiameterCircle:
        return {QStringLiteral("D="), QStringLiteral("C="), QStringLiteral("A=")};
    case LiveTool::ThreePointArc:
        return {QStringLiteral("R="), QStringLiteral("<="), QStringLiteral("A=")};
    case LiveTool::ThreePointAngle:
    case LiveTool::FourPointAngle:
        return {QStringLiteral("<=")};
    case LiveTool::None:
        break;
    }
    return {};
}

int liveMinimumPoints(LiveTool tool)
{
    switch (tool) {
    case LiveTool::Line:
    case LiveTool::RadiusCircle:
    case LiveTool::DiameterCircle:
    case LiveTool::ThreePointCircle:
        return 3;
    case LiveTool::ContinuousLine:
        return 3; // one segment: start, end, its label point
    case LiveTool::Polygon:
        return 3; // two vertices and the label point
    case LiveTool::ThreePointAngle:
        return 4;
    case LiveTool::PointToLine:
    case LiveTool::ThreePointArc:
    case LiveTool::FourPointAngle:
        return 5;
    case LiveTool::None:
        break;
    }
    return 1;
}

PointToLine pointToLine(QPoint a, QPoint b, QPoint p)
{
    QPointF foot;
    if (a.x() == b.x()) {
        foot = QPointF(a.x(), p.y());
    } else if (a.y() == b.y()) {
        foot = QPointF(p.x(), a.y());
    } else {
        const double m = double(b.y() - a.y()) / (b.x() - a.x());
        const double fx = (a.x() * m * m + p.x() + p.y() * m - a.y() * m) / (m * m + 1);
        const double fy = p.y() + p.x() / m - fx / m;
        foot = QPointF(fx, fy);
    }
    PointToLine result;
    result.foot = truncated(foot);
    const double dx = p.x() - result.foot.x();
    const double dy = p.y() - result.foot.y();
    result.distance = std::sqrt(dx * dx + dy * dy);
    return result;
}

std::optional<ThreePointArc> threePointArc(QPoint p0, QPoint p1, QPoint p2)
{
    // Three points on one line (or a repeated point) have parallel bisectors or none at all:
    // refused before the slopes, which would otherwise meet at a made-up centre.
    const qint64 cross =
        qint64(p1.x() - p0.x()) * (p2.y() - p0.y()) - qint64(p2.x() - p0.x()) * (p1.y() - p0.y());
    if (cross == 0)
        return std::nullopt;
    const double k1 = bisectorSlope(p0, p1);
    const double k2 = bisectorSlope(p1, p2);
    if (k1 == k2)
        return std::nullopt;
    const double m1x = (p0.x() + p1.x()) / 2.0, m1y = (p0.y() + p1.y()) / 2.0;
    const double m2x = (p1.x() + p2.x()) / 2.0, m2y = (p1.y() + p2.y()) / 2.0;
    const double cx = (m2y - m1y + k1 * m1x - k2 * m2x) / (k1 - k2);
    const double cy = k1 * (cx - m1x) + m1y;
    if (!std::isfinite(cx) || !std::isfinite(cy))
        return std::nullopt;

    ThreePointArc arc;
    arc.centre = truncated({cx, cy});
    arc.radius = int(std::sqrt((cx - p0.x()) * (cx - p0.x()) + (cy - p0.y()) * (cy - p0.y())));
    arc.counterClockwise = cross < 0; // y grows downwards
    const double a1 = std::atan2(cy - p0.y(), p0.x() - cx);
    const double a2 = std::atan2(cy - p2.y(), p2.x() - cx);
    double sweep = a2 - a1;
    if (sweep < 0)
        sweep += kArcTwoPi;
    double degrees = sweep * 360 * 0.5 / kArcPi;
    if (!arc.counterClockwise)
        degrees = 360 - degrees;
    arc.degrees = degrees;
    arc.startRadians = a1;
    if (!std::isfinite(arc.degrees))
        return std::nullopt;
    return arc;
}

Measured measurePointToLine(const PointToLine &result, const MeasureUnits &u)
{
    return {{formatValue(toLength(result.distance, u), u.decimals)}, {u.unit}};
}

Measured measureThreePointArc(const ThreePointArc &arc, const MeasureUnits &u)
{
    const double r = arc.radius;
    const double length = r * kArcLengthTwoPi * u.pixelFactor * 10 * arc.degrees / (u.scale * 360);
    return {{formatValue(r * u.pixelFactor * 10 / u.scale, u.decimals), formatAngle(arc.degrees),
             formatValue(length, u.decimals)},
            {u.unit, QStringLiteral("\u00B0"), u.unit}};
}

} // namespace quelmar::station
