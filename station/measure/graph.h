// The shape model: CGraph, one measurement or annotation with its points, pen, fonts, name
// and ready-formatted values; the shape lists that own them; and CDrawGraph, the live view's
// current tool with its scratch points.
#pragma once

#include "base/log_font.h"

#include <QPoint>
#include <QString>
#include <QVector>

#include <cstdint>
#include <memory>
#include <vector>

namespace quelmar::station {

// A colour reference: red in the low byte, then green, then blue.
using ColorRef = std::uint32_t;
inline constexpr ColorRef kRed = 0x0000FF;

enum class ShapeKind : std::int32_t {
    None = 0,
    Line = 1,
    RadiusCircle = 2,
    Rectangle = 3,
    Text = 4,
    ThreePointAngle = 5,
    ContinuousLine = 6,
    Polygon = 7,
    DiameterCircle = 8,
    ThreePointCircle = 9,
    FourPointAngle = 10,
};

// The name prefix ("DL", "RC", ...) and the label prefixes of each value, in value order.
QString namePrefix(ShapeKind kind);
QVector<QString> labelPrefixes(ShapeKind kind);
// How many points a shape of the kind needs before it can be drawn.
int minimumPoints(ShapeKind kind);

class CGraph {
public:
    virtual ~CGraph() = default;

    std::int32_t kind = 0; // ShapeKind, or the live tool number in the live list
    std::int32_t penWidth = 1;
    std::int32_t penStyle = 0; // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot
    ColorRef lineColor = kRed;
    ColorRef textColor = kRed;
    LogFont labelFont;
    std::int32_t labelLineHeight = 12;
    ColorRef labelColor = kRed;
    LogFont textFont;
    std::int32_t selected = 0;
    float rotation = 0.0f; // radians, Rectangle only
    std::int32_t sequenceNumber = 0;
    QString prefix;
    QVector<QPoint> points;
    QVector<QString> values;
    QVector<QString> units;
    std::int32_t measurement = 0;

    ShapeKind shapeKind() const { return ShapeKind(kind); }
    void addPoint(QPoint p) { points.push_back(p); }
    // Overwrites a point; an index outside the points is ignored.
    void setPoint(qsizetype index, QPoint p);
    // Values and units grow together; a Text shape's value comes without a unit.
    void addValue(const QString &value, const QString &unit);
    void addText(const QString &text) { values.push_back(text); }
    // "DL1": the prefix and the sequence number.
    QString displayName() const { return prefix + QString::number(sequenceNumber); }
};

// An ordered list that owns its shapes; later shapes are drawn on top.
class ShapeList {
public:
    // Appends and takes ownership; returns the shape.
    CGraph &add(std::unique_ptr<CGraph> shape);
    void remove(qsizetype index);
    // Removes a shape and hands it over; null for an index outside the list.
    std::unique_ptr<CGraph> take(qsizetype index);
    void removeAll();
    CGraph *at(qsizetype index) const;
    qsizetype count() const { return qsizetype(shapes_.size()); }
    // Selects one shape and clears the others (an index outside the list clears them all).
    void select(qsizetype index);

private:
    std::vector<std::unique_ptr<CGraph>> shapes_;
};

// The photo canvas's sequence numbers: rising across single deletions, restarted by
// closing the canvas or deleting all.
class ShapeCounter {
public:
    int next() { return ++value_; }
    void reset() { value_ = 0; }
    int value() const { return value_; }

private:
    int value_ = 0;
};

class CDrawGraph {
public:
    virtual ~CDrawGraph() = default;

    std::int32_t liveTool = 0; // 0 none, 1..10 the live tools
    std::int32_t penWidth = 1;
    std::int32_t penStyle = 0;
    ColorRef lineColor = kRed;
    QVector<QPoint> points;
    QVector<QString> values;
    QVector<QString> units;
};

// The station's shapes: the two lists, the counter and the live tool. One per program.
struct ShapeState {
    ShapeList photoShapes;
    ShapeList liveShapes;
    ShapeCounter counter;
    CDrawGraph drawGraph;

    // Deleting all photo shapes, or closing the canvas, restarts the numbering.
    void clearPhotoShapes()
    {
        photoShapes.removeAll();
        counter.reset();
    }
};

} // namespace quelmar::station
