// The picture adjustments applied to USB frames: brightness, contrast, saturation, hue and
// gamma with the meanings of the usual colour-controls, hue and gamma filters.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quelmar::viewer {

// The adjustment values and which of them the user has set; unset ones act as neutral.
// Sharpness is not here: it is never applied to USB pictures.
struct PictureAdjustments {
    float brightness = 0; // added to each channel, -1 to 1
    float contrast = 1;   // stretch around mid-grey, 0 to 4
    float saturation = 1; // 0 grey, 1 unchanged, 2 doubled
    float hue = 0;        // radians about the grey axis
    float gamma = 1;      // power on the result, 0.25 to 4
    bool brightnessSet = false;
    bool contrastSet = false;
    bool saturationSet = false;
    bool hueSet = false;
    bool gammaSet = false;

    // Whether any adjustment is to be applied; otherwise frames pass untouched.
    bool any() const { return brightnessSet || contrastSet || saturationSet || hueSet || gammaSet; }
    bool operator==(const PictureAdjustments &) const = default;
};

// The colour adjustments in one pass: an affine colour matrix for saturation, brightness,
// contrast and hue, computed in float and clamped once, then a table for gamma.
//
// With c the channel in 0..1 and L = 0.2126 R + 0.7152 G + 0.0722 B:
//   saturation s: c = L + s (c - L)
//   brightness b: c = c + b
//   contrast k:   c = (c - 0.5) k + 0.5
//   hue h:        rotation by h radians about the grey axis (1,1,1)/sqrt(3)
//   gamma g:      c = c^g after clamping to 0..1
// The rotation keeps grey, so the chain folds into c' = k H S c + (k (b - 0.5) + 0.5).
class PictureFilter {
public:
    PictureFilter();
    // Rebuilds the matrix and, when gamma changed, the table.
    void setAdjustments(const PictureAdjustments &adjustments);
    const PictureAdjustments &adjustments() const { return adjustments_; }
    // Filters BGRA pixels in place; alpha is kept.
    void apply(std::uint8_t *bgra, int width, int height, std::ptrdiff_t stride) const;

    static constexpr int kTableSize = 4096;

private:
    PictureAdjustments adjustments_;
    float gammaInTable_ = -1;
    std::array<std::array<float, 3>, 3> matrix_{}; // rows R, G, B; columns R, G, B
    float offset_ = 0;
    std::array<std::uint8_t, kTableSize> table_{};
};

} // namespace quelmar::viewer
