// The optional overlay over the whole view: grid, circle grid, crosshair or scale, with its
// pitch and style, and the lines and circles it consists of for a view size (y up).
#pragma once

#include "measure/shape.h"

#include <QLineF>
#include <QSizeF>

#include <vector>

namespace quelmar::viewer {

enum OverlayKind : int {
    kNoOverlay = 0,
    kGridOverlay = 1,
    kCircleGridOverlay = 2,
    kCrosshairOverlay = 3,
    kScaleOverlay = 4,
};

class GridOverlay {
public:
    // Kind 0 switches the overlay off. Above 0 the pitch becomes magnification x pitch length
    // / unit length points; at 5 points or more the overlay also takes `style`.
    void showGridView(int kind, const MeasureStyle &style, float pitchLength, float magnification,
                      float unitLength);

    int bJGridAvailable() const { return bJGridAvailable_; }
    float mGridViewLength() const { return mGridViewLength_; }
    float PitchPixes() const { return PitchPixes_; }
    const MeasureStyle &style() const { return style_; }
    // Lines a pitch apart need a finite pitch of at least one point: a smaller one would draw
    // hundreds of thousands of lines a frame, a negative one never reaches the edge.
    bool pitchDrawable() const;
    quint64 revision() const { return revision_; }

private:
    int bJGridAvailable_ = kNoOverlay;
    float mGridViewLength_ = 0;
    float PitchPixes_ = 0;
    MeasureStyle style_{1, 16, 3, QColor(Qt::red), QColor(Qt::red)};
    quint64 revision_ = 0;
};

struct OverlayGeometry {
    std::vector<QLineF> lines;
    QPointF centre;
    std::vector<double> radii; // circles around the centre
};

// The overlay's lines and circles over a view of `size`, in view coordinates with y up.
// `out` keeps its memory from call to call.
void buildOverlayGeometry(const GridOverlay &overlay, QSizeF size, OverlayGeometry &out);

} // namespace quelmar::viewer
