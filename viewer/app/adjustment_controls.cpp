#include "app/adjustment_controls.h"

#include <algorithm>
#include <cmath>

namespace quelmar::viewer {

UsbAdjustmentRange AdjustmentControls::usbRange(Adjustment adjustment)
{
    switch (adjustment) {
    case Adjustment::Brightness:
        return {-1, 1, 0};
    case Adjustment::Contrast:
        return {0, 4, 1};
    case Adjustment::Saturation:
        return {0, 2, 1};
    case Adjustment::Hue:
        return {-kPi, kPi, 0};
    case Adjustment::Gamma:
        return {0.25, 4, 1};
    case Adjustment::Sharpness:
        break;
    }
    return {-0.5, 0.5, 0};
}

SliderSetup AdjustmentControls::usbSlider(Adjustment adjustment) const
{
    const UsbAdjustmentRange range = usbRange(adjustment);
    // Rounded inwards, so no position maps outside the range.
    return {int(std::ceil(range.minimum * kUsbScale)), int(std::floor(range.maximum * kUsbScale)),
            int(std::lround(values_[index(adjustment)] * kUsbScale))};
}

void AdjustmentControls::moveUsb(Adjustment adjustment, int position)
{
    if (adjustment == Adjustment::Sharpness)
        return;
    const UsbAdjustmentRange range = usbRange(adjustment);
    values_[index(adjustment)] = std::clamp(position / kUsbScale, range.minimum, range.maximum);
    flags_[index(adjustment)] = true;
}

void AdjustmentControls::resetUsb()
{
    for (const Adjustment adjustment : kAdjustments) {
        values_[index(adjustment)] = usbRange(adjustment).defaultValue;
        flags_[index(adjustment)] = false;
    }
}

PictureAdjustments AdjustmentControls::usbAdjustments() const
{
    PictureAdjustments a;
    a.brightness = float(usbValue(Adjustment::Brightness));
    a.contrast = float(usbValue(Adjustment::Contrast));
    a.saturation = float(usbValue(Adjustment::Saturation));
    a.hue = float(usbValue(Adjustment::Hue));
    a.gamma = float(usbValue(Adjustment::Gamma));
    a.brightnessSet = usbFlag(Adjustment::Brightness);
    a.contrastSet = usbFlag(Adjustment::Contrast);
    a.saturationSet = usbFlag(Adjustment::Saturation);
    a.hueSet = usbFlag(Adjustment::Hue);
    a.gammaSet = usbFlag(Adjustment::Gamma);
    return a;
}

CameraPropertyInfo &AdjustmentControls::record(CameraControls &controls, Adjustment adjustment)
{
    switch (adjustment) {
    case Adjustment::Brightness:
        return controls.brightness;
    case Adjustment::Contrast:
        return controls.contrast;
    case Adjustment::Saturation:
        return controls.saturation;
    case Adjustment::Hue:
        return controls.hue;
    case Adjustment::Gamma:
        return controls.gamma;
    case Adjustment::Sharpness:
        break;
    }
    return controls.sharpness;
}

SliderSetup AdjustmentControls::wifiSlider(const CameraControls &controls, Adjustment adjustment)
{
    CameraControls copy = controls;
    const CameraPropertyInfo &info = record(copy, adjustment);
    return {info.minimum, info.maximum, info.current};
}

void AdjustmentControls::moveWifi(CameraControls &controls, Adjustment adjustment, int value,
                                  const SendCommand &send)
{
    CameraPropertyInfo &info = record(controls, adjustment);
    info.current = value;
    if (send)
        send(info.id, value);
}

void AdjustmentControls::resetWifi(CameraControls &controls, const SendCommand &send)
{
    for (const Adjustment adjustment : kAdjustments) {
        CameraPropertyInfo &info = record(controls, adjustment);
        info.current = info.defaultValue;
        if (send)
            send(info.id, info.defaultValue);
    }
}

} // namespace quelmar::viewer
