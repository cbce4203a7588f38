// The live marks as the capture thread sees them: an immutable picture of every shape and
// overlay, rendered once on the UI thread whenever something changes, and laid over each
// preview frame by its runs of marked pixels. The channel hands the newest one over under a
// lock held only for a pointer copy, so neither thread waits on the other's drawing and a
// frame never allocates while the marks stay the same.
#pragma once

#include "measure/live_painter.h"

#include <QImage>
#include <QMutex>

#include <memory>
#include <vector>

namespace quelmar::station {

class LiveMarks {
public:
    // Renders the scene over an area of `area` pixels (the preview's size).
    LiveMarks(const LiveScene &scene, QSize area, QPointF shapeZoom);
    LiveMarks(const LiveMarks &) = delete;
    LiveMarks &operator=(const LiveMarks &) = delete;

    QSize area() const { return layer_.size(); }
    bool isEmpty() const { return runs_.empty(); }
    // Lays the marks over a 32-bit picture (RGB32 or ARGB32), clipped to both sizes. Other
    // formats are left alone.
    void drawOnto(QImage &target) const;

    // For tests: the rendered layer (premultiplied ARGB, transparent where nothing is).
    const QImage &layer() const { return layer_; }

private:
    struct Run {
        int y;
        int x0; // first marked pixel
        int x1; // one past the last
    };
    QImage layer_;
    std::vector<Run> runs_;
};

class LiveMarksChannel {
public:
    // UI thread.
    void publish(std::shared_ptr<const LiveMarks> marks);
    // Any thread: the newest marks (possibly null), kept alive for the caller.
    std::shared_ptr<const LiveMarks> current() const;
    // Capture thread: lays the newest marks over a preview frame.
    void drawOnto(QImage &target) const;

private:
    mutable QMutex mutex_; // guards marks_: the UI thread swaps it, the capture thread copies it
    std::shared_ptr<const LiveMarks> marks_;
};

} // namespace quelmar::station
