// Frames as QImage and back, for widgets and painters. Both copy: a QImage pads its rows
// and may share its pixels, a Frame is packed and owns them.
#pragma once

#include "image/frame.h"

#include <QImage>

namespace quelmar {

// A copy of the frame in `format`, converted in the same pass; a null image for an empty
// frame. Widgets that paint every frame want Format_RGB32, which painters draw unconverted.
QImage toQImage(const Frame &frame, QImage::Format format = QImage::Format_BGR888);
// The picture as a packed BGR24 frame, whatever its format; empty for a null image.
Frame toFrame(const QImage &image);

} // namespace quelmar
