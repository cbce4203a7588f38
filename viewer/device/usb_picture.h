// What the USB capture thread does to every frame: scales the camera's BGR24 picture with
// smoothing to the view's 640 x 480 BGRA, and applies the picture adjustments that are set.
// Nothing here allocates once the sizes are known, so a frame costs no heap traffic.
#pragma once

#include "device/picture_filter.h"
#include "device/picture_scaler.h"
#include "image/frame.h"

#include <QImage>

#include <array>

namespace quelmar::viewer {

// One frame from the camera to the picture the view gets: scaled, then adjusted when any
// adjustment is set. The pictures come from a small pool that is reused once their receivers
// have let them go.
class UsbPictureMaker {
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;

    QImage make(const FrameView &frame, const PictureAdjustments &adjustments);

private:
    QImage &freePicture();

    PictureScaler scaler_;
    PictureFilter filter_;
    std::array<QImage, 4> pool_;
};

} // namespace quelmar::viewer
