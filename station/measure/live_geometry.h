// The arithmetic of measuring on the live picture: the live area and its coordinates, the
// live tools with their kinds and name prefixes, and the two tools that exist only there,
// the distance from a point to a line and the arc through three points.
#pragma once

#include "measure/geometry.h"

#include <QPoint>
#include <QSize>
#include <QString>
#include <QVector>

#include <cstdint>
#include <optional>

namespace quelmar::station {

// The live tool, which is also the kind of every shape in the live shape list.
enum class LiveTool : std::int32_t {
    None = 0,
    Line = 1,
    ContinuousLine = 2,
    PointToLine = 3,
    Polygon = 4,
    RadiusCircle = 5,
    DiameterCircle = 6,
    ThreePointCircle = 7,
    ThreePointArc = 8,
    ThreePointAngle = 9,
    FourPointAngle = 10,
};

// The live area: 640 x 480 from (193, 33) of the main window's client area.
inline constexpr QPoint kLiveOrigin(193, 33);
inline constexpr QSize kLiveSize(640, 480);

// The live point of a client position, or nothing outside 1..640 x 1..480.
std::optional<QPoint> liveAreaPoint(QPoint client);
// The live point nearest to a client position: where a captured pointer outside stays.
QPoint clampToLiveArea(QPoint client);

// The tool of a tool button (1138-1146, 1136), or None.
LiveTool liveToolForButton(int command);
int buttonForLiveTool(LiveTool tool);
// "DL", "ML", "PL", "PG", "RC", "DC", "TC", "AR", "TA", "FA".
QString livePrefix(LiveTool tool);
// The label prefix of each value in storage order ("L=" for every continuous-line segment).
QVector<QString> liveLabelPrefixes(LiveTool tool);
// The points a stored live shape needs before it can be drawn.
int liveMinimumPoints(LiveTool tool);

// The foot of the perpendicular from `p` to the line a-b (truncated toward zero) and the
// distance from `p` to that foot, in live pixels.
struct PointToLine {
    QPoint foot;
    double distance = 0;
};
PointToLine pointToLine(QPoint a, QPoint b, QPoint p);

// The arc from p0 through p1 to p2: centre (truncated), radius in whole pixels and the
// swept angle in degrees. Nothing when the three points lie on one line (a repeated point
// included), where the bisectors never meet.
struct ThreePointArc {
    QPoint centre;
    int radius = 0;
    double degrees = 0;
    bool counterClockwise = false; // on the screen, from p0 to p2
    double startRadians = 0;       // direction of p0 from the centre, y upwards
};
std::optional<ThreePointArc> threePointArc(QPoint p0, QPoint p1, QPoint p2);

// Values of the two live-only tools, in storage order.
Measured measurePointToLine(const PointToLine &result, const MeasureUnits &u);
// Radius, sweep angle, arc length.
Measured measureThreePointArc(const ThreePointArc &arc, const MeasureUnits &u);

} // namespace quelmar::station
