// What the video settings dialog does, without the dialog: the picture-property rows and
// exposure read from the camera and written back as the sliders, spin buttons, automatic modes
// and Default ask, the device list's rows, the pixel-format list of a sensor class and the
// capture size texts.
#pragma once

#include "capture/video_cap_wnd.h"

#include <camera/camera_controls.h>

#include <QSize>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace quelmar::station {

struct PropertyRowSpec {
    const char *key; // the language key, also the default label
    CameraControl control;
};
// The seven rows, in dialog order.
inline constexpr std::array<PropertyRowSpec, 7> kPropertyRows{{
    {"Brightness", CameraControl::Brightness},
    {"Contrast", CameraControl::Contrast},
    {"Saturation", CameraControl::Saturation},
    {"Sharpness", CameraControl::Sharpness},
    {"Gamma", CameraControl::Gamma},
    {"Hue", CameraControl::Hue},
    {"WhiteBalance", CameraControl::WhiteBalance},
}};
inline constexpr int kWhiteBalanceRow = 6;

struct PropertyValues {
    bool present = false; // the camera has the property; a row without it is disabled
    int minimum = 0;
    int maximum = 0;
    int step = 1;
    int defaultValue = 0;
    int value = 0;
    bool hasAutomatic = false;
    bool automatic = false;
};

class VideoDeviceSettings {
public:
    // `controls` may be null (no camera, or none with properties).
    explicit VideoDeviceSettings(CameraControls *controls = nullptr) { read(controls); }

    // Reads ranges, values and modes from the camera.
    void read(CameraControls *controls);
    CameraControls *controls() const { return controls_; }

    const PropertyValues &row(int index) const { return rows_[std::size_t(index)]; }
    // Exposure counts as supported only with both an automatic and a manual mode.
    const PropertyValues &exposure() const { return exposure_; }

    // A slider moved: the position, kept in range and on the control's step, becomes the
    // value and goes to the camera (white balance: refused while its automatic mode is on).
    // Returns the value to show.
    int moveRow(int index, int position);
    // A spin button: one step up (+1) or down (-1), kept in range.
    int stepRow(int index, int direction);
    // The white balance check box: on writes the default in automatic mode, off the current
    // value in manual mode. Returns the value to show.
    int setWhiteBalanceAutomatic(bool automatic);
    int moveExposure(int position);
    // The exposure auto button: flips the mode and writes the default with the new mode.
    // Returns the value to show, the default just written.
    int toggleExposureAutomatic();
    // Default: every row to its default; white balance back to automatic.
    void restoreDefaults();

private:
    static int onStep(const PropertyValues &values, int position);
    static void readInto(CameraControls *controls, CameraControl control, PropertyValues &into);

    CameraControls *controls_ = nullptr;
    std::array<PropertyValues, kPropertyRows.size()> rows_{};
    PropertyValues exposure_;
};

// The device records the device list shows (those with a name), in list order: entry i of the
// list is record result[i].
std::vector<int> listedDeviceRecords(const std::vector<DeviceRecord> &devices);

// The pixel-format list: its entries, the one selected for a sensor class, and whether the
// user may change it (a choice changes nothing either way).
inline const QStringList kPixelFormatNames{QStringLiteral("YUY2"), QStringLiteral("MJPEG")};
struct PixelFormatListState {
    int selected = 1;
    bool enabled = true;
};
PixelFormatListState pixelFormatListFor(int sensorClass);

// "%dX%d", the capture size list's text for a size, and back.
QString captureSizeText(int width, int height);
std::optional<QSize> parseCaptureSizeText(const QString &text);

} // namespace quelmar::station
