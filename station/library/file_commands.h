// The file commands of the thumbnail strip: open, save, save all, delete and delete all, on
// the selected item of the shown list and the current folder's directories.
#pragma once

#include "atomic_file.h"

#include "library/thumbnail_lists.h"

#include <QSet>
#include <QString>

namespace quelmar::station {

class CSmallPictureWnd;
class Language;
class PicturePrint;
class Prompt;
class VideoPlayer;
struct CurrentFolder;

class FileCommands {
public:
    struct Context {
        Prompt *prompt = nullptr;
        const Language *language = nullptr;
        QString messageTitle;
        VideoPlayer *player = nullptr; // may be null: videos are not played
        QString folderPathFile;        // the player's hand-over file
        QString proposedDir;           // where save dialogs start
        PicturePrint *print = nullptr; // may be null: nothing is printed
    };

    enum class Opened { Nothing, Picture, Video };

    FileCommands(Context context, CSmallPictureWnd &strip, const CurrentFolder &folder);

    // A picture that can be read is handed back for the photo window; a video goes to the
    // player through the hand-over file.
    Opened open(QString *picturePath = nullptr);
    void save();
    void saveAll();
    void deleteSelected();
    void deleteAll();
    // Prints the selected picture; a video is no picture to print.
    void print();
    // The file to mail for the selection (a picture's full-size file or the video itself), or
    // empty after the "SelectFile" message.
    QString fileToMail();

    // Copies the selected item to `destination`, converting a picture between BMP and JPEG by
    // the destination's extension; false after telling the user why.
    bool SaveSelectedAs(const QString &selected, const QString &destination);

private:
    // The working path of the selection, or empty after the "SelectFile" message.
    QString selectedOrWarn(const QString &fallback);
    bool isOwnDirectory(const QString &directory) const;
    // After Save All: asks, then deletes exactly the files that were copied, with the
    // thumbnails of copied pictures.
    void deleteCopied(const QSet<QString> &copied, bool video);
    void warn(const QString &title, const QString &text);
    QString text(const QString &key, const QString &fallback) const;

    Context c_;
    CSmallPictureWnd &strip_;
    const CurrentFolder &folder_;
};

// Copies a file over another atomically (common/atomic_file.h).
using quelmar::copyFileReplacing;

} // namespace quelmar::station
