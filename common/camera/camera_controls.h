// Picture properties a camera lets programs change: their ranges, values and automatic modes.
// A camera hands out its CameraControls through Camera::controls(); the V4L2 backend maps them
// to V4L2 controls, the demo camera applies them to its own picture.
#pragma once

#include <optional>

namespace quelmar {

enum class CameraControl {
    Brightness,
    Contrast,
    Saturation,
    Sharpness,
    Gamma,
    Hue,
    WhiteBalance, // colour temperature, with automatic white balance
    Exposure,     // exposure time, with automatic exposure
};

struct ControlRange {
    int minimum = 0;
    int maximum = 0;
    int step = 1; // at least 1
    int defaultValue = 0;
    bool hasAutomatic = false; // the camera can choose the value itself

    bool operator==(const ControlRange &) const = default;
};

struct ControlState {
    int value = 0;
    bool automatic = false;

    bool operator==(const ControlState &) const = default;
};

enum class ControlWrite {
    Done,
    Refused, // not now: the automatic mode is on, or another program holds the control
    Missing, // the camera has no such control or mode
    Failed,  // the camera did not take it (out of range, gone, broken)
};

// Called from the owning thread while the camera may be streaming.
class CameraControls {
public:
    virtual ~CameraControls() = default;

    // Nothing when the camera lacks the control.
    virtual std::optional<ControlRange> range(CameraControl control) const = 0;
    virtual std::optional<ControlState> state(CameraControl control) const = 0;
    // Writes the value alone; Refused while the control is in its automatic mode.
    virtual ControlWrite setValue(CameraControl control, int value) = 0;
    // Switches the automatic mode on, or off together with `manualValue` in one request, so the
    // camera never runs manual on a stale value.
    virtual ControlWrite setAutomatic(CameraControl control, bool automatic, int manualValue) = 0;
};

} // namespace quelmar
