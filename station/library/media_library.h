// The station's media library: the workspace and its current folder, the folder box, the
// thumbnail strip with its tabs, the folder dialogs and the file commands. The main window
// routes the folder and file commands here.
#pragma once

#include "library/file_commands.h"
#include "library/workspace.h"

#include <QObject>

#include <memory>

class QComboBox;
class QMenu;

namespace quelmar::station {

class CSmallPictureWnd;
class Language;
class MailCommand;
class MailHandOver;
class PicturePrint;
class Printer;
class Prompt;
class StripTabs;
class VideoPlayer;

class MediaLibrary : public QObject {
    Q_OBJECT
public:
    struct Context {
        Prompt *prompt = nullptr;
        const Language *language = nullptr;
        QString messageTitle;
        VideoPlayer *player = nullptr; // may be null
        QString documentsDir;
        QString folderPathFile;
        MailHandOver *mail = nullptr; // may be null: no mail system
        Printer *printer = nullptr;   // may be null: no printer
        QString workDir;              // private directory for mail copies and "print.bmp"
    };

    // The folder box, the tabs and the strip are made as children of `canvas`.
    MediaLibrary(Context context, QWidget *canvas);
    ~MediaLibrary() override;

    QComboBox *folderBox() const { return folderBox_; }
    StripTabs *tabs() const { return tabs_; }
    CSmallPictureWnd *strip() const { return strip_; }
    const Workspace &workspace() const { return workspace_; }
    const CurrentFolder &current() const { return workspace_.current(); }
    int reloadCount() const { return reloadCount_; }

    // Handles the folder and file commands; false for any other identifier.
    bool onCommand(int id);

    void LoadFolders(bool createDefault);
    void ReloadThumbnails();
    // Stills and recordings need a folder with its three directories: after the last folder
    // was deleted Default comes back, and a directory that went missing is made again.
    void ensureFolder();
    void AddStill(const QString &thumbnailPath);
    void AddRecording(const QString &videoPath);
    void setListKind(ListKind kind);

    void newFolder();
    void manageFolders();
    void showFolderProperty();
    // Mails the selected file through the mail window.
    void email();
    // Prints a picture file on one page; the photo window prints its file through this.
    bool printFile(const QString &path);
    // The strip's context menu as it was last opened.
    QMenu *contextMenu() const { return contextMenu_; }

Q_SIGNALS:
    // A picture of the strip is to be shown in the photo window.
    void openPictureRequested(const QString &path);

private:
    void fillFolderBox();
    void selectFolderEntry(const QString &name);
    void onFolderChosen(int index);
    void openSelected();
    void showContextMenu(QPoint globalPos);
    void fillContextMenu();

    Context c_;
    Workspace workspace_;
    QComboBox *folderBox_ = nullptr;
    StripTabs *tabs_ = nullptr;
    CSmallPictureWnd *strip_ = nullptr;
    QMenu *contextMenu_ = nullptr;
    std::unique_ptr<PicturePrint> print_;
    std::unique_ptr<MailCommand> mail_;
    std::unique_ptr<FileCommands> commands_;
    int reloadCount_ = 0;
};

} // namespace quelmar::station
