// The calibration sheet: a window-modal dialog with the fields `CalibrationName`,
// `CalibrationMag`, `CalibrationLen` and the unit pop-up `CalibrationUnit`. OK checks the
// values and reports them (PassValue 1); a refused value is alerted and the sheet stays open.
// Cancel closes and says so, so the view gets the current calibration back.
#pragma once

#include "measure/user_entity.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLineEdit;

namespace quelmar::viewer {

class ViewerPrompt;

class NewCalibrationController : public QDialog {
    Q_OBJECT

public:
    explicit NewCalibrationController(ViewerPrompt *prompt, QWidget *parent = nullptr);

    QLineEdit &CalibrationName() { return *name_; }
    QLineEdit &CalibrationMag() { return *magnification_; }
    QLineEdit &CalibrationLen() { return *length_; }
    QComboBox &CalibrationUnit() { return *unit_; }

    // What the alert says about the values, in the order they are checked, or nothing.
    static std::optional<QString> refusal(const QString &name, const QString &magnification,
                                          const QString &length, const QString &unit);
    void ok();

Q_SIGNALS:
    void PassValue(const quelmar::viewer::UserEntity &entity, int type);
    void cancelled();

private:
    ViewerPrompt *prompt_;
    QLineEdit *name_;
    QLineEdit *magnification_;
    QLineEdit *length_;
    QComboBox *unit_;
};

} // namespace quelmar::viewer
