#include "measure/calibration_dlg.h"

#include "base/language.h"
#include "base/prompt.h"
#include "measure/calibration.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace quelmar::station {

CCabrationDlg::CCabrationDlg(const Language &language, Prompt &prompt, QString messageTitle,
                             QString unit, QWidget *parent)
    : QDialog(parent), language_(language), prompt_(prompt), messageTitle_(std::move(messageTitle)),
      unit_(std::move(unit))
{
    setWindowTitle(language.text(QStringLiteral("Calibration"), QStringLiteral("Calibration")));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(language.text(QStringLiteral("EnterActualDistance"),
                                               QStringLiteral("Please enter actual distance[mm]")),
                                 this));
    distance_ = new QLineEdit(this);
    layout->addWidget(distance_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCabrationDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCabrationDlg::reject);
    layout->addWidget(buttons);
}

void CCabrationDlg::accept()
{
    actual_ = actualDistanceInUnit(distance_->text(), unit_);
    if (!actual_) {
        prompt_.message(
            messageTitle_,
            language_.text(QStringLiteral("EnterDigital"), QStringLiteral("Please enter digital!")),
            PromptIcon::Warning);
        return;
    }
    QDialog::accept();
}

} // namespace quelmar::station
