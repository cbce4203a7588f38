#include "capture/video_device_settings.h"

#include <algorithm>

namespace quelmar::station {

void VideoDeviceSettings::readInto(CameraControls *controls, CameraControl control,
                                   PropertyValues &into)
{
    into = {};
    const std::optional<ControlRange> range = controls ? controls->range(control) : std::nullopt;
    if (!range || range->maximum < range->minimum)
        return;
    into.present = true;
    into.minimum = range->minimum;
    into.maximum = range->maximum;
    into.step = std::max(1, range->step);
    into.defaultValue = std::clamp(range->defaultValue, range->minimum, range->maximum);
    into.hasAutomatic = range->hasAutomatic;
    const std::optional<ControlState> state = controls->state(control);
    into.value = std::clamp(state ? state->value : into.defaultValue, into.minimum, into.maximum);
    into.automatic = into.hasAutomatic && state && state->automatic;
}

void VideoDeviceSettings::read(CameraControls *controls)
{
    controls_ = controls;
    for (std::size_t index = 0; index < rows_.size(); ++index)
        readInto(controls, kPropertyRows[index].control, rows_[index]);
    readInto(controls, CameraControl::Exposure, exposure_);
    // Without both modes there is no exposure to offer.
    if (!exposure_.hasAutomatic)
        exposure_.present = false;
}

int VideoDeviceSettings::onStep(const PropertyValues &values, int position)
{
    const int clamped = std::clamp(position, values.minimum, values.maximum);
    const int steps = (clamped - values.minimum + values.step / 2) / values.step;
    return std::min(values.minimum + steps * values.step, values.maximum);
}

int VideoDeviceSettings::moveRow(int index, int position)
{
    PropertyValues &values = rows_[std::size_t(index)];
    if (!values.present)
        return values.value;
    values.value = onStep(values, position);
    // Brightness to hue have no automatic mode here, so every move reaches the camera; white
    // balance follows its check box, and the camera refuses values while it is automatic.
    // Refusals are not reported.
    controls_->setValue(kPropertyRows[std::size_t(index)].control, values.value);
    return values.value;
}

int VideoDeviceSettings::stepRow(int index, int direction)
{
    const PropertyValues &values = rows_[std::size_t(index)];
    if (!values.present)
        return values.value;
    const int next = std::clamp(values.value + (direction > 0 ? values.step : -values.step),
                                values.minimum, values.maximum);
    return next == values.value ? values.value : moveRow(index, next);
}

int VideoDeviceSettings::setWhiteBalanceAutomatic(bool automatic)
{
    PropertyValues &values = rows_[kWhiteBalanceRow];
    if (!values.present)
        return values.value;
    if (automatic)
        values.value = values.defaultValue;
    values.automatic = automatic && values.hasAutomatic;
    if (values.hasAutomatic)
        controls_->setAutomatic(CameraControl::WhiteBalance, automatic, values.value);
    else
        controls_->setValue(CameraControl::WhiteBalance, values.value);
    return values.value;
}

int VideoDeviceSettings::moveExposure(int position)
{
    if (!exposure_.present)
        return exposure_.value;
    exposure_.value = onStep(exposure_, position);
    controls_->setValue(CameraControl::Exposure, exposure_.value);
    return exposure_.value;
}

int VideoDeviceSettings::toggleExposureAutomatic()
{
    if (!exposure_.present)
        return exposure_.value;
    exposure_.automatic = !exposure_.automatic;
    exposure_.value = exposure_.defaultValue;
    controls_->setAutomatic(CameraControl::Exposure, exposure_.automatic, exposure_.value);
    return exposure_.value;
}

void VideoDeviceSettings::restoreDefaults()
{
    for (std::size_t index = 0; index < rows_.size(); ++index) {
        PropertyValues &values = rows_[index];
        if (!values.present)
            continue;
        values.value = values.defaultValue;
        if (int(index) == kWhiteBalanceRow)
            setWhiteBalanceAutomatic(true);
        else
            controls_->setValue(kPropertyRows[index].control, values.value);
    }
}

std::vector<int> listedDeviceRecords(const std::vector<DeviceRecord> &devices)
{
    std::vector<int> records;
    for (std::size_t index = 0; index < devices.size(); ++index)
        if (!devices[index].friendlyName.isEmpty())
            records.push_back(int(index));
    return records;
}

PixelFormatListState pixelFormatListFor(int sensorClass)
{
    if (sensorClass == 2 || sensorClass == 5)
        return {0, false};
    return {1, true};
}

QString captureSizeText(int width, int height)
{
    return QStringLiteral("%1X%2").arg(width).arg(height);
}

std::optional<QSize> parseCaptureSizeText(const QString &text)
{
    const QStringList parts = text.split(u'X');
    if (parts.size() != 2)
        return std::nullopt;
    bool wideOk = false;
    bool highOk = false;
    const int width = parts[0].trimmed().toInt(&wideOk);
    const int height = parts[1].trimmed().toInt(&highOk);
    if (!wideOk || !highOk || width <= 0 || height <= 0)
        return std::nullopt;
    return QSize(width, height);
}

} // namespace quelmar::station
