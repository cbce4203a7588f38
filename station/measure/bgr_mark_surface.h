// Live marks drawn straight into a still's packed 24-bit bytes (blue first). The painter has
// only a generic path for such pictures and hands long span runs to a thread pool; lines
// here are stepped pixel by pixel with a square brush of the pen's width, ellipses and arcs
// as short chords, and text is rendered once into a small 32-bit sprite and blended in.
#pragma once

#include "measure/mark_surface.h"

#include <QImage>

#include <vector>

namespace quelmar::station {

class BgrMarkSurface final : public MarkSurface {
public:
    // `picture` is Format_BGR888; anything else is left untouched.
    explicit BgrMarkSurface(QImage &picture);

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
    void startStroke(); // dashes start afresh with every line, polyline, ellipse and arc
    void segment(QPoint a, QPoint b);
    void plot(int x, int y);
    void chords(QPointF centre, double rx, double ry, double startRadians, double spanRadians,
                bool closed);

    QImage &picture_;
    bool usable_ = false;
    uchar *bits_ = nullptr; // taken once: no detach check per pixel
    qsizetype stride_ = 0;
    uchar bgr_[3] = {0, 0, 255};
    int width_ = 1;
    std::vector<int> dashes_; // on, off, on, off, ... pixels; empty when solid
    std::size_t dash_ = 0;
    int dashLeft_ = 0;
};

} // namespace quelmar::station
