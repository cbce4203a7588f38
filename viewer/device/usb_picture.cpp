#include "device/usb_picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quelmar::viewer {

namespace {

constexpr int kOne = 1 << PictureScaler::kWeightBits;
constexpr int kFinalShift = 2 * PictureScaler::kWeightBits;

// One target row from the vertically weighted sums: `Taps` weights per pixel, zero-padded.
template <int Taps>
void sumColumns(const std::uint16_t *sum, const int *first, const int *weights, int width,
                std::uint8_t *out)
{
    constexpr std::int32_t half = 1 << (kFinalShift - 1);
    for (int x = 0; x < width; ++x, weights += Taps, out += 4) {
        const std::uint16_t *in = sum + std::size_t(first[x]) * 3;
        std::int32_t b = half;
        std::int32_t g = half;
        std::int32_t r = half;
        for (int k = 0; k < Taps; ++k, in += 3) {
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

void sumColumns(int taps, const std::uint16_t *sum, const int *first, const int *weights,
                int width, std::uint8_t *out)
{
    switch (taps) {
    case 1:
        return sumColumns<1>(sum, first, weights, width, out);
    case 2:
        return sumColumns<2>(sum, first, weights, width, out);
    case 3:
        return sumColumns<3>(sum, first, weights, width, out);
    case 4:
        return sumColumns<4>(sum, first, weights, width, out);
    case 5:
        return sumColumns<5>(sum, first, weights, width, out);
    default:
        break;
    }
    constexpr std::int32_t half = 1 << (kFinalShift - 1);
    for (int x = 0; x < width; ++x, weights += taps, out += 4) {
        const std::uint16_t *in = sum + std::size_t(first[x]) * 3;
        std::int32_t b = half;
        std::int32_t g = half;
        std::int32_t r = half;
        for (int k = 0; k < taps; ++k, in += 3) {
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

QImage &UsbPictureMaker::freePicture()
{
    // A picture only this pool holds can be written without a copy.
    for (QImage &picture : pool_) {
        if (!picture.isNull() && picture.isDetached())
            return picture;
    }
    for (QImage &picture : pool_) {
        if (picture.isNull()) {
            picture = QImage(kWidth, kHeight, QImage::Format_RGB32);
            return picture;
        }
    }
    // Every picture is still on its way to the view: one more, the oldest left to them.
    std::rotate(pool_.begin(), pool_.begin() + 1, pool_.end());
    pool_.back() = QImage(kWidth, kHeight, QImage::Format_RGB32);
    return pool_.back();
}

QImage UsbPictureMaker::make(const FrameView &frame, const PictureAdjustments &adjustments)
{
    QImage &picture = freePicture();
    if (picture.isNull())
        return {};
    std::uint8_t *bits = picture.bits();
    const std::ptrdiff_t stride = picture.bytesPerLine();
    scaler_.scale(frame, bits, kWidth, kHeight, stride);
    if (adjustments.any()) {
        if (!(adjustments == filter_.adjustments()))
            filter_.setAdjustments(adjustments);
        filter_.apply(bits, kWidth, kHeight, stride);
    }
    return picture;
}

} // namespace quelmar::viewer
