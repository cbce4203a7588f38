#include "device/picture_scaler.h"

#include <algorithm>
#include <cmath>

namespace quelmar::viewer {

namespace {

constexpr int kOne = 1 << PictureScaler::kWeightBits;
constexpr int kFinalShift = 2 * PictureScaler::kWeightBits;

// One target row from the vertically weighted sums, `taps` weights per pixel, zero-padded.
// `Taps` fixes the count at compile time for the common cases; 0 reads `taps`.
template <int Taps>
void sumColumnsOf(int taps, const std::uint16_t *sum, const int *first, const int *weights,
                  int width, std::uint8_t *out)
{
    const int count = Taps > 0 ? Taps : taps;
    constexpr std::int32_t half = 1 << (kFinalShift - 1);
    for (int x = 0; x < width; ++x, weights += count, out += 4) {
        const std::uint16_t *in = sum + std::size_t(first[x]) * 3;
        std::int32_t b = half;
        std::int32_t g = half;
        std::int32_t r = half;
        for (int k = 0; k < count; ++k, in += 3) {
            b += weights[k] * in[0];
            g += weights[k] * in[1];
            r += weights[k] * in[2];
        }
        out[0] = std::uint8_t(b >> kFinalShift);
        out[1] = std::uint8_t(g >> kFinalShift);
        out[2] = std::uint8_t(r >> kFinalShift);
        out[3] = 255;
    }
}

void sumColumns(int taps, const std::uint16_t *sum, const int *first, const int *weights, int width,
                std::uint8_t *out)
{
    switch (taps) {
    case 1:
        return sumColumnsOf<1>(taps, sum, first, weights, width, out);
    case 2:
        return sumColumnsOf<2>(taps, sum, first, weights, width, out);
    case 3:
        return sumColumnsOf<3>(taps, sum, first, weights, width, out);
    case 4:
        return sumColumnsOf<4>(taps, sum, first, weights, width, out);
    case 5:
        return sumColumnsOf<5>(taps, sum, first, weights, width, out);
    default:
        return sumColumnsOf<0>(taps, sum, first, weights, width, out);
    }
}

} // namespace

void PictureScaler::Taps::build(int source, int target)
{
    if (source == sourceSize && target == targetSize)
        return;
    sourceSize = source;
    targetSize = target;
    const double ratio = double(source) / target;
    const int room = source >= target ? int(std::ceil(ratio)) + 1 : 2;
    first.assign(std::size_t(target), 0);
    count.assign(std::size_t(target), 0);
    std::vector<int> wide(std::size_t(target) * std::size_t(room), 0);
    std::vector<double> exact(static_cast<std::size_t>(room), 0.0);
    for (int i = 0; i < target; ++i) {
        std::fill(exact.begin(), exact.end(), 0.0);
        int start = 0;
        int n = 0;
        if (source >= target) {
            // The source span this target position covers, weighted by overlap.
            const double from = i * ratio;
            const double to = (i + 1) * ratio;
            start = std::min(int(std::floor(from)), source - 1);
            const int end = std::min(int(std::ceil(to)), source);
            n = std::max(1, end - start);
            for (int k = 0; k < n; ++k) {
                const double lo = std::max(from, double(start + k));
                const double hi = std::min(to, double(start + k + 1));
                exact[std::size_t(k)] = std::max(0.0, hi - lo) / ratio;
            }
        } else {
            // Linear between the two nearest source centres.
            const double centre = std::clamp((i + 0.5) * ratio - 0.5, 0.0, double(source - 1));
            start = std::min(int(centre), std::max(source - 2, 0));
            n = source > 1 ? 2 : 1;
            const double fraction = centre - start;
            exact[0] = n == 2 ? 1.0 - fraction : 1.0;
            if (n == 2)
                exact[1] = fraction;
        }
        // Fixed point summing to exactly one: the rounding error goes to the largest weight.
        int *w = &wide[std::size_t(i) * std::size_t(room)];
        int sum = 0;
        int largest = 0;
        for (int k = 0; k < n; ++k) {
            w[k] = int(std::lround(exact[std::size_t(k)] * kOne));
            sum += w[k];
            if (w[k] > w[largest])
                largest = k;
        }
        w[largest] += kOne - sum;
        first[std::size_t(i)] = start;
        count[std::size_t(i)] = n;
    }
    // As many weights per position as the widest one takes; the rest are zero.
    stride = *std::max_element(count.begin(), count.end());
    weights.assign(std::size_t(target) * std::size_t(stride), 0);
    for (int i = 0; i < target; ++i)
        std::copy_n(&wide[std::size_t(i) * std::size_t(room)], stride,
                    &weights[std::size_t(i) * std::size_t(stride)]);
}

void PictureScaler::scale(const FrameView &source, std::uint8_t *target, int targetWidth,
                          int targetHeight, std::ptrdiff_t targetStride)
{
    if (source.empty() || targetWidth <= 0 || targetHeight <= 0)
        return;
    columns_.build(source.width, targetWidth);
    rows_.build(source.height, targetHeight);
    const std::size_t rowValues = std::size_t(source.width) * 3;
    // Zero-weighted taps past the right edge read zeros here.
    rowSum_.resize(rowValues + std::size_t(columns_.stride) * 3, 0);
    std::uint16_t *sum = rowSum_.data();

    for (int y = 0; y < targetHeight; ++y) {
        const int *rw = &rows_.weights[std::size_t(y) * std::size_t(rows_.stride)];
        const int firstRow = rows_.first[std::size_t(y)];
        const int rowCount = rows_.count[std::size_t(y)];
        {
            const std::uint8_t *src = source.row(firstRow);
            const auto w = std::uint16_t(rw[0]);
            for (std::size_t j = 0; j < rowValues; ++j)
                sum[j] = std::uint16_t(w * src[j]);
        }
        for (int k = 1; k < rowCount; ++k) {
            const std::uint8_t *src = source.row(firstRow + k);
            const auto w = std::uint16_t(rw[k]);
            if (w == 0)
                continue;
            for (std::size_t j = 0; j < rowValues; ++j)
                sum[j] = std::uint16_t(sum[j] + w * src[j]);
        }
        sumColumns(columns_.stride, sum, columns_.first.data(), columns_.weights.data(),
                   targetWidth, target + y * targetStride);
    }
}

} // namespace quelmar::viewer
