#include "library/new_folder_dlg.h"

#include "base/language.h"
#include "library/workspace.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace quelmar::station {

CNewFolderDlg::CNewFolderDlg(const Language &language, const QString &location, OnOk onOk,
                             QWidget *parent)
    : QDialog(parent), onOk_(std::move(onOk))
{
    setWindowTitle(QStringLiteral("New Folder"));
    name_ = new QLineEdit(this);
    name_->setMaxLength(Workspace::kMaxFolderNameLength);
    auto *locationEdit = new QLineEdit(location, this);
    locationEdit->setReadOnly(true);
    note_ = new QPlainTextEdit(this);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(language.text(QStringLiteral("Ok"), QStringLiteral("OK")),
                       QDialogButtonBox::AcceptRole);
    buttons->addButton(language.text(QStringLiteral("Cancel"), QStringLiteral("Cancel")),
                       QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CNewFolderDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CNewFolderDlg::reject);

    auto *form = new QFormLayout(this);
    form->addRow(language.text(QStringLiteral("Name"), QStringLiteral("Name")), name_);
    form->addRow(language.text(QStringLiteral("Location"), QStringLiteral("Location")),
                 locationEdit);
    form->addRow(language.text(QStringLiteral("Note"), QStringLiteral("Note")), note_);
    form->addRow(buttons);
    resize(420, 260);
}

void CNewFolderDlg::accept()
{
    if (!onOk_ || onOk_(name_->text(), note_->toPlainText()))
        QDialog::accept();
}

} // namespace quelmar::station
