#include "measure/view_geometry.h"

#include <algorithm>
#include <cmath>

namespace quelmar::viewer {

namespace {

constexpr double kWholeLimit = 1e9;
// Stands for the slope of a vertical bisector.
constexpr float kVerticalSlope = 1000000.0f;

QPointF truncated(QPointF point)
{
    return {std::trunc(point.x()), std::trunc(point.y())};
}

// Twice the signed area of the triangle, as the circle's collinearity test reads it.
double circleDeterminant(QPointF p1, QPointF p2, QPointF p3)
{
    return 2 * ((p3.y() - p2.y()) * (p2.x() - p1.x()) - (p3.x() - p2.x()) * (p2.y() - p1.y()));
}

bool collinear(QPointF p1, QPointF p2, QPointF p3)
{
    return std::abs(circleDeterminant(p1, p2, p3)) < 1e-10;
}

float slopeOf(QPoint from, QPoint to)
{
    return float(to.y() - from.y()) / float(to.x() - from.x());
}

// The angle between the rays from `c` to two points, in degrees; 0 when a ray has no length.
float rayAngle(float cx, float cy, QPoint ea, QPoint eb)
{
    const float ux = float(ea.x()) - cx;
    const float uy = float(ea.y()) - cy;
    const float vx = float(eb.x()) - cx;
    const float vy = float(eb.y()) - cy;
    const float la = std::sqrt(ux * ux + uy * uy);
    const float lb = std::sqrt(vx * vx + vy * vy);
    if (!(la > 0) || !(lb > 0))
        return 0;
    const float cosine = (ux * vx + uy * vy) / (la * lb);
    if (std::isnan(cosine))
        return 0;
    // Rounding can carry the cosine a hair past +-1, where acos has no value.
    return float(std::acos(double(std::clamp(cosine, -1.0f, 1.0f))) * 180 / kAnglePi);
}

} // namespace

QPoint wholePoint(QPointF point)
{
    const auto whole = [](double v) {
        return std::isnan(v) ? 0 : int(std::clamp(std::trunc(v), -kWholeLimit, kWholeLimit));
    };
    return {whole(point.x()), whole(point.y())};
}

float lineLength(QPointF a, QPointF b)
{
    const float dx = float(b.x() - a.x());
    const float dy = float(b.y() - a.y());
    return std::sqrt(dx * dx + dy * dy);
}

float polylineLength(std::span<const QPointF> points, std::span<float> segments)
{
    float sum = 0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const float segment = lineLength(points[i - 1], points[i]);
        if (i - 1 < segments.size())
            segments[i - 1] = segment;
        sum += segment;
    }
    return sum;
}

QPointF footOnLine(QPointF p1, QPointF p2, QPointF p3)
{
    const QPointF w1 = truncated(p1);
    const QPointF w2 = truncated(p2);
    const double ax = w1.x() - w2.x();
    const double ay = w1.y() - w2.y();
    const float squared = float(ax * ax + ay * ay);
    if (squared == 0)
        return p2;
    const float dot =
        float((p3.x() - p2.x()) * (p1.x() - p2.x()) + (p3.y() - p2.y()) * (p1.y() - p2.y()));
    const float t = dot / squared;
    return {p2.x() + t * (p1.x() - p2.x()), p2.y() + t * (p1.y() - p2.y())};
}

float polygonArea(std::span<const QPointF> points)
{
    double sum = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const QPointF a = points[i];
        const QPointF b = points[(i + 1) % points.size()];
        sum += a.x() * b.y() - b.x() * a.y();
    }
    return float(std::abs(sum) / 2);
}

CircleValues radiusCircleValues(float radius)
{
    return {radius, float(kCircleTwoPi * radius), float(kCirclePi * radius * radius)};
}

CircleValues diameterCircleValues(float diameter)
{
    return {diameter, float(kCirclePi * diameter), float(kCirclePi * diameter * diameter * 0.25)};
}

CircleValues threePointCircleValues(float radius)
{
    return {radius, float(radius * kCircleTwoPi), float(kCirclePi * radius * radius)};
}

CircleFit circleThrough(QPointF p1, QPointF p2, QPointF p3)
{
    const double d = circleDeterminant(p1, p2, p3);
    if (std::abs(d) < 1e-10)
        return {};
    const double s1 = p1.x() * p1.x() + p1.y() * p1.y();
    const double s2 = p2.x() * p2.x() + p2.y() * p2.y();
    const double s3 = p3.x() * p3.x() + p3.y() * p3.y();
    const QPointF centre(
        (s1 * (p2.y() - p3.y()) + s2 * (p3.y() - p1.y()) + s3 * (p1.y() - p2.y())) / d,
        (s1 * (p3.x() - p2.x()) + s2 * (p1.x() - p3.x()) + s3 * (p2.x() - p1.x())) / d);
    return {centre, lineLength(truncated(p1), truncated(centre))};
}

