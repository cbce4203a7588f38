#include "measure/measure_painter.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace quelmar::viewer {

namespace {

constexpr double kDotRadius = 3;

QFont labelFont(int pixelSize)
{
    QFont font(QStringLiteral("Arial")); // fontconfig picks a metric match where it is missing
    font.setPixelSize(std::max(1, pixelSize));
    return font;
}

QPen linePen(const MeasureStyle &style)
{
    QPen pen(style.measure_line_color, std::max(0, style.measure_line_width));
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

bool hasDots(int type)
{
    return type == kRadiusCircleTool || type == kDiameterCircleTool ||
           type == kThreePointCircleTool || type == kThreePointArcTool;
}

// The outline (and the dots of circle tools) of a shape drawn from its first `count` points.
void addShapeGeometry(const Shape &shape, int count, const PaintTarget &target,
                      QPainterPath &outline, QPainterPath &dots)
{
    const auto &p = shape.points;
    const float size = shape.measure_data[0];
    const auto line = [&](QPointF a, QPointF b) {
        outline.moveTo(target.map(a));
        outline.lineTo(target.map(b));
    };
    const auto ellipse = [&](QPointF centre, double radius) {
        outline.addEllipse(target.map(centre), radius * target.sx, radius * target.sy);
    };
    switch (shape.type) {
    case kLineTool:
        line(p[0], p[1]);
        break;
    case kContinuousLineTool:
    case kPolygonTool:
        outline.moveTo(target.map(p[0]));
        for (int i = 1; i < count; ++i)
            outline.lineTo(target.map(p[i]));
        if (shape.type == kPolygonTool && count >= 3)
            outline.closeSubpath();
        break;
    case kPointToLineTool:
        line(p[0], p[1]);
        if (count >= 3)
            line(p[2], p[3]);
        break;
    case kRadiusCircleTool:
        ellipse(p[0], size);
        break;
    case kDiameterCircleTool:
        ellipse((p[0] + p[1]) / 2, size / 2.0);
        break;
    case kThreePointCircleTool:
        if (count >= 3 && size > 0)
            ellipse(p[4], size);
        break;
    case kThreePointArcTool:
        if (count >= 3 && size > 0) {
            // Clockwise from the largest angle to the smallest is the span from the smallest
            // counter-clockwise; y up on the model and on the screen alike.
            const QPointF c = target.map(p[4]);
            const QRectF box(c.x() - size * target.sx, c.y() - size * target.sy,
                             2 * size * target.sx, 2 * size * target.sy);
            const auto &angles = shape.AuxiliaryVariable;
            outline.arcMoveTo(box, angles[0]);
            outline.arcTo(box, angles[0], double(angles[2]) - angles[0]);
        }
        break;
    case kThreePointAngleTool:
        if (count >= 3) {
            line(p[2], p[0]);
            line(p[2], p[1]);
        } else {
            line(p[0], p[1]);
        }
        break;
    case kFourPointAngleTool:
        line(p[0], p[1]);
        if (count >= 4)
            line(p[2], p[3]);
        break;
    default:
        break;
    }
    if (hasDots(shape.type)) {
        for (int i = 0; i < std::min(count, 3); ++i)
            dots.addEllipse(target.map(p[i]), kDotRadius, kDotRadius);
    }
}

int geometricPoints(const Shape &shape)
{
    switch (shape.type) {
    case kContinuousLineTool:
    case kPolygonTool:
        return shape.m_cline_auvariable;
    case kTextTool:
        return 1;
    default:
        return Shape::kPointCount;
    }
}

// Where the first label line's lower left corner lies on the model.
QPointF labelAnchor(const Shape &shape, int count, bool anchorInPlay)
{
    const int slot = anchorSlot(shape.type);
    if (slot < 0)
        return shape.points[0];
    if (anchorInPlay)
        return shape.points[slot];
    return shape.points[std::max(0, count - 1)];
}

// The label lines rendered once: the first line's box ends at the top `ascent + descent`,
// each further line one font size lower.
QImage renderLabels(const QStringList &lines, const MeasureStyle &style)
{
    if (lines.isEmpty() || (lines.size() == 1 && lines.front().isEmpty()))
        return {};
    const QFont font = labelFont(style.measure_font_size);
    const QFontMetricsF metrics(font);
    const double step = font.pixelSize();
    double width = 1;
    for (const QString &line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    const double height = metrics.height() + step * double(lines.size() - 1);
    QImage image(int(std::ceil(width)) + 1, int(std::ceil(height)) + 1,
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(style.measure_font_color);
    for (qsizetype i = 0; i < lines.size(); ++i)
        painter.drawText(QPointF(0, metrics.ascent() + step * double(i)), lines[i]);
    return image;
}

// The top left of the label picture for a first line whose box ends at `anchor` (target).
QPointF labelTopLeft(QPointF anchor, const MeasureStyle &style)
{
    return {anchor.x(), anchor.y() - QFontMetricsF(labelFont(style.measure_font_size)).height()};
}

} // namespace

void MeasurePainter::paint(QPainter &painter, const MeasureModel &model, const GridOverlay &overlay,
                           QSizeF viewSize, const PaintTarget &target)
{
    paintShapeInProgress(painter, model, target);
    paintOverlay(painter, overlay, viewSize, target);
    paintShapes(painter, model, target);
}

void MeasurePainter::paintShapeInProgress(QPainter &painter, const MeasureModel &model,
                                          const PaintTarget &target)
{
    if (!model.inProgress())
        return;
    const Shape &shape = model.shapeInProgress();
    const int count = model.pointsInPlay();
    QPainterPath outline;
    QPainterPath dots;
    addShapeGeometry(shape, count, target, outline, dots);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(noBrush_);
    painter.setPen(linePen(shape.style));
    painter.drawPath(outline);
    painter.fillPath(dots, shape.style.measure_line_color);

    const QStringList lines = shapeLabels(shape, model.units());
    const QImage labels = renderLabels(lines, shape.style);
    if (!labels.isNull()) {
        const QPointF anchor = target.map(labelAnchor(shape, count, model.anchorInPlay()));
        painter.drawImage(labelTopLeft(anchor, shape.style), labels);
    }
}

void MeasurePainter::prepareShapes(const MeasureModel &model, const PaintTarget &target)
{
    if (shapesPrepared_ && shapesRevision_ == model.revision() && shapesTarget_ == target)
        return;
    const std::vector<Shape> &shapes = model.OriginalGraphArray();
    shapes_.clear();
    shapes_.reserve(shapes.size());
    for (const Shape &shape : shapes) {
        PreparedShape prepared;
        prepared.pen = linePen(shape.style);
        prepared.dotBrush = QBrush(shape.style.measure_line_color);
        const int count = geometricPoints(shape);
        addShapeGeometry(shape, count, target, prepared.outline, prepared.dots);
        prepared.labels = renderLabels(shapeLabels(shape, model.units()), shape.style);
        prepared.labelOrigin =
            labelTopLeft(target.map(labelAnchor(shape, count, true)), shape.style);
        shapes_.push_back(std::move(prepared));
    }
    shapesRevision_ = model.revision();
    shapesTarget_ = target;
    shapesPrepared_ = true;
}

void MeasurePainter::paintShapes(QPainter &painter, const MeasureModel &model,
                                 const PaintTarget &target)
{
    prepareShapes(model, target);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const PreparedShape &shape : shapes_) {
        painter.setPen(shape.pen);
        painter.setBrush(noBrush_);
        painter.drawPath(shape.outline);
        if (!shape.dots.isEmpty())
            painter.fillPath(shape.dots, shape.dotBrush);
        if (!shape.labels.isNull())
            painter.drawImage(shape.labelOrigin, shape.labels);
    }
}

void MeasurePainter::prepareOverlay(const GridOverlay &overlay, QSizeF viewSize,
                                    const PaintTarget &target)
{
    if (overlayPrepared_ && overlayRevision_ == overlay.revision() && overlaySize_ == viewSize &&
        overlayTarget_ == target)
        return;
    buildOverlayGeometry(overlay, viewSize, overlayGeometry_);
    overlayLines_.clear();
    for (const QLineF &line : overlayGeometry_.lines)
        overlayLines_.emplace_back(target.map(line.p1()), target.map(line.p2()));
    overlayCircles_ = QPainterPath();
    const QPointF centre = target.map(overlayGeometry_.centre);
    for (const double radius : overlayGeometry_.radii)
        overlayCircles_.addEllipse(centre, radius * target.sx, radius * target.sy);
    overlayPen_ = linePen(overlay.style());
    overlayRevision_ = overlay.revision();
    overlaySize_ = viewSize;
    overlayTarget_ = target;
    overlayPrepared_ = true;
}

void MeasurePainter::paintOverlay(QPainter &painter, const GridOverlay &overlay, QSizeF viewSize,
                                  const PaintTarget &target)
{
    if (overlay.bJGridAvailable() == kNoOverlay)
        return;
    prepareOverlay(overlay, viewSize, target);
    painter.setPen(overlayPen_);
    painter.setBrush(noBrush_);
    // Straight lines along the pixel grid stay sharp without smoothing.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawLines(overlayLines_.data(), int(overlayLines_.size()));
    if (!overlayCircles_.isEmpty()) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.drawPath(overlayCircles_);
    }
}

} // namespace quelmar::viewer
