// The viewer's measuring arithmetic: plain functions on points in view coordinates (y up).
// It keeps its own constants and rounding rules: 3.1415 and 6.283 for circles, 3.1415926 in
// the line-angle rule, single precision where the values are floats, some distances from
// coordinates cut to whole numbers. Every function gives a finite value for any finite input.
#pragma once

#include <QPoint>
#include <QPointF>

#include <array>
#include <span>

namespace quelmar::viewer {

inline constexpr double kCirclePi = 3.1415;
inline constexpr double kCircleTwoPi = 6.283;
inline constexpr double kAnglePi = 3.1415926;
inline constexpr double kRadiansPerDegree = 0.01745277777777778;

// The point with both coordinates cut towards zero; kept within a billion points, which no
// view reaches, so the whole numbers never overflow.
QPoint wholePoint(QPointF point);

// The straight distance in single precision.
float lineLength(QPointF a, QPointF b);

// The sum of the consecutive segments of `points`; each segment length goes into
// `segments` when given (as many entries as segments, at most points.size() - 1).
float polylineLength(std::span<const QPointF> points, std::span<float> segments = {});

// The foot of the perpendicular from `p3` on the line p1-p2, as p2 + t (p1 - p2); the
// squared length of p1 - p2 comes from whole coordinates. Coinciding line points give p2.
QPointF footOnLine(QPointF p1, QPointF p2, QPointF p3);

// |sum(x[i] y[i+1] - x[i+1] y[i])| / 2, the last point joined to the first.
float polygonArea(std::span<const QPointF> points);

struct CircleValues {
    float size = 0; // radius or diameter
    float circumference = 0;
    float area = 0;
};
CircleValues radiusCircleValues(float radius);
CircleValues diameterCircleValues(float diameter);

// The circle through three points; collinear points give the centre (0, 0) and radius 0.
struct CircleFit {
    QPointF centre;
    float radius = 0; // from the whole coordinates of p1 and the centre
};
CircleFit circleThrough(QPointF p1, QPointF p2, QPointF p3);
CircleValues threePointCircleValues(float radius);

// The arc through three points: the crossing of the perpendicular bisectors of p1-p3 and
// p2-p3, the radius cut to a whole number, each point's angle around the centre (0 to 360,
// counter-clockwise from increasing x) in ascending order, and the swept angle from the
// smallest to the largest. Collinear points give all zeros.
struct ArcFit {
    QPointF centre;
    float radius = 0;
    std::array<float, 3> angles{};
    float sweep = 0;
};
ArcFit arcThrough(QPointF p1, QPointF p2, QPointF p3);

// The line-angle rule on whole-number points: line A through a1, a2 and line B through b1,
// b2; 0 to 180 degrees. `parallel` says the parallel-lines branch decided.
struct LineAngle {
    float degrees = 0;
    bool parallel = false;
};
LineAngle calcAngle(QPoint a1, QPoint a2, QPoint b1, QPoint b2);

// The angle at `vertex` between the arms to p1 and p2. Collinear arms give 0 when they point
// the same way from the vertex, else 180; an arm of no length gives 0.
float threePointAngle(QPointF p1, QPointF p2, QPointF vertex);
// The angle between line p1-p2 and line p3-p4, the second line taken as (p4, p3).
float fourPointAngle(QPointF p1, QPointF p2, QPointF p3, QPointF p4);

} // namespace quelmar::viewer
