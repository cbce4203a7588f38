#include "app/new_folder_controller.h"

#include "app/viewer_prompt.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace quelmar::viewer {

NewFolderController::NewFolderController(const Workspace &workspace, ViewerPrompt *prompt,
                                         QWidget *parent)
    : QDialog(parent), workspace_(workspace), prompt_(prompt), mFolderName_(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("New Album"));
    setWindowModality(Qt::WindowModal);
    mFolderName_->setObjectName(QStringLiteral("mFolderName"));
    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("Name"), mFolderName_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &NewFolderController::ok);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::optional<QString> NewFolderController::refusal(const Workspace &workspace, const QString &name)
{
    switch (workspace.checkAlbumName(name)) {
    case Workspace::AlbumCheck::Empty:
        return QStringLiteral("Please enter folder name");
    case Workspace::AlbumCheck::Exists:
        return QStringLiteral("The folder name exist");
    case Workspace::AlbumCheck::Illegal:
        return QStringLiteral("The folder name is illegal");
    case Workspace::AlbumCheck::Ok:
        break;
    }
    return std::nullopt;
}

void NewFolderController::ok()
{
    const QString name = mFolderName_->text();
    if (const std::optional<QString> why = refusal(workspace_, name)) {
        prompt_->alert(*why);
        return;
    }
    if (!workspace_.createAlbum(name)) {
        prompt_->alert(QStringLiteral("The folder cannot be created"));
        return;
    }
    UserEntity entity;
    entity.Param1 = name;
    Q_EMIT PassValue(entity, kReportNewFolder);
    accept();
}

} // namespace quelmar::viewer
