#include "app/new_calibration_controller.h"

#include "app/calibration_store.h"
#include "app/viewer_prompt.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace quelmar::viewer {

namespace {

// A magnification is stored with three decimals; one that would be stored as 0 is no
// magnification.
bool storableMagnification(const QString &text)
{
    const std::optional<float> value = positiveNumber(text);
    return value && positiveNumber(QString::asprintf("%.3f", double(*value)));
}

} // namespace

NewCalibrationController::NewCalibrationController(ViewerPrompt *prompt, QWidget *parent)
    : QDialog(parent), prompt_(prompt), name_(new QLineEdit(this)),
      magnification_(new QLineEdit(this)), length_(new QLineEdit(this)), unit_(new QComboBox(this))
{
    setWindowTitle(QStringLiteral("New Calibration"));
    setWindowModality(Qt::WindowModal);
    name_->setObjectName(QStringLiteral("CalibrationName"));
    magnification_->setObjectName(QStringLiteral("CalibrationMag"));
    length_->setObjectName(QStringLiteral("CalibrationLen"));
    unit_->setObjectName(QStringLiteral("CalibrationUnit"));
    unit_->addItems({QStringLiteral("mm"), QStringLiteral("um"), QStringLiteral("cm"),
                     QStringLiteral("inch"), QStringLiteral("mil")});
    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("Name"), name_);
    form->addRow(QStringLiteral("Magnification"), magnification_);
    form->addRow(QStringLiteral("Actual Length"), length_);
    form->addRow(QStringLiteral("Unit"), unit_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &NewCalibrationController::ok);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(this, &QDialog::rejected, this, &NewCalibrationController::cancelled);
}

std::optional<QString> NewCalibrationController::refusal(const QString &name,
                                                         const QString &magnification,
                                                         const QString &length, const QString &unit)
{
    if (!storableMagnification(magnification))
        return QStringLiteral("Magnification is illegal");
    if (!positiveNumber(length))
        return QStringLiteral("Actual Length is illegal");
    if (name.trimmed().isEmpty() || magnification.isEmpty() || length.isEmpty() || unit.isEmpty())
        return QStringLiteral(" can't empty");
    return std::nullopt;
}

void NewCalibrationController::ok()
{
    const QString unit = unit_->currentText();
    if (const auto why = refusal(name_->text(), magnification_->text(), length_->text(), unit)) {
        prompt_->alert(*why);
        return;
    }
    UserEntity entity;
    entity.Param1 = name_->text();
    entity.Param2 = magnification_->text().trimmed();
    entity.Param3 = length_->text().trimmed();
    entity.Param4 = unit;
    Q_EMIT PassValue(entity, kReportCalibrationSheet);
    accept();
}

} // namespace quelmar::viewer
