// From pixels to the specimen: the pixel factor (nominal pixel size by sensor class and
// photo size, in the chosen unit), the scale the user types or calibrates, and the
// calibration file that keeps one calibrated scale per magnification text.
#pragma once

#include <QSize>
#include <QString>

#include <optional>

namespace quelmar::station {

// Micrometres to the unit: "inch", "mil", "cm", anything else millimetres.
double unitFactor(const QString &unit);
// The nominal pixel size in micrometres, or nothing for a sensor class without one.
std::optional<double> nominalPixelSize(int sensorClass, QSize photo);
// The pixel factor; in full-size mode it is divided by the photo's ratio to 640 x 480.
double pixelFactor(int sensorClass, QSize photo, const QString &unit, bool fullSize);

// A scale every length and area can be divided by: its one-decimal text reads back above 0
// and every value it produces is finite.
bool isUsableScale(double scale);

// The leading number of a text, as the boxes are read: 0 when there is none. A value that
// cannot be a scale (not finite, or not above 0) also reads as 0.
double leadingNumber(const QString &text);

// The actual distance typed in millimetres, in the unit; nothing when it is not a positive
// number (the dialog then asks again).
std::optional<double> actualDistanceInUnit(const QString &typedMillimetres, const QString &unit);

// The message for a refused calibration, and its English default.
inline constexpr char kCalibrationUnusableKey[] = "CalibrationUnusable";
inline constexpr char kCalibrationUnusableText[] =
    "This line and distance give no usable scale. Nothing was stored.";

// The calibration file: "[<magnification>]" then "<magnification>=<scale %.1f>".
class CalibrationFile {
public:
    explicit CalibrationFile(QString path) : path_(std::move(path)) {}
    // The stored scale text for the magnification text (blanks around it ignored), or empty.
    QString lookup(const QString &magnification) const;
    // Writes the entry under the trimmed magnification (creating the file, section or key);
    // false when it cannot be written or the magnification is blank.
    bool store(const QString &magnification, const QString &scaleText);

private:
    QString path_;
};

// The scale in use and its two boxes: the scale box (calibrated scale, one decimal) and the
// magnification box. One per program; the photo window and the live view share it.
class MeasureScale {
public:
    explicit MeasureScale(CalibrationFile &file) : file_(file) {}

    // The magnification box changed: its stored scale fills the scale box, or empties it.
    void setMagnificationText(const QString &text);
    void setScaleText(const QString &text) { scaleText_ = text; }
    const QString &magnificationText() const { return magnificationText_; }
    const QString &scaleText() const { return scaleText_; }

    // Chooses the scale for a tool: the scale box, else (and always while calibrating) the
    // magnification box; nothing when neither holds a number (the tool is not selected).
    std::optional<double> choose(bool calibrating = false);
    double scale() const { return scale_; }
    double calibratedScale() const { return calibratedScale_; }

    struct Calibrated {
        QString lineValue; // the calibration line's value text
        bool stored = false;
        // OK was given, but the line and distance give no usable scale: nothing changed or
        // was stored, and the user is told (kCalibrationUnusableKey).
        bool refused = false;
    };
    // Ends a calibration of a line of `pixelLength` pixels. With an actual distance (OK) the
    // new scale is pixelLength x pf x 10 / distance, shown and stored with one decimal and
    // chosen again; without (Cancel) the scale stays. The line's value follows either way.
    Calibrated finishCalibration(double pixelLength, double pixelFactor,
                                 std::optional<double> actualDistance, int decimals);

private:
    CalibrationFile &file_;
    QString magnificationText_;
    QString scaleText_;
    double scale_ = 0;
    double calibratedScale_ = 0;
};

} // namespace quelmar::station
