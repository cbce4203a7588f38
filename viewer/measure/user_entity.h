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
    kReportNewFolder = 0,
    kReportCalibrationSheet = 1,
    kReportStillSaved = 2,
    kReportCalibrationStored = 3,
    kReportClearStatus = 4,
};

} // namespace quelmar::viewer
