// Paints the measurement view's marks: the shape in progress with its live labels, the
// overlay and the finished shapes, from the y-up model onto a y-down target. The target may
// be larger or smaller than the view (a saved still): point coordinates are scaled, pen
// widths and font sizes are not. What the finished shapes and the overlay need (pens,
// outlines, labels rendered once into small pictures) is prepared once and reused until the
// model, the overlay or the target changes, so a steady picture costs no allocation per frame.
#pragma once

#include "measure/grid_overlay.h"
#include "measure/measure_model.h"

#include <QBrush>
#include <QImage>
#include <QPainterPath>
#include <QPen>

#include <vector>

class QPainter;

namespace quelmar::viewer {

// A model point (x, y up) lands at (x * sx, height - y * sy) on the target.
struct PaintTarget {
    double sx = 1;
    double sy = 1;
    double height = 0;

    QPointF map(QPointF point) const { return {point.x() * sx, height - point.y() * sy}; }
    bool operator==(const PaintTarget &) const = default;
};

class MeasurePainter {
public:
    // In the view's order: the shape in progress, the overlay, the finished shapes.
    void paint(QPainter &painter, const MeasureModel &model, const GridOverlay &overlay,
               QSizeF viewSize, const PaintTarget &target);

    void paintShapeInProgress(QPainter &painter, const MeasureModel &model,
                              const PaintTarget &target);
    void paintOverlay(QPainter &painter, const GridOverlay &overlay, QSizeF viewSize,
                      const PaintTarget &target);
    void paintShapes(QPainter &painter, const MeasureModel &model, const PaintTarget &target);

private:
    struct PreparedShape {
        QPen pen;
        QBrush dotBrush;
        QPainterPath outline;
        QPainterPath dots;
        QImage labels;       // every label line, transparent around the text
        QPointF labelOrigin; // where the labels' top left goes on the target
    };

    void prepareShapes(const MeasureModel &model, const PaintTarget &target);
    void prepareOverlay(const GridOverlay &overlay, QSizeF viewSize, const PaintTarget &target);

    std::vector<PreparedShape> shapes_;
    quint64 shapesRevision_ = 0;
    PaintTarget shapesTarget_;
    bool shapesPrepared_ = false;

    OverlayGeometry overlayGeometry_;
    std::vector<QLineF> overlayLines_;
    QPainterPath overlayCircles_;
    QPen overlayPen_;
    const QBrush noBrush_{Qt::NoBrush};
    quint64 overlayRevision_ = 0;
    QSizeF overlaySize_;
    PaintTarget overlayTarget_;
    bool overlayPrepared_ = false;
};

} // namespace quelmar::viewer
