// Drawing one shape of the photo shape list: its lines in its own pen (green when selected),
// then its labels. A shape with fewer points than its kind needs is skipped, never read past.
// Points are mapped as they are drawn: by the scroll origin and zoom on the canvas, by the
// output ratios when the photo is rendered for saving. Pens and fonts keep their pixel sizes.
#pragma once

#include "measure/graph.h"

#include <QPointF>
#include <QRect>
#include <QSize>

class QPainter;
class QPainterPath;

namespace quelmar::station {

// Picture point p to output point ((p - origin) x scale), each axis with its own scale.
struct PointMapping {
    QPointF origin;
    double scaleX = 1.0;
    double scaleY = 1.0;

    QPointF map(QPointF p) const
    {
        return {(p.x() - origin.x()) * scaleX, (p.y() - origin.y()) * scaleY};
    }
    bool isIdentity() const { return origin.isNull() && scaleX == 1.0 && scaleY == 1.0; }
};

// `textArea`: the size of the rectangle a Text shape wraps its text in (the client area).
// Returns false when the shape was skipped.
bool drawShape(QPainter &painter, const CGraph &shape, QSize textArea,
               const PointMapping &mapping = {});

// The shape's lines alone, mapped, as one path (the outline dragged by Move); empty for a
// shape short of points. A Text shape gives the rectangle of its text.
QPainterPath shapeOutline(const CGraph &shape, const PointMapping &mapping = {});

// Where a Text shape's text lies when it starts at `anchor`, wrapped in `textArea`.
QRect textExtent(const QString &text, const LogFont &font, QPoint anchor, QSize textArea);

// The arc of an angle about `vertex` from the direction of `first` to that of `second`, the
// short way round (the measured angle, at most 180 degrees): start and span in degrees,
// counter-clockwise on screen as Qt counts them.
struct ArcSpan {
    double start = 0;
    double span = 0;
};
ArcSpan angleArc(QPointF first, QPointF vertex, QPointF second);

} // namespace quelmar::station
