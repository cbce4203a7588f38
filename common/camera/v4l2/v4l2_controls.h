// The picture properties of a V4L2 camera: brightness to hue as plain integer controls, white
// balance as the colour temperature under automatic white balance, exposure as the absolute
// exposure time under the exposure-mode menu. The device is reached through an ioctl callable,
// so tests can play a camera's controls.
#pragma once

#include "camera/camera_controls.h"
#include "camera/v4l2/v4l2_formats.h"

#include <linux/videodev2.h>

#include <cstdint>
#include <optional>

namespace quelmar::v4l2 {

// The V4L2 controls behind a property: its value, and the control that switches its automatic
// mode (0 for properties without one).
struct ControlIds {
    std::uint32_t value = 0;
    std::uint32_t automatic = 0;
};
ControlIds controlIds(CameraControl control);

// What a failed write's errno means for the caller: EBUSY (another program holds the control)
// and EACCES (the control is inactive while its automatic mode is on) are refusals.
ControlWrite writeOutcome(int error);

class V4l2Controls final : public CameraControls {
public:
    explicit V4l2Controls(IoctlFn ioctl) : ioctl_(std::move(ioctl)) {}

    std::optional<ControlRange> range(CameraControl control) const override;
    std::optional<ControlState> state(CameraControl control) const override;
    ControlWrite setValue(CameraControl control, int value) override;
    ControlWrite setAutomatic(CameraControl control, bool automatic, int manualValue) override;

    // The manual exposure time in 100 µs units; nothing while exposure is automatic or unknown.
    std::optional<int> manualExposure() const;

private:
    std::optional<v4l2_queryctrl> query(std::uint32_t id) const;
    std::optional<int> get(std::uint32_t id) const;
    bool set(std::uint32_t id, int value) const;
    // The value of the automatic-mode control that means "automatic", and the one that means
    // "manual"; nothing when the camera offers no such pair.
    std::optional<int> automaticValue(CameraControl control) const;
    std::optional<int> manualValue(CameraControl control) const;
    bool menuOffers(const v4l2_queryctrl &menu, int index) const;
    bool isAutomatic(CameraControl control) const;

    IoctlFn ioctl_;
};

} // namespace quelmar::v4l2