ArcFit arcThrough(QPointF p1, QPointF p2, QPointF p3)
{
    const float x1 = float(p1.x()), y1 = float(p1.y());
    const float x2 = float(p2.x()), y2 = float(p2.y());
    const float x3 = float(p3.x()), y3 = float(p3.y());
    const float k1 = y1 == y3 ? kVerticalSlope : -(x1 - x3) / (y1 - y3);
    const float k2 = y2 == y3 ? kVerticalSlope : -(x2 - x3) / (y2 - y3);
    if (k1 == k2 || collinear(p1, p2, p3))
        return {};
    const float m1x = (x1 + x3) / 2, m1y = (y1 + y3) / 2;
    const float m2x = (x2 + x3) / 2, m2y = (y2 + y3) / 2;
    const float cx = (k1 * m1x - m1y - k2 * m2x + m2y) / (k1 - k2);
    const float cy = k1 * (cx - m1x) + m1y;

    ArcFit arc;
    arc.centre = QPointF(cx, cy);
    arc.radius = std::trunc(lineLength(p1, arc.centre));
    const QPoint c = wholePoint(arc.centre);
    const QPoint towardsX(c.x() + 100, c.y());
    const QPointF points[] = {p1, p2, p3};
    for (int i = 0; i < 3; ++i) {
        const QPoint p = wholePoint(points[i]);
        const float angle = calcAngle(c, p, c, towardsX).degrees;
        arc.angles[i] = p.y() < c.y() ? 360.0f - angle : angle;
    }
    std::sort(arc.angles.begin(), arc.angles.end());
    arc.sweep = arc.angles[2] - arc.angles[0];
    return arc;
}

LineAngle calcAngle(QPoint a1, QPoint a2, QPoint b1, QPoint b2)
{
    const bool verticalA = a2.x() == a1.x();
    const bool verticalB = b2.x() == b1.x();
    if (verticalA && verticalB)
        return {a2.y() < a1.y() && a1.y() < b2.y() ? 180.0f : 0.0f, true};
    const float kA = verticalA ? 0 : slopeOf(a1, a2);
    const float kB = verticalB ? 0 : slopeOf(b1, b2);
    if (!verticalA && !verticalB && kA == kB) {
        const bool horizontal = kA == 0;
        return {horizontal && a2.x() < a1.x() && a1.x() < b2.x() ? 180.0f : 0.0f, true};
    }

    float cx = 0;
    float cy = 0;
    if (verticalA) {
        cx = float(a1.x());
        cy = kB * float(a1.x() - b2.x()) + float(b2.y());
    } else if (verticalB) {
        cx = float(b1.x());
        cy = kA * float(b1.x() - a2.x()) + float(a2.y());
    } else {
        cx = (kB * float(b2.x()) - float(b2.y()) - kA * float(a2.x()) + float(a2.y())) / (kB - kA);
        cy = kA * (cx - float(a2.x())) + float(a2.y());
    }
    // On each line the end farther from the crossing; on a tie the line's second point.
    const auto squaredDistance = [cx, cy](QPoint p) {
        const float dx = float(p.x()) - cx;
        const float dy = float(p.y()) - cy;
        return dx * dx + dy * dy;
    };
    const QPoint ea = squaredDistance(a1) > squaredDistance(a2) ? a1 : a2;
    const QPoint eb = squaredDistance(b1) > squaredDistance(b2) ? b1 : b2;
    return {rayAngle(cx, cy, ea, eb), false};
}

float threePointAngle(QPointF p1, QPointF p2, QPointF vertex)
{
    const QPoint a = wholePoint(p1);
    const QPoint b = wholePoint(p2);
    const QPoint v = wholePoint(vertex);
    const LineAngle angle = calcAngle(a, v, v, b);
    if (!angle.parallel)
        return angle.degrees;
    // The parallel-lines branch cannot tell 0 from 180 for two arms of one vertex.
    const double ux = double(a.x()) - v.x(), uy = double(a.y()) - v.y();
    const double vx = double(b.x()) - v.x(), vy = double(b.y()) - v.y();
    if ((ux == 0 && uy == 0) || (vx == 0 && vy == 0))
        return 0;
    return ux * vx + uy * vy > 0 ? 0.0f : 180.0f;
}

float fourPointAngle(QPointF p1, QPointF p2, QPointF p3, QPointF p4)
{
    return calcAngle(wholePoint(p1), wholePoint(p2), wholePoint(p4), wholePoint(p3)).degrees;
}

} // namespace quelmar::viewer
