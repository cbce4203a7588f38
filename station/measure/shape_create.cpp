#include "measure/shape_create.h"

#include "base/station_settings.h"
#include "measure/drawing_styles.h"

namespace quelmar::station {

namespace {

// The number of quantities a kind stores: a plain drawing gets that many empty texts.
int quantityCount(ShapeKind kind)
{
    const qsizetype n = labelPrefixes(kind).size();
    return int(n);
}

// Numbers and fills a shape from its measured values, or leaves it a plain drawing.
std::unique_ptr<CGraph> finish(ShapeKind kind, QVector<QPoint> points,
                               const std::optional<Measured> &measured, int plainQuantities,
                               const CreateContext &c)
{
    if (c.counter && !measured)
        return nullptr;
    const int sequence = c.counter ? c.counter->next() : 0;
    auto shape = newShape(std::int32_t(kind), namePrefix(kind), c.style, sequence);
    shape->points = std::move(points);
    if (c.counter) {
        shape->values = measured->values;
        shape->units = measured->units;
    } else {
        for (int i = 0; i < plainQuantities; ++i)
            shape->addValue(QString(), QString());
    }
    return shape;
}

std::unique_ptr<CGraph> finish(ShapeKind kind, QVector<QPoint> points,
                               const std::optional<Measured> &measured, const CreateContext &c)
{
    return finish(kind, std::move(points), measured, quantityCount(kind), c);
}

} // namespace

ShapeStyle shapeStyle(const StationSettings &settings, const LogFont &labelFont)
{
    CGraph styled;
    applyStyle(styled, settings, labelFont);
    return {styled.penWidth,   styled.penStyle,  styled.lineColor,
            styled.labelColor, styled.labelFont, styled.labelLineHeight};
}

std::unique_ptr<CGraph> newShape(std::int32_t kind, const QString &prefix, const ShapeStyle &style,
                                 int sequence)
{
    auto shape = std::make_unique<CGraph>();
    shape->kind = kind;
    shape->penWidth = style.penWidth;
    shape->penStyle = style.penStyle;
    shape->lineColor = style.lineColor;
    shape->labelFont = style.labelFont;
    shape->labelLineHeight = style.labelLineHeight;
    shape->labelColor = style.labelColor;
    shape->selected = 0;
    shape->rotation = 0.0f;
    shape->sequenceNumber = sequence;
    shape->prefix = prefix;
    shape->measurement = sequence != 0 ? 1 : 0;
    return shape;
}

std::unique_ptr<CGraph> createLine(QPointF start, QPointF end, const CreateContext &c,
                                   int tickHalfLength)
{
    const QPoint s = truncated(start);
    const QPoint e = truncated(end);
    const auto [s1, s2] = endTick(s, e, tickHalfLength);
    const auto [e1, e2] = endTick(e, s, tickHalfLength);
    return finish(ShapeKind::Line, {s, e, s1, s2, e1, e2, e}, measureLine(start, end, c.units), c);
}

std::unique_ptr<CGraph> createRadiusCircle(QPoint centre, QPoint rim, const CreateContext &c)
{
    return finish(ShapeKind::RadiusCircle, {centre, rim, rim},
                  measureRadiusCircle(centre, rim, c.units), c);
}

std::unique_ptr<CGraph> createRectangle(QPoint corner, QPoint opposite, const CreateContext &c)
{
    return finish(ShapeKind::Rectangle, {corner, opposite, opposite},
                  measureRectangle(corner, opposite, c.units), c);
}

std::unique_ptr<CGraph> createDiameterCircle(QPoint end1, QPoint end2, const CreateContext &c)
{
    // Integer arithmetic, as the centre is stored: the midpoint truncated toward zero.
    const QPoint centre((end1.x() + end2.x()) / 2, (end1.y() + end2.y()) / 2);
    return finish(ShapeKind::DiameterCircle, {centre, end1, end2, end2},
                  measureDiameterCircle(end1, end2, c.units), c);
}

std::unique_ptr<CGraph> createThreePointCircle(QPoint first, QPoint second, QPoint third,
                                               const CreateContext &c)
{
    const std::optional<QPointF> centre = circumcentre(first, second, third);
    if (!centre)
        return nullptr; // no circle at all, measured or not
    return finish(ShapeKind::ThreePointCircle, {truncated(*centre), second, first, third, third},
                  measureThreePointCircle(first, second, third, c.units), c);
}

std::unique_ptr<CGraph> createThreePointAngle(QPoint armEnd1, QPoint vertex, QPoint armEnd2,
                                              const CreateContext &c)
{
    return finish(ShapeKind::ThreePointAngle, {armEnd1, vertex, armEnd2, armEnd2},
                  measureThreePointAngle(armEnd1, vertex, armEnd2), c);
}

std::unique_ptr<CGraph> createFourPointAngle(QPoint a0, QPoint a1, QPoint b0, QPoint b1,
                                             const CreateContext &c)
{
    return finish(ShapeKind::FourPointAngle, {a0, a1, b0, b1, b1},
                  measureFourPointAngle(a0, a1, b0, b1), c);
}

std::unique_ptr<CGraph> createContinuousLine(const QVector<QPointF> &vertices,
                                             const QVector<QPoint> &labelPoints,
                                             const CreateContext &c)
{
    if (vertices.size() < 2)
        return nullptr;
    QVector<QPoint> points{truncated(vertices[0])};
    Measured measured;
    for (qsizetype i = 1; i < vertices.size(); ++i) {
        const QPoint end = truncated(vertices[i]);
        points << end << labelPoints.value(i - 1, end);
        const Measured segment = measureLine(vertices[i - 1], vertices[i], c.units);
        measured.values += segment.values;
        measured.units += segment.units;
    }
    return finish(ShapeKind::ContinuousLine, std::move(points), measured, int(vertices.size() - 1),
                  c);
}

std::unique_ptr<CGraph> createPolygon(const QVector<QPoint> &vertices, const CreateContext &c)
{
    if (vertices.isEmpty())
        return nullptr;
    QVector<QPoint> points = vertices;
    points << vertices.constLast();
    return finish(ShapeKind::Polygon, std::move(points), measurePolygon(vertices, c.units), c);
}

std::unique_ptr<CGraph> createText(QPoint anchor, QPoint textEnd, const QString &text,
                                   const LogFont &textFont, ColorRef textColor,
                                   const ShapeStyle &style)
{
    auto shape = newShape(std::int32_t(ShapeKind::Text), namePrefix(ShapeKind::Text), style, 0);
    shape->textFont = textFont;
    shape->textColor = textColor;
    shape->points = {anchor, textEnd};
    shape->addText(text);
    return shape;
}

} // namespace quelmar::station
