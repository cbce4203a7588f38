// PhotoTools: selecting by the hit areas, deleting, moving, the rectangle adjustment and the
// rubber band of the shape in progress.
#include "base/language.h"
#include "base/prompt.h"
#include "measure/drawing_styles.h"
#include "measure/photo_tools.h"
#include "measure/shape_painter.h"

#include <QPolygonF>

#include <cmath>

namespace quelmar::station {

namespace {

constexpr double kBand = 3;          // half-width of a line's hit area, window pixels
constexpr double kTextMargin = 8;    // a text's hit area around its extent
constexpr double kCentreRadius = 10; // a rectangle is hit at its centre mark
constexpr int kCrossHalf = 6;        // the marks of a three-point circle's first points
const QColor kMoveOutline(148, 125, 123);

double distance(QPointF a, QPointF b)
{
    return std::hypot(b.x() - a.x(), b.y() - a.y());
}

// The quadrilateral around a segment, widened across it: sideways for a segment steeper than
// 45 degrees, up and down otherwise.
bool nearSegment(QPointF a, QPointF b, QPointF c)
{
    const QPointF d =
        std::abs(b.y() - a.y()) > std::abs(b.x() - a.x()) ? QPointF(kBand, 0) : QPointF(0, kBand);
    const QPolygonF quad{a - d, a + d, b + d, b - d};
    return quad.containsPoint(c, Qt::OddEvenFill);
}

// Whole pixels, truncated as the shapes' own arithmetic is.
QPoint midpoint(QPoint a, QPoint b)
{
    return {(a.x() + b.x()) / 2, (a.y() + b.y()) / 2};
}

void addSegment(QPainterPath &path, QPointF a, QPointF b)
{
    path.moveTo(a);
    path.lineTo(b);
}

} // namespace

bool PhotoTools::contains(const CGraph *shape) const
{
    if (!shape)
        return false;
    for (qsizetype i = 0; i < list().count(); ++i)
        if (list().at(i) == shape)
            return true;
    return false;
}

bool PhotoTools::hits(const CGraph &shape, QPointF c, bool fourPointAngles) const
{
    const ShapeKind kind = shape.shapeKind();
    if (shape.points.size() < minimumPoints(kind))
        return false;
    if (fourPointAngles != (kind == ShapeKind::FourPointAngle))
        return false;
    QVector<QPointF> w;
    for (const QPoint &p : shape.points)
        w << (QPointF(p) - QPointF(view_.origin)) * view_.zoom;
    switch (kind) {
    case ShapeKind::Line:
        return nearSegment(w[0], w[1], c);
    case ShapeKind::ContinuousLine:
        // Vertices at 0, 1, 3, 5, ...: each is followed by its segment's label point.
        for (qsizetype i = 1; i < w.size(); i += 2)
            if (nearSegment(w[i == 1 ? 0 : i - 2], w[i], c))
                return true;
        return false;
    case ShapeKind::Polygon: {
        const qsizetype n = w.size() - 1; // the last point is the label
        for (qsizetype i = 0; i < n; ++i)
            if (nearSegment(w[i], w[(i + 1) % n], c))
                return true;
        return false;
    }
    case ShapeKind::ThreePointAngle:
        return nearSegment(w[1], w[0], c) || nearSegment(w[1], w[2], c);
    case ShapeKind::FourPointAngle:
        return nearSegment(w[0], w[1], c) || nearSegment(w[2], w[3], c);
    case ShapeKind::Text:
        return QRectF(w[0], w.value(1, w[0]))
            .normalized()
            .adjusted(-kTextMargin, -kTextMargin, kTextMargin, kTextMargin)
            .contains(c);
    case ShapeKind::RadiusCircle:
    case ShapeKind::DiameterCircle:
    case ShapeKind::ThreePointCircle:
        return std::abs(distance(c, w[0]) - distance(w[0], w[1])) < kBand;
    case ShapeKind::Rectangle:
        return distance(c, QPointF(midpoint(shape.points[0], shape.points[1]) - view_.origin) *
                               view_.zoom) < kCentreRadius;
    case ShapeKind::None:
        break;
    }
    return false;
}

void PhotoTools::select(QPoint window)
{
    ShapeList &shapes = shapes_.photoShapes;
    adjustable_ = nullptr;
    if (multiSelect_) {
        // Only four-point angles, and the two hit last stay selected.
        const auto stillSelected = [this](CGraph *s) {
            return contains(s) && s->selected ? s : nullptr;
        };
        firstSelected_ = stillSelected(firstSelected_);
        secondSelected_ = stillSelected(secondSelected_);
        CGraph *hit = nullptr;
        for (qsizetype i = 0; i < shapes.count() && !hit; ++i)
            if (hits(*shapes.at(i), window, true))
                hit = shapes.at(i);
        if (!hit) {
            firstSelected_ = nullptr;
            secondSelected_ = nullptr;
        } else if (hit != firstSelected_ && hit != secondSelected_) {
            if (!firstSelected_) {
                firstSelected_ = hit;
            } else if (!secondSelected_) {
                secondSelected_ = hit;
            } else {
                firstSelected_ = secondSelected_;
                secondSelected_ = hit;
            }
        }
        for (qsizetype i = 0; i < shapes.count(); ++i) {
            CGraph *s = shapes.at(i);
            s->selected = s == firstSelected_ || s == secondSelected_ ? 1 : 0;
        }
    } else {
        qsizetype index = -1;
        for (qsizetype i = 0; i < shapes.count() && index < 0; ++i)
            if (hits(*shapes.at(i), window, false))
                index = i;
        shapes.select(index);
        if (index >= 0 && shapes.at(index)->shapeKind() == ShapeKind::Rectangle)
            adjustable_ = shapes.at(index);
    }
    sceneChanged();
}

void PhotoTools::deleteSelected()
{
    ShapeList &shapes = shapes_.photoShapes;
    const QString question = c_.language
                                 ? c_.language->text(QStringLiteral("SureDelete"),
                                                     QStringLiteral("Are you sure to delete?"))
                                 : QStringLiteral("Are you sure to delete?");
    bool any = false;
    bool removed = false;
    for (qsizetype i = shapes.count() - 1; i >= 0; i = std::min(i - 1, shapes.count() - 1)) {
        CGraph *shape = shapes.at(i);
        if (!shape || !shape->selected)
            continue;
        any = true;
        if (c_.prompt && !c_.prompt->askYesNo(c_.messageTitle, question, PromptIcon::Question))
            continue;
        // The question's event loop may have changed the list: the shape is found again.
        for (qsizetype j = 0; j < shapes.count(); ++j) {
            if (shapes.at(j) == shape) {
                shapes.remove(j);
                removed = true;
                break;
            }
        }
    }
    if (!any)
        warn("SelectImage", "Please select a metafile");
    firstSelected_ = nullptr;
    secondSelected_ = nullptr;
    if (!contains(adjustable_))
        adjustable_ = nullptr;
    if (removed)
        edited();
    sceneChanged();
}

bool PhotoTools::startMove()
{
    CGraph *shape = nullptr;
    if (multiSelect_) {
        shape = contains(firstSelected_)    ? firstSelected_
                : contains(secondSelected_) ? secondSelected_
                                            : nullptr;
    } else {
        for (qsizetype i = 0; i < list().count() && !shape; ++i)
            if (list().at(i)->selected)
                shape = list().at(i);
    }
    if (!shape || shape->points.size() < 2) {
        warn("SelectImage", "Please select a metafile");
        return false;
    }
    if (labelled_)
        edited();
    labelled_ = nullptr;
    endProgress();
    moving_ = true;
    moved_ = shape;
    // The outline starts where the shape is: its midpoint at the pointer's place.
    cursor_ = midpoint(toWindow(shape->points[0]), toWindow(shape->points[1]));
    sceneChanged();
    return true;
}

ShapeKind PhotoTools::movingKind() const
{
    return moving_ && contains(moved_) ? moved_->shapeKind() : ShapeKind::None;
}

// The picture offset that puts the midpoint of the moved shape's first two points at the
// pointer (the pointer is not placed there: the outline comes to the pointer instead).
QPointF PhotoTools::moveDelta() const
{
    const QPoint mid = midpoint(toWindow(moved_->points[0]), toWindow(moved_->points[1]));
    return QPointF(cursor_.value_or(mid) - mid) / view_.zoom;
}

void PhotoTools::finishMove(QPoint window)
{
    moving_ = false;
    if (!contains(moved_) || moved_->points.size() < 2) {
        moved_ = nullptr;
        sceneChanged();
        return;
    }
    cursor_ = window;
    const QPointF delta = moveDelta();
    for (QPoint &p : moved_->points)
        p = truncated(QPointF(p) + delta);
    moved_ = nullptr;
    cursor_.reset();
    edited();
}

CGraph *PhotoTools::adjustable() const
{
    return contains(adjustable_) && adjustable_->selected &&
                   adjustable_->shapeKind() == ShapeKind::Rectangle &&
                   adjustable_->points.size() >= minimumPoints(ShapeKind::Rectangle)
               ? adjustable_
               : nullptr;
}

void PhotoTools::adjust(Adjust button)
{
    CGraph *r = adjustable();
    if (!r)
        return;
    if (button == Adjust::RotateMore || button == Adjust::RotateLess) {
        const double step = button == Adjust::RotateMore ? kRotationStep : -kRotationStep;
        r->rotation = float(double(r->rotation) + step);
        edited();
        return;
    }
    // One window pixel out, converted back to the picture; at a zoom above 1 that is less
    // than a picture pixel, so the edge moves at least one.
    QVector<QPoint> &p = r->points;
    const bool horizontal = button == Adjust::Left || button == Adjust::Right;
    const bool lowEdge = button == Adjust::Left || button == Adjust::Top;
    const int step = lowEdge ? -1 : 1;
    const auto coordinate = [horizontal](QPoint q) { return horizontal ? q.x() : q.y(); };
    const bool firstIsLow = coordinate(p[0]) <= coordinate(p[1]);
    QPoint &edge = p[lowEdge == firstIsLow ? 0 : 1];
    const int origin = horizontal ? view_.origin.x() : view_.origin.y();
    const double window = (coordinate(edge) - origin) * view_.zoom + step;
    int moved = int(std::trunc(window / view_.zoom + origin));
    if (moved == coordinate(edge))
        moved += step;
    if (horizontal)
        edge.setX(moved);
    else
        edge.setY(moved);
    if (r->measurement) {
        const Measured m = measureRectangle(p[0], p[1], units());
        r->values = m.values;
        r->units = m.units;
        if (c_.valuesChanged)
            c_.valuesChanged();
    }
    edited();
}

RubberBand PhotoTools::band() const
{
    RubberBand band;
    if (moving_) {
        if (contains(moved_)) {
            const QPointF delta = moveDelta();
            band.path =
                shapeOutline(*moved_, {QPointF(view_.origin) - delta, view_.zoom, view_.zoom});
            band.pen = QPen(kMoveOutline, 1);
        }
        return band;
    }
    if (clicks_.isEmpty() || labelled_)
        return band;
    addProgressBand(band.path);
    band.pen = shapePen(style_.shape.penWidth, style_.shape.penStyle, style_.shape.lineColor);
    return band;
}

void PhotoTools::addProgressBand(QPainterPath &path) const
{
    QVector<QPointF> w;
    for (const QPointF &p : clicks_)
        w << (p - QPointF(view_.origin)) * view_.zoom;
    const QPointF cursor = cursor_ ? QPointF(*cursor_) : w.constLast();
    switch (tool_) {
    case PhotoTool::Line: {
        addSegment(path, w[0], cursor);
        const auto [t1, t2] = endTick(truncated(w[0]), truncated(cursor));
        addSegment(path, t1, t2);
        break;
    }
    case PhotoTool::RadiusCircle: {
        const double r = distance(w[0], cursor);
        path.addEllipse(w[0], r, r);
        break;
    }
    case PhotoTool::Rectangle:
        path.addRect(QRectF(w[0], cursor).normalized());
        break;
    case PhotoTool::DiameterCircle: {
        const double r = distance(w[0], cursor) / 2;
        path.addEllipse((w[0] + cursor) / 2, r, r);
        break;
    }
    case PhotoTool::ThreePointCircle:
        for (const QPointF &p : w) {
            addSegment(path, p - QPointF(kCrossHalf, 0), p + QPointF(kCrossHalf, 0));
            addSegment(path, p - QPointF(0, kCrossHalf), p + QPointF(0, kCrossHalf));
        }
        break;
    case PhotoTool::ThreePointAngle:
    case PhotoTool::Polygon:
        for (qsizetype i = 1; i < w.size(); ++i)
            addSegment(path, w[i - 1], w[i]);
        addSegment(path, w.constLast(), cursor);
        break;
    case PhotoTool::FourPointAngle:
        if (w.size() >= 2)
            addSegment(path, w[0], w[1]);
        if (w.size() % 2 == 1)
            addSegment(path, w.constLast(), cursor);
        break;
    case PhotoTool::ContinuousLine:
        // The finished segments are drawn with the shapes; only the one to the pointer here.
        if (!segmentLabelPending_)
            addSegment(path, w.constLast(), cursor);
        break;
    default:
        break;
    }
}

} // namespace quelmar::station
