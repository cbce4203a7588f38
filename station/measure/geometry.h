// The arithmetic of every measuring tool: picture points from window positions, lengths and
// areas in the chosen unit, the angle between two lines, the circle through three points,
// the tick across a line end, the pixel area of a polygon, and the value texts.
#pragma once

#include <QPoint>
#include <QPointF>
#include <QString>
#include <QVector>

#include <optional>
#include <utility>

namespace quelmar::station {

// The constants of the formulas, deliberately not the exact values: stored measurements
// were made with them.
inline constexpr double kPi = 3.1415926;
inline constexpr double kTwoPi = 6.2831852;

// The two numbers every conversion uses, and how values are written.
struct MeasureUnits {
    double pixelFactor = 0.001; // length of one working-picture pixel at scale 10
    double scale = 1.0;         // never 0 while a tool runs
    int decimals = 3;
    QString unit = QStringLiteral("mm");
};

// Window position to picture point with the canvas zoom and scroll origin (not truncated).
QPointF toPicture(QPointF window, double zoom, QPoint origin);
// A stored point: both coordinates truncated toward zero.
QPoint truncated(QPointF p);

double toLength(double pixels, const MeasureUnits &u);
double toArea(double pixels, const MeasureUnits &u);

// Degrees in [0, 180] between line a (a0 to a1) and line b (b0 to b1); nothing when an arm
// from the crossing to the chosen end has no length, since it then has no direction.
std::optional<double> angleBetween(QPoint a0, QPoint a1, QPoint b0, QPoint b1);

// The centre of the circle through three points; nothing when they lie on one line.
std::optional<QPointF> circumcentre(QPoint p1, QPoint p2, QPoint p3);

// The two ends of the cross tick at line end `end` (the other end being `other`), each
// truncated toward zero; `halfLength` pixels each side of the line.
std::pair<QPoint, QPoint> endTick(QPoint end, QPoint other, int halfLength = 10);

// The pixels whose centres lie inside the polygon by the even-odd rule, counted over its
// bounding box (left and top inclusive, right and bottom exclusive).
qint64 polygonPixelArea(const QVector<QPoint> &polygon);

// "%.*f" with the decimals; angles "%.2f".
QString formatValue(double value, int decimals);
QString formatAngle(double degrees);
// The number a text starts with (after blanks), read with a point as the decimal mark; 0 when
// it starts with none.
double leadingDouble(const QString &text);
// The unit of an area: the length unit followed by "2".
QString areaUnit(const QString &unit);

// The quantities of each tool, in storage order, as value and unit texts.
struct Measured {
    QVector<QString> values;
    QVector<QString> units;
};
Measured measureLine(QPointF p0, QPointF p1, const MeasureUnits &u);
Measured measureRadiusCircle(QPoint centre, QPoint rim, const MeasureUnits &u);
Measured measureDiameterCircle(QPoint end1, QPoint end2, const MeasureUnits &u);
// Nothing when the three points lie on one line.
std::optional<Measured> measureThreePointCircle(QPoint p0, QPoint p1, QPoint p2,
                                                const MeasureUnits &u);
Measured measureRectangle(QPoint corner1, QPoint corner2, const MeasureUnits &u);
Measured measurePolygon(const QVector<QPoint> &polygon, const MeasureUnits &u);
std::optional<Measured> measureThreePointAngle(QPoint armEnd1, QPoint vertex, QPoint armEnd2);
std::optional<Measured> measureFourPointAngle(QPoint a0, QPoint a1, QPoint b0, QPoint b1);

// The continuous line's total: the segment values parsed back from their texts and added;
// the label "TL=" with six decimals and the unit, or empty when the sum is 0.
QString continuousLineTotal(const QVector<QString> &segmentValues, const QString &unit);

} // namespace quelmar::station
