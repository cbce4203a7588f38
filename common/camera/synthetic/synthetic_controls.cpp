#include "camera/synthetic/synthetic_controls.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quelmar {

namespace {

constexpr std::array<CameraControl, SyntheticControls::count> allControls{
    CameraControl::Brightness,   CameraControl::Contrast, CameraControl::Saturation,
    CameraControl::Sharpness,    CameraControl::Gamma,    CameraControl::Hue,
    CameraControl::WhiteBalance, CameraControl::Exposure,
};

bool automaticByDefault(CameraControl control)
{
    return control == CameraControl::WhiteBalance || control == CameraControl::Exposure;
}

int snapped(const ControlRange &range, int value)
{
    const int clamped = std::clamp(value, range.minimum, range.maximum);
    const int steps = (clamped - range.minimum + range.step / 2) / range.step;
    return std::min(range.minimum + steps * range.step, range.maximum);
}

std::uint8_t clampByte(double value)
{
    return std::uint8_t(std::clamp(std::lround(value), 0L, 255L));
}

} // namespace

ControlRange SyntheticControls::rangeOf(CameraControl control)
{
    switch (control) {
    case CameraControl::Brightness:
        return {-64, 64, 1, 0, false};
    case CameraControl::Contrast:
        return {0, 64, 1, 32, false};
    case CameraControl::Saturation:
        return {0, 128, 1, 64, false};
    case CameraControl::Sharpness:
        return {0, 6, 1, 3, false};
    case CameraControl::Gamma:
        return {72, 500, 1, 100, false};
    case CameraControl::Hue:
        return {-40, 40, 1, 0, false};
    case CameraControl::WhiteBalance:
        return {2800, 6500, 10, 4600, true};
    case CameraControl::Exposure:
        return {1, 5000, 1, 156, true}; // 100 µs units, as V4L2 counts exposure time
    }
    return {};
}

SyntheticControls::SyntheticControls()
{
    for (const CameraControl control : allControls) {
        slot(control).value = rangeOf(control).defaultValue;
        slot(control).automatic = automaticByDefault(control);
    }
}

std::optional<ControlRange> SyntheticControls::range(CameraControl control) const
{
    return rangeOf(control);
}

std::optional<ControlState> SyntheticControls::state(CameraControl control) const
{
    return ControlState{slot(control).value, slot(control).automatic};
}

ControlWrite SyntheticControls::setValue(CameraControl control, int value)
{
    // Like V4L2: the value of a property in its automatic mode is inactive.
    if (slot(control).automatic)
        return ControlWrite::Refused;
    slot(control).value = snapped(rangeOf(control), value);
    return ControlWrite::Done;
}

ControlWrite SyntheticControls::setAutomatic(CameraControl control, bool automatic, int manualValue)
{
    if (!rangeOf(control).hasAutomatic)
        return ControlWrite::Missing;
    if (!automatic)
        slot(control).value = snapped(rangeOf(control), manualValue);
    slot(control).automatic = automatic;
    return ControlWrite::Done;
}

SyntheticControls::Snapshot SyntheticControls::snapshot() const
{
    Snapshot snapshot;
    for (const CameraControl control : allControls)
        snapshot.states[std::size_t(control)] = *state(control);
    return snapshot;
}

