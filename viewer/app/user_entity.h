// The record with which the sheets and the measurement view hand results to the controller,
// and what the controller hands the measurement view with a tool or calibration.
#pragma once

#include <QColor>
#include <QMetaType>
#include <QString>

namespace quelmar::viewer {

struct UserEntity {
    QString Param1, Param2, Param3, Param4, Param5;
    qint32 Param6 = 0;
    qint32 Param7 = 0;
    QColor Param8, Param9;
    float HueValue = 0, SaturationValue = 0, BrightnessValue = 0, ContrastValue = 0,
          SharpnessValue = 0, GammaValue = 0;
};

// The type codes of the report call.
enum PassValueType {
    kNewAlbum = 0,             // new-folder sheet: Param1 the album
    kNewCalibration = 1,       // calibration sheet: name, magnification, length, unit
    kStillSaved = 2,           // measurement view: Param1 the still's path
    kCalibrationCompleted = 3, // measurement view: name, magnification, unit length, unit, title
    kClearStatus = 4,          // measurement view: the status text is emptied
};

struct MeasureStyle {
    int lineWidth = 1;
    int fontSize = 16;
    int decimals = 3;
    QColor lineColor = Qt::red;
    QColor fontColor = Qt::red;

    bool operator==(const MeasureStyle &) const = default;
};

// One call of the view's setMeasureMode: the tool, the style and the calibration.
struct MeasureRequest {
    int mode = 0;
    MeasureStyle style;
    QString name;
    QString unit;
    float magnification = 0;
    float length = 0;
    bool calibration = false;
};

} // namespace quelmar::viewer

Q_DECLARE_METATYPE(quelmar::viewer::UserEntity)
Q_DECLARE_METATYPE(quelmar::viewer::MeasureRequest)
