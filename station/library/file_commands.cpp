#include "library/file_commands.h"

#include "base/language.h"
#include "base/prompt.h"
#include "library/folder_files.h"
#include "library/picture_print.h"
#include "library/small_picture_wnd.h"
#include "library/video_player.h"
#include "library/workspace.h"

#include <image/bmp_codec.h>
#include <image/jpeg_codec.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace quelmar::station {

namespace {

bool hasExtension(const QString &path, const char *extension)
{
    return QFileInfo(path).suffix().compare(QLatin1StringView(extension), Qt::CaseInsensitive) == 0;
}

// Extensions compare without regard to case everywhere: a file the strip lists (".Jpg")
// opens, saves and deletes like any other.
bool isPicturePath(const QString &path)
{
    return hasExtension(path, "bmp") || hasExtension(path, "jpg");
}

QString canonicalDir(const QString &dir)
{
    const QString canonical = QFileInfo(dir).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(dir).absoluteFilePath()) : canonical;
}

// Up to the first four file names, each followed by a blank, as the save dialog's proposal.
QString firstNames(const QStringList &names)
{
    QString proposal;
    for (qsizetype i = 0; i < std::min<qsizetype>(4, names.size()); ++i)
        proposal += names[i] + u' ';
    return proposal;
}

QStringList fileNames(const QString &dir, const QStringList &patterns)
{
    return QDir(dir).entryList(patterns, QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

FileCommands::FileCommands(Context context, CSmallPictureWnd &strip, const CurrentFolder &folder)
    : c_(std::move(context)), strip_(strip), folder_(folder)
{}

QString FileCommands::text(const QString &key, const QString &fallback) const
{
    return c_.language ? c_.language->text(key, fallback) : fallback;
}

void FileCommands::warn(const QString &title, const QString &message)
{
    c_.prompt->message(title, message, PromptIcon::Warning);
}

QString FileCommands::selectedOrWarn(const QString &fallback)
{
    const QString selected = strip_.GetSelected();
    if (selected.isEmpty())
        warn(c_.messageTitle, text(QStringLiteral("SelectFile"), fallback));
    return selected;
}

bool FileCommands::isOwnDirectory(const QString &directory) const
{
    const QString dir = canonicalDir(directory);
    for (const QString &own : {folder_.pictureDir, folder_.fullSizeDir, folder_.videoDir})
        if (!own.isEmpty() && dir == canonicalDir(own))
            return true;
    return false;
}

FileCommands::Opened FileCommands::open(QString *picturePath)
{
    const QString selected = selectedOrWarn(QStringLiteral("Please select an image or video"));
    if (selected.isEmpty())
        return Opened::Nothing;
    if (isPicturePath(selected)) {
        QFile file(selected);
        if (!file.open(QIODevice::ReadOnly)) {
            warn(c_.messageTitle,
                 QStringLiteral("the picture not open,please check the file exist!"));
            return Opened::Nothing;
        }
        if (picturePath)
            *picturePath = selected;
        return Opened::Picture;
    }
    if (hasExtension(selected, "avi")) {
        const QString video = removeTmp(selected);
        QString error;
        if (!writeFolderPathFile(c_.folderPathFile, video, &error)) {
            c_.prompt->message(c_.messageTitle, error, PromptIcon::Error);
            return Opened::Nothing;
        }
        if (c_.player)
            c_.player->play(video);
        return Opened::Video;
    }
    return Opened::Nothing;
}

void FileCommands::save()
{
    const QString selected = selectedOrWarn(QStringLiteral("Please select a picture or video"));
    if (selected.isEmpty())
        return;
    const bool picture = strip_.kind() == ListKind::Pictures;
    const QString name = QFileInfo(selected).fileName();
    FileDialogRequest request;
    request.proposedPath =
        c_.proposedDir + u'/' + name.left(std::max<qsizetype>(0, name.size() - 4));
    request.defaultSuffix = picture ? QStringLiteral("bmp") : QStringLiteral("avi");
    request.filter = picture ? QStringLiteral("Bitmap Files (*.bmp);;JPEG Files (*.jpg)")
                             : QStringLiteral("AVI Files (*.avi)");
    const std::optional<QString> destination = c_.prompt->saveFile(request);
    if (!destination)
        return;
    if (isOwnDirectory(QFileInfo(*destination).path())) {
        warn(QStringLiteral("Save file"), QStringLiteral("Can't save file to temp directory!!"));
        return;
    }
    SaveSelectedAs(selected, *destination);
}

bool FileCommands::SaveSelectedAs(const QString &selected, const QString &destination)
{
    QString error;
    if (!isPicturePath(selected)) {
        if (copyFileReplacing(removeTmp(selected), destination, &error))
            return true;
        warn(c_.messageTitle, text(QStringLiteral("SaveFail"), QStringLiteral("Save fail")));
        return false;
    }
    // Any other name would hold a BMP or JPEG that its extension disowns.
    if (!isPicturePath(destination)) {
        warn(c_.messageTitle, text(QStringLiteral("SaveFail"), QStringLiteral("Save fail")));
        return false;
    }
    const QString ownSuffix = QFileInfo(selected).suffix();
    if (destination.right(3).compare(ownSuffix, Qt::CaseInsensitive) == 0) {
        if (copyFileReplacing(selected, destination, &error))
            return true;
        warn(c_.messageTitle, text(QStringLiteral("SaveFail"), QStringLiteral("Save fail")));
        return false;
    }
    bool converted = false;
    if (hasExtension(selected, "bmp")) {
        if (std::optional<Frame> frame = readBmp(selected, &error))
            converted = writeJpeg(destination, frame->view(), kDefaultJpegQuality, &error);
    } else if (std::optional<Frame> frame = readJpeg(selected, &error)) {
        converted = writeBmp(destination, frame->view(), &error);
    }
    if (!converted)
        warn(QStringLiteral("Quelmar"), QStringLiteral("Conpress fail"));
    return converted;
}

void FileCommands::saveAll()
{
    const QString selected = selectedOrWarn(QStringLiteral("Please select an image or video"));
    if (selected.isEmpty())
        return;
    ThumbnailList &list = strip_.shown();
    const int previous = list.selectedIndex();
    const QString previousPath = previous >= 0 ? list.items()[previous].path : QString();
    list.selectAll();
    strip_.Redraw();
    // Whatever ends the command gives the selection back to the item that had it, if it stayed.
    const auto restoreSelection = [&] {
        const auto &items = list.items();
        const auto it = std::find_if(items.begin(), items.end(), [&](const ThumbnailItem &item) {
            return item.path == previousPath;
        });
        list.select(it == items.end() ? -1 : int(it - items.begin()));
        strip_.Redraw();
    };

    const bool video = hasExtension(selected, "avi");
    const QString sourceDir = video ? folder_.videoDir : folder_.fullSizeDir;
    FileDialogRequest request;
    request.proposedPath = c_.proposedDir + u'/' +
                           firstNames(video ? fileNames(folder_.videoDir, {QStringLiteral("*.avi")})
                                            : fileNames(folder_.pictureDir, {}));
    request.filter =
        video ? QStringLiteral("AVI Files (*.AVI *.avi)") : QStringLiteral("IMAGE Files (*)");
    request.confirmOverwrite = false;
    const std::optional<QString> chosen = c_.prompt->saveFile(request);
    if (!chosen) {
        restoreSelection();
        return;
    }
    const QString targetDir = QFileInfo(*chosen).path();
    // Copying the folder onto itself and then deleting it all would lose every file.
    if (isOwnDirectory(targetDir)) {
        warn(QStringLiteral("Save file"), QStringLiteral("Can't save file to temp directory!!"));
        restoreSelection();
        return;
    }
    // Listed once the destination is known; only these copies may be taken out of the folder.
    const QStringList names = video ? fileNames(folder_.videoDir, {QStringLiteral("*.avi")})
                                    : fileNames(folder_.fullSizeDir, {});
    int failed = 0;
    for (const QString &name : names)
        failed += !copyFileReplacing(sourceDir + u'/' + name, targetDir + u'/' + name);
    // Offering to delete the originals is only safe once every copy exists.
    if (failed > 0) {
        warn(c_.messageTitle, text(QStringLiteral("SaveFail"), QStringLiteral("Save fail")));
        restoreSelection();
        return;
    }
    deleteCopied(QSet<QString>(names.begin(), names.end()), video);
    restoreSelection();
}

void FileCommands::deleteCopied(const QSet<QString> &copied, bool video)
{
    if (!c_.prompt->askYesNo(
            c_.messageTitle,
            text(QStringLiteral("SureDeleteAll"), QStringLiteral("Are you sure to delete all?")),
            PromptIcon::Warning))
        return;
    // Stills or recordings that arrived while the dialogs were open were not copied: they stay.
    const auto wasCopied = [&](const QString &name) {
        return copied.contains(name) && (video ? hasExtension(name, "avi") : isPicturePath(name));
    };
    const QString folder = QFileInfo(folder_.pictureDir).path();
    if (video) {
        deleteFilesIn(folder, QStringLiteral("Video"), wasCopied);
    } else {
        // A copied full-size picture takes its thumbnail along.
        deleteFilesIn(folder, QStringLiteral("Picture"), wasCopied);
        deleteFilesIn(folder, QStringLiteral("Picture/tmp"), wasCopied);
    }
    ThumbnailList &list = strip_.shown();
    for (int i = list.count() - 1; i >= 0; --i)
        if (wasCopied(QFileInfo(list.items()[i].path).fileName()))
            list.remove(i);
    strip_.Redraw();
}

void FileCommands::deleteSelected()
{
    const QString selected = selectedOrWarn(QStringLiteral("Please select an image or video"));
    if (selected.isEmpty())
        return;
    if (!c_.prompt->askYesNo(
            c_.messageTitle,
            text(QStringLiteral("SureDelete"), QStringLiteral("Are you sure to delete?")),
            PromptIcon::Warning))
        return;
    if (isPicturePath(selected))
        QFile::remove(selected);
    const QString listed = removeTmp(selected);
    const QByteArray listedName = QFile::encodeName(listed);
    if (::unlink(listedName.constData()) != 0) {
        const int error = errno;
        c_.prompt->message(QStringLiteral("Capture"), QString::fromLocal8Bit(std::strerror(error)),
                           PromptIcon::Error);
        return;
    }
    ThumbnailList &list = strip_.shown();
    list.remove(list.firstSelected());
    strip_.Redraw();
}

void FileCommands::deleteAll()
{
    const QString selected = selectedOrWarn(QStringLiteral("Please select an image or video"));
    if (selected.isEmpty())
        return;
    if (!c_.prompt->askYesNo(
            c_.messageTitle,
            text(QStringLiteral("SureDeleteAll"), QStringLiteral("Are you sure to delete all?")),
            PromptIcon::Warning))
        return;
    // Only the kinds the strip lists go: a file it never showed is never lost unseen.
    const QString folder = QFileInfo(folder_.pictureDir).path();
    if (isPicturePath(selected)) {
        deleteFilesIn(folder, QStringLiteral("Picture"), isPicturePath);
        deleteFilesIn(folder, QStringLiteral("Picture/tmp"), isPicturePath);
    } else if (hasExtension(selected, "avi")) {
        deleteFilesIn(folder, QStringLiteral("Video"),
                      [](const QString &name) { return hasExtension(name, "avi"); });
    }
    strip_.shown().clear();
    strip_.Redraw();
}

void FileCommands::print()
{
    const QString selected = strip_.GetSelected();
    if (selected.isEmpty() || !isPicturePath(selected)) {
        warn(c_.messageTitle,
             text(QStringLiteral("SelectFile"), QStringLiteral("Please select a picture")));
        return;
    }
    if (c_.print)
        c_.print->printFile(selected);
}

QString FileCommands::fileToMail()
{
    const QString selected = selectedOrWarn(QStringLiteral("Please select a picture or video"));
    if (selected.isEmpty() || isPicturePath(selected))
        return selected;
    return removeTmp(selected);
}

} // namespace quelmar::station
