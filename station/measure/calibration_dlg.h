// CCabrationDlg: asks for the actual length of the calibration line, typed in millimetres,
// and keeps asking until it is a positive number.
#pragma once

#include <QDialog>

#include <optional>

class QLineEdit;

namespace quelmar::station {

class Language;
class Prompt;

class CCabrationDlg : public QDialog {
    Q_OBJECT
public:
    CCabrationDlg(const Language &language, Prompt &prompt, QString messageTitle, QString unit,
                  QWidget *parent = nullptr);

    QLineEdit *distanceEdit() const { return distance_; }
    // The actual distance in the current unit, once the dialog was accepted.
    std::optional<double> actualDistance() const { return actual_; }

    void accept() override;

private:
    const Language &language_;
    Prompt &prompt_;
    QString messageTitle_;
    QString unit_;
    QLineEdit *distance_ = nullptr;
    std::optional<double> actual_;
};

} // namespace quelmar::station
