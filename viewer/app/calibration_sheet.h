// A new calibration's name, magnification, actual length and unit, checked and handed on as
// the report of type 1 that starts a calibration run. A plain stand-in until the window has
// its own calibration sheet; the checks are in calibrationSheetError() for any sheet to use.
#pragma once

#include "measure/user_entity.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace quelmar::viewer {

class ViewerPrompt;

// The alert for the sheet's fields, in the order they are checked; empty when all are good.
QString calibrationSheetError(const QString &name, const QString &magnification,
                              const QString &length, const QString &unit);

class CalibrationSheet : public QDialog {
    Q_OBJECT

public:
    CalibrationSheet(ViewerPrompt &prompt, QWidget *parent = nullptr);

    QLineEdit &nameField() const { return *CalibrationName_; }
    QLineEdit &magnificationField() const { return *CalibrationMag_; }
    QLineEdit &lengthField() const { return *CalibrationLen_; }
    QComboBox &unitPopUp() const { return *CalibrationUnit_; }
    void ok();

Q_SIGNALS:
    void PassValue(const quelmar::viewer::UserEntity &value, int type);

private:
    ViewerPrompt &prompt_;
    QLineEdit *CalibrationName_ = nullptr;
    QLineEdit *CalibrationMag_ = nullptr;
    QLineEdit *CalibrationLen_ = nullptr;
    QComboBox *CalibrationUnit_ = nullptr;
};

} // namespace quelmar::viewer
