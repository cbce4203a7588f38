#include "library/media_library.h"

#include "base/command_ids.h"
#include "base/language.h"
#include "base/prompt.h"
#include "library/folder_files.h"
#include "library/folder_property_dlg.h"
#include "library/mail_command.h"
#include "library/manager_folder_dlg.h"
#include "library/new_folder_dlg.h"
#include "library/picture_print.h"
#include "library/send_mail_dlg.h"
#include "library/small_picture_wnd.h"
#include "library/strip_tabs.h"

#include <QComboBox>
#include <QMenu>

namespace quelmar::station {

MediaLibrary::MediaLibrary(Context context, QWidget *canvas)
    : QObject(canvas), c_(std::move(context)), workspace_(c_.documentsDir)
{
    folderBox_ = new QComboBox(canvas);
    folderBox_->setEditable(false);
    connect(folderBox_, &QComboBox::activated, this, &MediaLibrary::onFolderChosen);

    tabs_ = new StripTabs(canvas);
    connect(tabs_, &StripTabs::kindChosen, this, &MediaLibrary::setListKind);

    strip_ = new CSmallPictureWnd(canvas);
    connect(strip_, &CSmallPictureWnd::itemActivated, this, &MediaLibrary::openSelected);
    connect(strip_, &CSmallPictureWnd::contextMenuRequested, this, &MediaLibrary::showContextMenu);

    print_ = std::make_unique<PicturePrint>(
        PicturePrint::Context{c_.prompt, c_.messageTitle, c_.printer, c_.workDir});
    mail_ = std::make_unique<MailCommand>(
        MailCommand::Context{c_.prompt, c_.language, c_.messageTitle, c_.mail, c_.workDir});

    FileCommands::Context fc;
    fc.prompt = c_.prompt;
    fc.language = c_.language;
    fc.messageTitle = c_.messageTitle;
    fc.player = c_.player;
    fc.folderPathFile = c_.folderPathFile;
    fc.proposedDir = c_.documentsDir;
    fc.print = print_.get();
    commands_ = std::make_unique<FileCommands>(fc, *strip_, workspace_.current());

    contextMenu_ = new QMenu(canvas);
    fillContextMenu();
}

MediaLibrary::~MediaLibrary() = default;

bool MediaLibrary::onCommand(int id)
{
    switch (id) {
    case cmd::NewFolder:
        newFolder();
        return true;
    case cmd::FolderManager:
        manageFolders();
        return true;
    case cmd::FolderProperties:
        showFolderProperty();
        return true;
    case cmd::Open:
        openSelected();
        return true;
    case cmd::SaveAs:
        commands_->save();
        return true;
    case cmd::SaveAll:
        commands_->saveAll();
        return true;
    case cmd::Delete:
        commands_->deleteSelected();
        return true;
    case cmd::DeleteAll:
        commands_->deleteAll();
        return true;
    case cmd::Print:
        commands_->print();
        return true;
    case cmd::EMail:
        email();
        return true;
    default:
        return false;
    }
}

void MediaLibrary::LoadFolders(bool createDefault)
{
    if (createDefault)
        workspace_.createDefault();
    fillFolderBox();
    if (folderBox_->count() == 0) {
        workspace_.forgetFolderPath();
    } else {
        folderBox_->setCurrentIndex(0);
        workspace_.setCurrentFolder(folderBox_->itemText(0));
    }
    ReloadThumbnails();
}

void MediaLibrary::ReloadThumbnails()
{
    ++reloadCount_;
    strip_->ClearLists();
    strip_->ScanFolder(current().pictureDir, current().videoDir);
    strip_->Redraw();
}

void MediaLibrary::ensureFolder()
{
    if (current().folderPath.isEmpty())
        LoadFolders(true);
    else
        workspace_.createFolder(workspace_.currentName());
}

void MediaLibrary::AddStill(const QString &thumbnailPath)
{
    strip_->AddStill(thumbnailPath);
}

void MediaLibrary::AddRecording(const QString &videoPath)
{
    strip_->AddRecording(videoPath);
}

void MediaLibrary::setListKind(ListKind kind)
{
    tabs_->setKind(kind);
    strip_->setKind(kind);
}

void MediaLibrary::fillFolderBox()
{
    const QSignalBlocker block(folderBox_);
    folderBox_->clear();
    folderBox_->addItems(workspace_.folderNames());
}

void MediaLibrary::selectFolderEntry(const QString &name)
{
    // "Apple" and "apple" are two folders here: the exact name wins over a match in case.
    int index = folderBox_->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        index = folderBox_->findText(name, Qt::MatchFixedString);
    if (index >= 0) {
        const QSignalBlocker block(folderBox_);
        folderBox_->setCurrentIndex(index);
    }
}

void MediaLibrary::onFolderChosen(int index)
{
    if (index < 0)
        return;
    const QString name = folderBox_->itemText(index);
    if (workspace_.folderPath(name) == current().folderPath)
        return;
    workspace_.setCurrentFolder(name);
    ReloadThumbnails();
}

void MediaLibrary::newFolder()
{
    const QString location = current().pictureDir.left(current().pictureDir.lastIndexOf(u'/'));
    CNewFolderDlg dialog(
        *c_.language, location,
        [this](const QString &name, const QString &note) {
            if (name.isEmpty())
                return true;
            if (const FolderNameProblem problem = folderNameProblem(name)) {
                c_.prompt->message(c_.messageTitle,
                                   c_.language->text(QLatin1StringView(problem.key),
                                                     QLatin1StringView(problem.fallback)),
                                   PromptIcon::Warning);
                return false;
            }
            workspace_.createFolder(name);
            QString error;
            if (!writeFolderNote(workspace_.folderPath(name), note, &error)) {
                c_.prompt->message(c_.messageTitle, error, PromptIcon::Error);
                return false;
            }
            workspace_.setCurrentFolder(name);
            return true;
        },
        folderBox_->window());
    if (c_.prompt->runDialog(dialog) != QDialog::Accepted)
        return;
    fillFolderBox();
    selectFolderEntry(workspace_.currentName());
    ReloadThumbnails();
}

void MediaLibrary::manageFolders()
{
    CManagerFolderDlg dialog(
        *c_.language, readFolderInfos(workspace_.root()),
        [this](const QString &name, bool &declined) -> std::optional<CFolderInfo> {
            declined =
                !c_.prompt->askYesNo(c_.messageTitle,
                                     c_.language->text(QStringLiteral("SureDeleteAll"),
                                                       QStringLiteral("Are you sure to delete?")),
                                     PromptIcon::Warning);
            if (declined)
                return std::nullopt;
            const bool gone = deleteFolder(workspace_.root(), name);
            QMetaObject::invokeMethod(
                this, [this] { LoadFolders(false); }, Qt::QueuedConnection);
            if (gone)
                return std::nullopt;
            return CFolderInfo::read(workspace_.root(), name);
        },
        folderBox_->window());
    if (c_.prompt->runDialog(dialog) != QDialog::Accepted)
        return;
    const QString chosen = dialog.selectedName();
    if (!chosen.isEmpty())
        workspace_.setCurrentFolder(chosen);
    selectFolderEntry(chosen);
    ReloadThumbnails();
}

void MediaLibrary::showFolderProperty()
{
    const QString folderPath = current().folderPath;
    if (folderPath.isEmpty())
        return;
    CFolderPropertyDlg dialog(
        *c_.language, FolderProperty::read(folderPath, strip_->kind()),
        [this, folderPath](const QString &note) {
            QString error;
            if (writeFolderNote(folderPath, note, &error))
                return true;
            c_.prompt->message(c_.messageTitle, error, PromptIcon::Error);
            return false;
        },
        folderBox_->window());
    c_.prompt->runDialog(dialog);
}

void MediaLibrary::openSelected()
{
    QString picture;
    if (commands_->open(&picture) == FileCommands::Opened::Picture)
        Q_EMIT openPictureRequested(picture);
}

void MediaLibrary::email()
{
    const QString file = commands_->fileToMail();
    if (file.isEmpty())
        return;
    CSendMailDlg dialog(*mail_, file, *c_.language, folderBox_->window());
    c_.prompt->runDialog(dialog);
}

bool MediaLibrary::printFile(const QString &path)
{
    return print_->printFile(path);
}

void MediaLibrary::fillContextMenu()
{
    contextMenu_->clear();
    const auto entry = [this](const char *key, const char *fallback, int id) {
        const QString text =
            c_.language->text(QString::fromLatin1(key), QString::fromLatin1(fallback));
        contextMenu_->addAction(text, this, [this, id] { onCommand(id); });
    };
    entry("Open", "Open...", cmd::Open);
    entry("TipSave", "save", cmd::SaveAs);
    entry("SaveAll", "Save All", cmd::SaveAll);
    entry("Delete", "Delete...", cmd::Delete);
    entry("DeleteAll", "Delete All", cmd::DeleteAll);
    contextMenu_->addSeparator();
    entry("Print", "Print", cmd::Print);
    entry("EMail", "E-Mail", cmd::EMail);
}

void MediaLibrary::showContextMenu(QPoint globalPos)
{
    // Filled at every opening, so a language chosen meanwhile shows at once.
    fillContextMenu();
    contextMenu_->popup(globalPos);
}

} // namespace quelmar::station
