#include "device/picture_filter.h"

#include <algorithm>
#include <cmath>

namespace quelmar::viewer {

PictureFilter::PictureFilter()
{
    setAdjustments({});
}

void PictureFilter::setAdjustments(const PictureAdjustments &a)
{
    adjustments_ = a;
    // Unset values are neutral; in particular an unset gamma is 1, not a filter default.
    const double b = a.brightnessSet ? a.brightness : 0.0;
    const double k = a.contrastSet ? a.contrast : 1.0;
    const double s = a.saturationSet ? a.saturation : 1.0;
    const double h = a.hueSet ? a.hue : 0.0;
    const double g = a.gammaSet ? a.gamma : 1.0;

    // Saturation: c = L + s (c - L) = (1 - s) L + s c.
    constexpr double luma[3] = {0.2126, 0.7152, 0.0722};
    double saturation[3][3];
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            saturation[row][col] = (1.0 - s) * luma[col] + (row == col ? s : 0.0);

    // Rodrigues' rotation about u = (1,1,1)/sqrt(3).
    const double cosH = std::cos(h);
    const double sinH = std::sin(h);
    const double third = (1.0 - cosH) / 3.0;
    const double cross = sinH / std::sqrt(3.0);
    const double hue[3][3] = {{cosH + third, third - cross, third + cross},
                              {third + cross, cosH + third, third - cross},
                              {third - cross, third + cross, cosH + third}};

    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            double v = 0;
            for (int m = 0; m < 3; ++m)
                v += hue[row][m] * saturation[m][col];
            // Scaled so that 0..255 in maps to table positions 0..kTableSize-1 out.
            matrix_[std::size_t(row)][std::size_t(col)] = float(k * v * (kTableSize - 1) / 255.0);
        }
    }
    offset_ = float((k * (b - 0.5) + 0.5) * (kTableSize - 1) + 0.5); // + 0.5: round on cut

    if (float(g) != gammaInTable_) {
        gammaInTable_ = float(g);
        for (int i = 0; i < kTableSize; ++i) {
            const double c = double(i) / (kTableSize - 1);
            table_[std::size_t(i)] = std::uint8_t(std::lround(255.0 * std::pow(c, g)));
        }
    }
}

void PictureFilter::apply(std::uint8_t *bgra, int width, int height, std::ptrdiff_t stride) const
{
    const auto &m = matrix_;
    constexpr float top = float(kTableSize - 1);
    for (int y = 0; y < height; ++y) {
        std::uint8_t *p = bgra + y * stride;
        for (int x = 0; x < width; ++x, p += 4) {
            const float b = p[0];
            const float g = p[1];
            const float r = p[2];
            const float r2 = m[0][0] * r + m[0][1] * g + m[0][2] * b + offset_;
            const float g2 = m[1][0] * r + m[1][1] * g + m[1][2] * b + offset_;
            const float b2 = m[2][0] * r + m[2][1] * g + m[2][2] * b + offset_;
            p[0] = table_[std::size_t(std::clamp(b2, 0.0f, top))];
            p[1] = table_[std::size_t(std::clamp(g2, 0.0f, top))];
            p[2] = table_[std::size_t(std::clamp(r2, 0.0f, top))];
        }
    }
}

} // namespace quelmar::viewer
