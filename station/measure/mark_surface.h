// Where live marks are drawn: the few primitives the live shapes and overlays need, so one
// piece of drawing code serves the preview's 32-bit layer (through QPainter) and a still's
// 24-bit bytes (BgrMarkSurface).
#pragma once

#include "measure/graph.h"

#include <QFont>
#include <QPointF>
#include <QRect>
#include <QStringList>
#include <QVector>

class QPainter;

namespace quelmar::station {

class MarkSurface {
public:
    virtual ~MarkSurface() = default;

    // The pen of the lines, polylines, ellipses and arcs that follow: width in pixels, style
    // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot (dashes only one pixel wide).
    virtual void setPen(int width, int style, ColorRef colour) = 0;
    virtual void line(QPoint a, QPoint b) = 0;
    // Lines through the points, back to the first when closed; one point is a dot.
    virtual void polyline(const QVector<QPoint> &points, bool closed) = 0;
    virtual void ellipse(QPointF centre, double rx, double ry) = 0;
    // Degrees counter-clockwise on the screen from three o'clock; a negative span runs clockwise.
    virtual void arc(QPointF centre, double rx, double ry, double startDegrees,
                     double spanDegrees) = 0;
    // A solid rectangle (one-pixel lines along the axes).
    virtual void fill(const QRect &rect, ColorRef colour) = 0;
    // Text lines, the first with its top-left corner at `topLeft`, each `lineHeight` lower.
    virtual void text(QPoint topLeft, int lineHeight, const QStringList &lines, const QFont &font,
                      ColorRef colour) = 0;
};

// Through a painter, with one-pixel pens cosmetic (the same pixels, drawn faster).
class PainterMarkSurface final : public MarkSurface {
public:
    explicit PainterMarkSurface(QPainter &painter) : p_(painter) {}

    void setPen(int width, int style, ColorRef colour) override;
    void line(QPoint a, QPoint b) override;
    void polyline(const QVector<QPoint> &points, bool closed) override;
    void ellipse(QPointF centre, double rx, double ry) override;
    void arc(QPointF centre, double rx, double ry, double startDegrees,
             double spanDegrees) override;
    void fill(const QRect &rect, ColorRef colour) override;
    void text(QPoint topLeft, int lineHeight, const QStringList &lines, const QFont &font,
              ColorRef colour) override;

private:
    QPainter &p_;
};

} // namespace quelmar::station
