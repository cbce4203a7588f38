#include "calibration_sheet.h"

#include "viewer_prompt.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QRegularExpression>

namespace quelmar::viewer {

namespace {

// The whole text is a whole number or a decimal fraction (a point, never a comma).
bool isPureNumber(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    return number.match(text).hasMatch();
}

} // namespace

QString calibrationSheetError(const QString &name, const QString &magnification,
                              const QString &length, const QString &unit)
{
    if (!isPureNumber(magnification))
        return QStringLiteral("Magnification is illegal");
    if (!isPureNumber(length))
        return QStringLiteral("Actual Length is illegal");
    if (name.isEmpty() || magnification.isEmpty() || length.isEmpty() || unit.isEmpty())
        return QStringLiteral(" can't empty");
    return {};
}

CalibrationSheet::CalibrationSheet(ViewerPrompt &prompt, QWidget *parent)
    : QDialog(parent), prompt_(prompt)
{
    setWindowTitle(QStringLiteral("New calibration"));
    setWindowModality(Qt::WindowModal);
    auto *form = new QFormLayout(this);
    CalibrationName_ = new QLineEdit(this);
    CalibrationMag_ = new QLineEdit(this);
    CalibrationLen_ = new QLineEdit(this);
    CalibrationUnit_ = new QComboBox(this);
    CalibrationName_->setObjectName(QStringLiteral("CalibrationName"));
    CalibrationMag_->setObjectName(QStringLiteral("CalibrationMag"));
    CalibrationLen_->setObjectName(QStringLiteral("CalibrationLen"));
    CalibrationUnit_->setObjectName(QStringLiteral("CalibrationUnit"));
    CalibrationUnit_->addItems(
        {QStringLiteral("mm"), QStringLiteral("um"), QStringLiteral("cm"), QStringLiteral("inch")});
    form->addRow(QStringLiteral("Name"), CalibrationName_);
    form->addRow(QStringLiteral("Magnification"), CalibrationMag_);
    form->addRow(QStringLiteral("Actual length"), CalibrationLen_);
    form->addRow(QStringLiteral("Unit"), CalibrationUnit_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CalibrationSheet::ok);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CalibrationSheet::ok()
{
    const QString error =
        calibrationSheetError(CalibrationName_->text(), CalibrationMag_->text(),
                              CalibrationLen_->text(), CalibrationUnit_->currentText());
    if (!error.isEmpty()) {
        prompt_.alert(error);
        return;
    }
    UserEntity value;
    value.Param1 = CalibrationName_->text();
    value.Param2 = CalibrationMag_->text();
    value.Param3 = CalibrationLen_->text();
    value.Param4 = CalibrationUnit_->currentText();
    // Before closing: a sheet deleted on close cannot signal afterwards.
    Q_EMIT PassValue(value, kReportCalibrationSheet);
    accept();
}

} // namespace quelmar::viewer
