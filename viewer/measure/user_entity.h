// The record with which the measurement view and the sheets hand results to the controller.
#pragma once

#include <QColor>
#include <QString>

namespace quelmar::viewer {

struct UserEntity {
    QString Param1;
    QString Param2;
    QString Param3;
    QString Param4;
    QString Param5;
    qint32 Param6 = 0;
    qint32 Param7 = 0;
    QColor Param8;
    QColor Param9;
    float HueValue = 0;
    float SaturationValue = 0;
    float BrightnessValue = 0;
    float ContrastValue = 0;
    float SharpnessValue = 0;
    float GammaValue = 0;
};

// The report types the controller tells apart.
enum ReportType : int {
    kReportNewFolder = 0,            // new-folder sheet: Param1 the album
    kReportCalibrationSheet = 1,     // calibration sheet: name, magnification, length, unit
    kReportStillSaved = 2,           // measurement view: Param1 the still's path
    kReportCalibrationCompleted = 3, // measurement view: name, magnification, unit length,
                                     // unit, pop-up title; the controller stores it
    kReportClearStatus = 4,          // measurement view: the status text is emptied
};

} // namespace quelmar::viewer
