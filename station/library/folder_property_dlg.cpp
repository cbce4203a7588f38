#include "library/folder_property_dlg.h"

#include "base/language.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace quelmar::station {

namespace {

QLineEdit *readOnlyField(const QString &text, QWidget *parent)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setReadOnly(true);
    return edit;
}

} // namespace

CFolderPropertyDlg::CFolderPropertyDlg(const Language &language, const FolderProperty &property,
                                       OnSave onSave, QWidget *parent)
    : QDialog(parent), onSave_(std::move(onSave))
{
    setWindowTitle(QStringLiteral("Folder Property"));
    // Translucent where the window system composites; opaque elsewhere.
    setWindowOpacity(200.0 / 255.0);
    note_ = new QPlainTextEdit(property.note, this);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *save = buttons->addButton(
        language.text(QStringLiteral("Ok"), QStringLiteral("OK")), QDialogButtonBox::AcceptRole);
    QPushButton *cancel =
        buttons->addButton(language.text(QStringLiteral("Cancel"), QStringLiteral("Cancel")),
                           QDialogButtonBox::RejectRole);
    save->setAutoDefault(false);
    cancel->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CFolderPropertyDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CFolderPropertyDlg::reject);

    auto label = [&](const char *key) {
        return language.text(QString::fromLatin1(key), QString::fromLatin1(key));
    };
    auto *form = new QFormLayout(this);
    form->addRow(label("Name"), readOnlyField(property.name, this));
    form->addRow(label("Location"), readOnlyField(property.location, this));
    form->addRow(label("FileSize"), readOnlyField(property.size, this));
    form->addRow(label("Contains"), readOnlyField(property.contains, this));
    form->addRow(label("Created"), readOnlyField(property.created, this));
    form->addRow(label("Note"), note_);
    form->addRow(buttons);
    resize(420, 320);
}

void CFolderPropertyDlg::accept()
{
    if (!onSave_ || onSave_(note_->toPlainText()))
        QDialog::accept();
}

} // namespace quelmar::station
