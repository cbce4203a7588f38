// Nearest-pixel stretch of a BGR24 frame over the whole preview back buffer, with the
// widening and heightening that some capture sizes get; what falls outside is cut.
#pragma once

#include <image/frame.h>

#include <QImage>
#include <QPointF>

#include <vector>

namespace quelmar::station {

// The rectangle a frame of this size is stretched over in a client area of the given size.
QSize stretchTargetSize(int frameWidth, int frameHeight, QSize client);

// From a point of the 640 x 480 preview to the frame it shows: the frame's size over the
// stretched size, in each direction (16:9 frames are stretched wider than the preview).
QPointF previewToFrameZoom(int frameWidth, int frameHeight);

class PreviewStretcher {
public:
    // `target` is a 32-bit image; no allocation while frame and target sizes stay the same.
    void draw(FrameView frame, QImage &target);

private:
    std::vector<int> columnOffsets_; // byte offset in a frame row for each target column
    int cachedFrameWidth_ = 0;
    QSize cachedTarget_;
};

} // namespace quelmar::station
