#include "measure/grid_overlay.h"

#include <cmath>

namespace quelmar::viewer {

namespace {

constexpr float kStyleMinimumPitch = 5;

// Ticks of the scale: every tenth reaches 20 points to each side, every other fifth 10.
double tickHalfLength(int index)
{
    if (index % 10 == 0)
        return 20;
    return index % 5 == 0 ? 10 : 5;
}

void addScale(double pitch, OverlayGeometry &out)
{
    const double cx = out.centre.x();
    const double cy = out.centre.y();
    for (int k = 0; k * pitch <= cx; ++k) {
        const double half = tickHalfLength(k);
        for (const double x : {cx - k * pitch, cx + k * pitch}) {
            out.lines.emplace_back(x, cy - half, x, cy + half);
            if (k == 0)
                break;
        }
    }
    for (int k = 0; k * pitch <= cy; ++k) {
        const double half = tickHalfLength(k);
        for (const double y : {cy - k * pitch, cy + k * pitch}) {
            out.lines.emplace_back(cx - half, y, cx + half, y);
            if (k == 0)
                break;
        }
    }
}

} // namespace

void GridOverlay::showGridView(int kind, const MeasureStyle &style, float pitchLength,
                               float magnification, float unitLength)
{
    bJGridAvailable_ = kind;
    ++revision_;
    if (kind <= kNoOverlay)
        return;
    mGridViewLength_ = pitchLength;
    PitchPixes_ = magnification * pitchLength / unitLength;
    if (PitchPixes_ >= kStyleMinimumPitch)
        style_ = style;
}

bool GridOverlay::pitchDrawable() const
{
    return std::isfinite(PitchPixes_) && PitchPixes_ >= 1;
}

void buildOverlayGeometry(const GridOverlay &overlay, QSizeF size, OverlayGeometry &out)
{
    out.lines.clear();
    out.radii.clear();
    const double width = size.width();
    const double height = size.height();
    out.centre = QPointF(width / 2, height / 2);
    const int kind = overlay.bJGridAvailable();
    if (kind == kNoOverlay || width <= 0 || height <= 0)
        return;
    const auto addCentreLines = [&] {
        out.lines.emplace_back(0, out.centre.y(), width, out.centre.y());
        out.lines.emplace_back(out.centre.x(), 0, out.centre.x(), height);
    };
    if (kind == kCrosshairOverlay) {
        addCentreLines();
        return;
    }
    if (!overlay.pitchDrawable())
        return;
    const double pitch = overlay.PitchPixes();
    switch (kind) {
    case kGridOverlay:
        for (int k = 1; k * pitch < height; ++k)
            out.lines.emplace_back(0, k * pitch, width, k * pitch);
        for (int k = 1; k * pitch < width; ++k)
            out.lines.emplace_back(k * pitch, 0, k * pitch, height);
        break;
    case kCircleGridOverlay:
        addCentreLines();
        for (int k = 1; k * pitch < width; ++k)
            out.radii.push_back(k * pitch);
        break;
    case kScaleOverlay:
        addCentreLines();
        addScale(pitch, out);
        break;
    default:
        break;
    }
}

} // namespace quelmar::viewer
