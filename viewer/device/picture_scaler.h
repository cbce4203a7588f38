// Resamples the camera's BGR24 pictures to the view's BGRA with smoothing, in fixed point,
// without allocating once the sizes are known.
#pragma once

#include "image/frame.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quelmar::viewer {

// Resamples BGR24 pictures to BGRA of another size: an area average when shrinking, linear
// interpolation when enlarging, in fixed point. An equal size copies exactly.
class PictureScaler {
public:
    // `target` holds targetWidth x targetHeight pixels of 4 bytes, rows `targetStride` apart.
    void scale(const FrameView &source, std::uint8_t *target, int targetWidth, int targetHeight,
               std::ptrdiff_t targetStride);

    // Weights in 1/256: vertical sums of 8-bit pixels then fit in 16 bits.
    static constexpr int kWeightBits = 8;

private:
    struct Taps {
        int sourceSize = 0;
        int targetSize = 0;
        int stride = 0;           // weights per target position
        std::vector<int> first;   // first source position of each target position
        std::vector<int> count;   // how many source positions it takes
        std::vector<int> weights; // `stride` per target position, summing to 1 << kWeightBits
        void build(int source, int target);
    };

    Taps columns_;
    Taps rows_;
    std::vector<std::uint16_t> rowSum_; // one source row of vertically weighted sums
};

} // namespace quelmar::viewer
