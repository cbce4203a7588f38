#include "measure/calibration.h"

#include "base/ini_file.h"
#include "measure/geometry.h"

#include <atomic_file.h>

#include <QFile>

#include <cmath>

namespace quelmar::station {

double unitFactor(const QString &unit)
{
    if (unit == QStringLiteral("inch"))
        return 0.0000394;
    if (unit == QStringLiteral("mil"))
        return 0.0394;
    if (unit == QStringLiteral("cm"))
        return 0.0001;
    return 0.001;
}

std::optional<double> nominalPixelSize(int sensorClass, QSize photo)
{
    switch (sensorClass) {
    case 1:
    case 5:
        return 63.829787234;
    case 2:
        return photo == QSize(1280, 960) ? 63.829787234 : 80.0;
    case 3:
        if (photo == QSize(1920, 1080))
            return 57.507987;
        if (photo == QSize(1280, 720))
            return 66.666667;
        return 100.0;
    case 4:
        return 66.666667;
    default:
        return std::nullopt;
    }
}

namespace {

// Full-size mode works at the photo's own resolution: each pixel is smaller than in the
// 640 x 480 working picture by this ratio.
double applyResolutionRatio(double pf, QSize photo)
{
    const int w = photo.width();
    const int h = photo.height();
    if (w == 320 && h == 240)
        return pf * 2;
    if (w == 352 && h == 288)
        return pf / 0.55;
    if (w == 800 && h == 600)
        return pf / 1.25;
    if (w == 1024 && h == 768)
        return pf / 1.6;
    if (w == 1280 && h == 720)
        return pf / 1.5;
    if (w == 1280 && (h == 960 || h == 1024))
        return pf * 0.5;
    if (w == 1600 && h == 1200)
        return pf / 2.5;
    if (w == 1920 && h == 1080)
        return pf / 2.25;
    if (w == 2048 && h == 1536)
        return pf / 3.2;
    if (w == 2592 && h == 1944)
        return pf / 4.05;
    if (w == 3264 && h == 2448)
        return pf / 5.1;
    return pf;
}

} // namespace

double pixelFactor(int sensorClass, QSize photo, const QString &unit, bool fullSize)
{
    // Without a camera the factor is a bare constant, but full-size mode still works at the
    // photo's own resolution, so the ratio applies to it too: both modes must agree.
    const std::optional<double> nominal = nominalPixelSize(sensorClass, photo);
    const double pf = nominal ? *nominal * unitFactor(unit) : 0.001;
    return fullSize ? applyResolutionRatio(pf, photo) : pf;
}

bool isUsableScale(double scale)
{
    // A scale is shown and stored with one decimal, so one whose text reads "0.0" would come
    // back as no scale at all; areas divide by the square, which must stay finite. Above
    // 0.05 no length or area of a picture can overflow.
    return std::isfinite(scale) && std::isfinite(scale * scale) &&
           leadingDouble(formatValue(scale, 1)) > 0;
}

double leadingNumber(const QString &text)
{
    const double value = leadingDouble(text);
    return isUsableScale(value) ? value : 0;
}

std::optional<double> actualDistanceInUnit(const QString &typedMillimetres, const QString &unit)
{
    const double mm = leadingNumber(typedMillimetres);
    double value = mm;
    if (unit == QStringLiteral("inch"))
        value = mm / 25.4;
    else if (unit == QStringLiteral("mil"))
        value = mm * 5000 / 127;
    else if (unit == QStringLiteral("cm"))
        value = mm / 10;
    if (!(value > 0) || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString CalibrationFile::lookup(const QString &typed) const
{
    const QString magnification = typed.trimmed();
    CIniFile ini;
    if (magnification.isEmpty() || !ini.Load(path_))
        return {};
    return ini.Read(magnification, magnification).value_or(QString());
}

bool CalibrationFile::store(const QString &typed, const QString &scaleText)
{
    // The INI reader trims its lines, so blanks around the magnification would make an entry
    // that is never found again.
    const QString magnification = typed.trimmed();
    if (magnification.isEmpty())
        return false;
    CIniFile ini;
    if (!ini.Load(path_)) {
        // A file that cannot be read is taken as empty; the first entry creates it.
        if (QFile::exists(path_))
            return false;
        if (!replaceFile(path_, {}) || !ini.Load(path_))
            return false;
    }
    return ini.Write(magnification, magnification, scaleText);
}

void MeasureScale::setMagnificationText(const QString &text)
{
    magnificationText_ = text;
    scaleText_ = file_.lookup(text);
}

std::optional<double> MeasureScale::choose(bool calibrating)
{
    double value = calibrating ? 0 : leadingNumber(scaleText_);
    if (value == 0)
        value = leadingNumber(magnificationText_);
    if (value == 0)
        return std::nullopt;
    scale_ = value;
    return value;
}

MeasureScale::Calibrated MeasureScale::finishCalibration(double pixelLength, double pf,
                                                         std::optional<double> actualDistance,
                                                         int decimals)
{
    Calibrated result;
    // A line of no length, or a distance that gives a scale too small or too large to keep,
    // calibrates nothing: the scale stays as after Cancel, and the caller says why.
    const double calibrated = actualDistance ? pixelLength * pf * 10 / *actualDistance : 0;
    const bool accepted = actualDistance && isUsableScale(calibrated);
    result.refused = actualDistance && !accepted;
    if (accepted) {
        scale_ = calibrated;
        calibratedScale_ = calibrated;
    }
    if (!isUsableScale(scale_))
        return result; // no scale was ever chosen: nothing to divide by
    result.lineValue = formatValue(pixelLength * pf * 10 / scale_, decimals);
    if (accepted) {
        scaleText_ = formatValue(calibratedScale_, 1);
        choose();
        result.stored = file_.store(magnificationText_, scaleText_);
    }
    return result;
}

} // namespace quelmar::station