void PictureAdjuster::rebuild(const SyntheticControls::Snapshot &s)
{
    using C = CameraControl;
    const auto value = [&](C control) { return double(s[control].value); };
    const auto isDefault = [&](C control) {
        return s[control].value == SyntheticControls::rangeOf(control).defaultValue;
    };

    // Tone curve per channel: exposure and white balance scale, then brightness, contrast and
    // gamma. In their automatic modes exposure and white balance leave the picture as it is.
    const double gain =
        s[C::Exposure].automatic ? 1.0 : std::clamp(value(C::Exposure) / 156.0, 0.02, 8.0);
    const double warmth =
        s[C::WhiteBalance].automatic ? 0.0 : (value(C::WhiteBalance) - 4600.0) / 1850.0;
    const std::array<double, 3> channelGain{gain * (1.0 - 0.35 * warmth), gain,
                                            gain * (1.0 + 0.35 * warmth)};
    const double contrast = value(C::Contrast) / 32.0;
    const double brightness = value(C::Brightness) * 1.5;
    const double gamma = 100.0 / value(C::Gamma);
    curvesIdentity_ = gain == 1.0 && warmth == 0.0 && isDefault(C::Contrast) &&
                      isDefault(C::Brightness) && isDefault(C::Gamma);
    for (std::size_t channel = 0; channel < 3; ++channel) {
        for (int in = 0; in < 256; ++in) {
            double x = in * channelGain[channel];
            x = (x - 128.0) * contrast + 128.0 + brightness;
            x = std::clamp(x, 0.0, 255.0);
            curves_[channel][std::size_t(in)] = clampByte(255.0 * std::pow(x / 255.0, gamma));
        }
    }

    // Hue turns and saturation scales the chroma plane of YIQ.
    const double angle = value(C::Hue) * 4.5 * std::numbers::pi / 180.0;
    const double saturation = value(C::Saturation) / 64.0;
    colourIdentity_ = isDefault(C::Hue) && isDefault(C::Saturation);
    // RGB to YIQ and back.
    const double toYiq[3][3] = {
        {0.299, 0.587, 0.114}, {0.596, -0.274, -0.322}, {0.211, -0.523, 0.312}};
    const double toRgb[3][3] = {{1.0, 0.956, 0.621}, {1.0, -0.272, -0.647}, {1.0, -1.106, 1.703}};
    const double c = std::cos(angle) * saturation;
    const double si = std::sin(angle) * saturation;
    const double turn[3][3] = {{1, 0, 0}, {0, c, -si}, {0, si, c}};
    double rgb[3][3] = {};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                for (int l = 0; l < 3; ++l)
                    rgb[i][j] += toRgb[i][k] * turn[k][l] * toYiq[l][j];
    // The frame is BGR: reverse both indexes.
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            colour_[std::size_t(i * 3 + j)] = int(std::lround(rgb[2 - i][2 - j] * 1024.0));

    sharpen_ = int(std::lround((value(C::Sharpness) - 3.0) / 3.0 * 0.8 * 256.0));
    built_ = s;
}

void PictureAdjuster::apply(const SyntheticControls::Snapshot &settings, FrameView frame)
{
    if (!built_ || built_->states != settings.states)
        rebuild(settings);
    const std::size_t rowBytes = std::size_t(frame.width) * 3;
    for (int y = 0; y < frame.height; ++y) {
        std::uint8_t *row = frame.row(y);
        if (!curvesIdentity_) {
            for (std::size_t x = 0; x < rowBytes; x += 3) {
                row[x] = curves_[0][row[x]];
                row[x + 1] = curves_[1][row[x + 1]];
                row[x + 2] = curves_[2][row[x + 2]];
            }
        }
        if (!colourIdentity_) {
            for (std::size_t x = 0; x < rowBytes; x += 3) {
                const int b = row[x], g = row[x + 1], r = row[x + 2];
                for (std::size_t out = 0; out < 3; ++out) {
                    const int mixed = (colour_[out * 3] * b + colour_[out * 3 + 1] * g +
                                       colour_[out * 3 + 2] * r) /
                                      1024;
                    row[x + out] = std::uint8_t(std::clamp(mixed, 0, 255));
                }
            }
        }
        if (sharpen_ != 0 && frame.width > 2) {
            row_.assign(row, row + rowBytes);
            for (std::size_t x = 3; x + 3 < rowBytes; ++x) {
                const int centre = row_[x];
                const int around = (row_[x - 3] + row_[x + 3]) / 2;
                row[x] =
                    std::uint8_t(std::clamp(centre + sharpen_ * (centre - around) / 256, 0, 255));
            }
        }
    }
}

} // namespace quelmar
