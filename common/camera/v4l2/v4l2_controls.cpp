#include "camera/v4l2/v4l2_controls.h"

#include "camera/v4l2/v4l2_logging.h"

#include <array>
#include <cerrno>

namespace quelmar::v4l2 {

ControlIds controlIds(CameraControl control)
{
    switch (control) {
    case CameraControl::Brightness:
        return {V4L2_CID_BRIGHTNESS};
    case CameraControl::Contrast:
        return {V4L2_CID_CONTRAST};
    case CameraControl::Saturation:
        return {V4L2_CID_SATURATION};
    case CameraControl::Sharpness:
        return {V4L2_CID_SHARPNESS};
    case CameraControl::Gamma:
        return {V4L2_CID_GAMMA};
    case CameraControl::Hue:
        return {V4L2_CID_HUE};
    case CameraControl::WhiteBalance:
        return {V4L2_CID_WHITE_BALANCE_TEMPERATURE, V4L2_CID_AUTO_WHITE_BALANCE};
    case CameraControl::Exposure:
        return {V4L2_CID_EXPOSURE_ABSOLUTE, V4L2_CID_EXPOSURE_AUTO};
    }
    return {};
}

ControlWrite writeOutcome(int error)
{
    return error == EBUSY || error == EACCES ? ControlWrite::Refused : ControlWrite::Failed;
}

namespace {

bool usable(const v4l2_queryctrl &control)
{
    if ((control.flags & V4L2_CTRL_FLAG_DISABLED) != 0)
        return false;
    return control.type == V4L2_CTRL_TYPE_INTEGER || control.type == V4L2_CTRL_TYPE_BOOLEAN ||
           control.type == V4L2_CTRL_TYPE_MENU;
}

} // namespace

std::optional<v4l2_queryctrl> V4l2Controls::query(std::uint32_t id) const
{
    v4l2_queryctrl answer{};
    answer.id = id;
    if (ioctl_(VIDIOC_QUERYCTRL, &answer) != 0 || answer.id != id || !usable(answer))
        return std::nullopt;
    return answer;
}

std::optional<int> V4l2Controls::get(std::uint32_t id) const
{
    v4l2_control control{};
    control.id = id;
    if (ioctl_(VIDIOC_G_CTRL, &control) != 0)
        return std::nullopt;
    return control.value;
}

bool V4l2Controls::set(std::uint32_t id, int value) const
{
    v4l2_control control{};
    control.id = id;
    control.value = value;
    return ioctl_(VIDIOC_S_CTRL, &control) == 0;
}

bool V4l2Controls::menuOffers(const v4l2_queryctrl &menu, int index) const
{
    if (index < menu.minimum || index > menu.maximum)
        return false;
    // Menu indexes are sparse: uvcvideo lists only the exposure modes the camera has.
    v4l2_querymenu entry{};
    entry.id = menu.id;
    entry.index = __u32(index);
    return ioctl_(VIDIOC_QUERYMENU, &entry) == 0;
}

std::optional<int> V4l2Controls::automaticValue(CameraControl control) const
{
    const ControlIds ids = controlIds(control);
    if (ids.automatic == 0)
        return std::nullopt;
    const std::optional<v4l2_queryctrl> mode = query(ids.automatic);
    if (!mode || (mode->flags & V4L2_CTRL_FLAG_READ_ONLY) != 0)
        return std::nullopt;
    if (mode->type == V4L2_CTRL_TYPE_BOOLEAN)
        return 1;
    if (mode->type != V4L2_CTRL_TYPE_MENU || !menuOffers(*mode, V4L2_EXPOSURE_MANUAL))
        return std::nullopt;
    // Most webcams offer only manual and aperture priority; the latter is their automatic.
    for (const int automatic : {V4L2_EXPOSURE_AUTO, V4L2_EXPOSURE_APERTURE_PRIORITY}) {
        if (menuOffers(*mode, automatic))
            return automatic;
    }
    return std::nullopt;
}

std::optional<int> V4l2Controls::manualValue(CameraControl control) const
{
    if (!automaticValue(control))
        return std::nullopt;
    return control == CameraControl::Exposure ? V4L2_EXPOSURE_MANUAL : 0;
}

bool V4l2Controls::isAutomatic(CameraControl control) const
{
    const ControlIds ids = controlIds(control);
    if (ids.automatic == 0)
        return false;
    const std::optional<int> mode = get(ids.automatic);
    if (!mode)
        return false;
    if (control == CameraControl::Exposure)
        return *mode == V4L2_EXPOSURE_AUTO || *mode == V4L2_EXPOSURE_APERTURE_PRIORITY;
    return *mode != 0;
}

std::optional<ControlRange> V4l2Controls::range(CameraControl control) const
{
    const std::optional<v4l2_queryctrl> value = query(controlIds(control).value);
    if (!value)
        return std::nullopt;
    ControlRange range;
    range.minimum = value->minimum;
    range.maximum = value->maximum;
    range.step = std::max(1, value->step);
    range.defaultValue = value->default_value;
    range.hasAutomatic = automaticValue(control).has_value();
    return range;
}

std::optional<ControlState> V4l2Controls::state(CameraControl control) const
{
    const std::optional<v4l2_queryctrl> value = query(controlIds(control).value);
    if (!value)
        return std::nullopt;
    ControlState state;
    // A write-only control has no value to read; its default stands in.
    state.value = get(value->id).value_or(value->default_value);
    state.automatic = isAutomatic(control);
    return state;
}

ControlWrite V4l2Controls::setValue(CameraControl control, int value)
{
    const ControlIds ids = controlIds(control);
    if (!query(ids.value))
        return ControlWrite::Missing;
    // An inactive control is not written: older drivers pass the write on and the camera
    // stalls its control pipe.
    if (isAutomatic(control))
        return ControlWrite::Refused;
    if (!set(ids.value, value)) {
        const int error = errno;
        qCDebug(lcV4l2) << "control" << Qt::hex << ids.value << "refuses" << Qt::dec << value
                        << qt_error_string(error);
        return writeOutcome(error);
    }
    return ControlWrite::Done;
}

ControlWrite V4l2Controls::setAutomatic(CameraControl control, bool automatic, int manualValue)
{
    const ControlIds ids = controlIds(control);
    const std::optional<int> on = automaticValue(control);
    if (!on)
        return ControlWrite::Missing;
    if (automatic)
        return set(ids.automatic, *on) ? ControlWrite::Done : writeOutcome(errno);

    // Mode and value in one request, mode first: the value control is writable only once
    // the mode is manual.
    std::array<v4l2_ext_control, 2> controls{};
    controls[0].id = ids.automatic;
    controls[0].value = *this->manualValue(control);
    controls[1].id = ids.value;
    controls[1].value = manualValue;
    v4l2_ext_controls request{};
    request.which = V4L2_CTRL_WHICH_CUR_VAL;
    request.count = controls.size();
    request.controls = controls.data();
    if (ioctl_(VIDIOC_S_EXT_CTRLS, &request) == 0)
        return ControlWrite::Done;
    const int error = errno;
    if (error != EINVAL && error != ENOTTY)
        return writeOutcome(error);
    // Drivers without mixed-class extended requests: one control after the other.
    if (!set(ids.automatic, controls[0].value))
        return writeOutcome(errno);
    return set(ids.value, manualValue) ? ControlWrite::Done : writeOutcome(errno);
}

std::optional<int> V4l2Controls::manualExposure() const
{
    if (isAutomatic(CameraControl::Exposure))
        return std::nullopt;
    return get(V4L2_CID_EXPOSURE_ABSOLUTE);
}

} // namespace quelmar::v4l2
