// The settings tab's six picture adjustments. With a USB camera they are software
// adjustments of every frame (float ranges, applied once their slider has moved); with the
// Wi-Fi microscope they are the device's camera controls (its integer ranges, each move sent
// as a camera command). One slider serves both: USB values are shown scaled by kUsbScale.
#pragma once

#include "device/settings_page.h"
#include "device/usb_picture.h"

#include <array>
#include <functional>

namespace quelmar::viewer {

// In the order of the settings tab and of the Wi-Fi default action.
enum class Adjustment { Brightness, Contrast, Saturation, Hue, Gamma, Sharpness };
inline constexpr std::array kAdjustments = {Adjustment::Brightness, Adjustment::Contrast,
                                            Adjustment::Saturation, Adjustment::Hue,
                                            Adjustment::Gamma,      Adjustment::Sharpness};

// What a slider shows: its integer range and position.
struct SliderSetup {
    int minimum = 0;
    int maximum = 0;
    int value = 0;

    bool operator==(const SliderSetup &) const = default;
};

struct UsbAdjustmentRange {
    double minimum;
    double maximum;
    double defaultValue;
};

class AdjustmentControls {
public:
    // Slider positions per unit of a USB value.
    static constexpr double kUsbScale = 1000.0;
    static constexpr double kPi = 3.141592653589793;

    static UsbAdjustmentRange usbRange(Adjustment adjustment);

    // USB: the float values and their flags.
    SliderSetup usbSlider(Adjustment adjustment) const;
    // A slider moved to `position`: the value is taken and its flag set. Sharpness is ignored.
    void moveUsb(Adjustment adjustment, int position);
    // Every flag clear, every value back to its default.
    void resetUsb();
    double usbValue(Adjustment adjustment) const { return values_[index(adjustment)]; }
    bool usbFlag(Adjustment adjustment) const { return flags_[index(adjustment)]; }
    PictureAdjustments usbAdjustments() const;

    // Wi-Fi: the device's records. A move stores the value as current and sends it.
    using SendCommand = std::function<void(int id, int value)>;
    static SliderSetup wifiSlider(const CameraControls &controls, Adjustment adjustment);
    static void moveWifi(CameraControls &controls, Adjustment adjustment, int value,
                         const SendCommand &send);
    // Each control in the tab's order: its default becomes current and is sent.
    static void resetWifi(CameraControls &controls, const SendCommand &send);
    static CameraPropertyInfo &record(CameraControls &controls, Adjustment adjustment);

private:
    static std::size_t index(Adjustment adjustment) { return std::size_t(adjustment); }

    std::array<double, 6> values_ = {0, 1, 1, 0, 1, 0};
    std::array<bool, 6> flags_ = {};
};

} // namespace quelmar::viewer
