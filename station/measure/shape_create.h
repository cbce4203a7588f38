// Creating shapes: a new CGraph gets its style from the settings, its name prefix, sequence
// number and measurement flag at once, then the points in its kind's order and its value
// texts. The photo canvas and the live view both create through these functions.
#pragma once

#include "measure/geometry.h"
#include "measure/graph.h"

#include <memory>

namespace quelmar::station {

struct StationSettings;

// What every new shape copies from the settings at its creation (Text shapes add their own
// font and colour).
struct ShapeStyle {
    std::int32_t penWidth = 1;
    std::int32_t penStyle = 0;
    ColorRef lineColor = kRed;
    ColorRef labelColor = kRed;
    LogFont labelFont;
    std::int32_t labelLineHeight = 12;
};
ShapeStyle shapeStyle(const StationSettings &settings, const LogFont &labelFont);

// A shape with the common fields set: kind (a ShapeKind, or a live tool number in the live
// list), style, prefix, and the sequence number; sequence 0 makes a plain drawing
// (measurement flag 0), anything else a measured shape.
std::unique_ptr<CGraph> newShape(std::int32_t kind, const QString &prefix, const ShapeStyle &style,
                                 int sequence);

// How a photo-canvas shape is created: with a counter it is measured and numbered (the
// counter only moves when the shape is made), without one it is a plain drawing whose value
// and unit texts are empty, one of each per quantity of its kind.
struct CreateContext {
    ShapeStyle style;
    MeasureUnits units;
    ShapeCounter *counter = nullptr;
};

// Each returns the shape with its label point at the last clicked point, or null when a
// measured shape has no value (an angle arm of no length, three points on one line).
// A Line is measured with the unrounded picture points and stored truncated, with a tick of
// `tickHalfLength` pixels across each end.
std::unique_ptr<CGraph> createLine(QPointF start, QPointF end, const CreateContext &c,
                                   int tickHalfLength = 10);
std::unique_ptr<CGraph> createRadiusCircle(QPoint centre, QPoint rim, const CreateContext &c);
std::unique_ptr<CGraph> createRectangle(QPoint corner, QPoint opposite, const CreateContext &c);
std::unique_ptr<CGraph> createDiameterCircle(QPoint end1, QPoint end2, const CreateContext &c);
// The clicks in the order they were made; stored as centre, second, first, third, label.
std::unique_ptr<CGraph> createThreePointCircle(QPoint first, QPoint second, QPoint third,
                                               const CreateContext &c);
std::unique_ptr<CGraph> createThreePointAngle(QPoint armEnd1, QPoint vertex, QPoint armEnd2,
                                              const CreateContext &c);
std::unique_ptr<CGraph> createFourPointAngle(QPoint a0, QPoint a1, QPoint b0, QPoint b1,
                                             const CreateContext &c);
// Vertices in drawing order (unrounded picture points, at least two) and one label point per
// segment; a missing label point is the vertex that ends its segment.
std::unique_ptr<CGraph> createContinuousLine(const QVector<QPointF> &vertices,
                                             const QVector<QPoint> &labelPoints,
                                             const CreateContext &c);
// The double-clicked point is the last vertex and the first label point.
std::unique_ptr<CGraph> createPolygon(const QVector<QPoint> &vertices, const CreateContext &c);
// A Text shape: no label, no unit, no sequence number. Point 1 is the far corner of the text
// as drawn (see textExtent), so selecting and moving find the text where it stands.
std::unique_ptr<CGraph> createText(QPoint anchor, QPoint textEnd, const QString &text,
                                   const LogFont &textFont, ColorRef textColor,
                                   const ShapeStyle &style);

} // namespace quelmar::station
