// Nearest-pixel scaling of BGR frames: 60 x 60 thumbnails and pictures fitted into cells.
#pragma once

#include "image/frame.h"

namespace quelmar {

// Scales `src` to width x height: each target pixel takes the source pixel under its centre,
// with no smoothing and without keeping the aspect ratio. Empty when either size is empty.
Frame resizeNearest(FrameView src, int width, int height);

// The same into `dst`, whose buffer only grows, so repeated calls at one size do not allocate.
// `src` must not be `dst`'s own picture.
void resizeNearest(FrameView src, int width, int height, Frame &dst);

} // namespace quelmar
