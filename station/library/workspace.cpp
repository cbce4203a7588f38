#include "library/workspace.h"

#include <dir_stream.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <functional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quelmar::station {

namespace {

const QString kRootName = QStringLiteral("Quelmar files2");
const QString kDefaultName = QStringLiteral("Default");

// Unlinks every entry of the directory that is not itself a directory (files and links),
// or only those whose names `wanted` accepts.
void unlinkFiles(int dirFd, const std::function<bool(const QString &)> &wanted = {})
{
    const DirPtr dir = openDirectory(dirFd, ".");
    if (!dir)
        return;
    std::vector<std::string> names;
    while (const dirent *entry = ::readdir(dir.get())) {
        if (wanted && !wanted(QFile::decodeName(entry->d_name)))
            continue;
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode))
            names.emplace_back(entry->d_name);
    }
    for (const std::string &name : names)
        ::unlinkat(dirFd, name.c_str(), 0);
}

} // namespace

Workspace::Workspace(QString documentsDir) : root_(std::move(documentsDir) + u'/' + kRootName) {}

CurrentFolder folderDirectories(const QString &folderPath)
{
    return {folderPath, folderPath + QStringLiteral("/Picture"),
            folderPath + QStringLiteral("/Picture/tmp"), folderPath + QStringLiteral("/Video")};
}

void Workspace::createDefault()
{
    QDir().mkdir(root_);
    createFolder(kDefaultName);
    const QString keep = current_.folderPath;
    current_ = folderDirectories(folderPath(kDefaultName));
    current_.folderPath = keep;
}

void Workspace::createFolder(const QString &name) const
{
    const CurrentFolder dirs = folderDirectories(folderPath(name));
    QDir dir;
    dir.mkdir(dirs.folderPath);
    dir.mkdir(dirs.videoDir);
    dir.mkdir(dirs.pictureDir);
    dir.mkdir(dirs.fullSizeDir);
}

QStringList folderNamesIn(const QString &root)
{
    QStringList names = QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    // Hidden directories (a desktop's ".thumbnails", a sync tool's ".stfolder") are not folders.
    names.removeIf([](const QString &name) { return name.startsWith(u'.'); });
    std::sort(names.begin(), names.end(), folderNameLess);
    return names;
}

QStringList Workspace::folderNames() const
{
    return folderNamesIn(root_);
}

void Workspace::setCurrentFolder(const QString &name)
{
    current_ = folderDirectories(folderPath(name));
}

QString Workspace::currentName() const
{
    return current_.folderPath.isEmpty() ? QString() : QFileInfo(current_.folderPath).fileName();
}

bool folderNameLess(const QString &a, const QString &b)
{
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

FolderNameProblem folderNameProblem(const QString &name)
{
    if (name.isEmpty())
        return {};
    // Such a directory would be hidden, and the folder box would never list it.
    if (name.startsWith(u'.'))
        return {"FolderNameDot", "A folder name cannot start with \".\"."};
    if (name.contains(u'/'))
        return {"FolderNameSlash", "A folder name cannot contain \"/\"."};
    if (std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20; }))
        return {"FolderNameControl", "A folder name cannot contain control characters."};
    // The file system counts bytes: 255 of them in UTF-8 at most.
    if (name.toUcs4().size() > Workspace::kMaxFolderNameLength ||
        QFile::encodeName(name).size() > 255)
        return {"FolderNameLong", "The folder name is too long."};
    return {};
}

QDateTime creationTime(const QFileInfo &info)
{
    const QDateTime born = info.birthTime();
    return born.isValid() ? born : info.lastModified();
}

FileTally tallyFiles(const QString &dir, std::initializer_list<const char *> endings)
{
    FileTally tally;
    QDirIterator it(dir, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        const QStringView last3 = QStringView(name).right(3);
        const bool wanted =
            name.size() >= 3 &&
            std::any_of(endings.begin(), endings.end(), [&](const char *ending) {
                return last3.compare(QLatin1StringView(ending), Qt::CaseInsensitive) == 0;
            });
        if (!wanted)
            continue;
        const QFileInfo info = it.fileInfo();
        if (!info.exists())
            continue;
        ++tally.count;
        tally.bytes += info.size();
        tally.lastCreated = creationTime(info);
    }
    return tally;
}

bool deleteFolder(const QString &root, const QString &name)
{
    if (name.isEmpty() || name == u'.' || name == QStringLiteral("..") || name.contains(u'/'))
        return false;
    // The root may be a link (a workspace moved to another disk); below it nothing is followed.
    const UniqueFd rootFd = openDirectoryFd(AT_FDCWD, QFile::encodeName(root).constData(), true);
    if (!rootFd)
        return false;
    const QByteArray folderName = QFile::encodeName(name);
    {
        const UniqueFd folder = openDirectoryFd(rootFd.get(), folderName.constData());
        if (folder) {
            const UniqueFd picture = openDirectoryFd(folder.get(), "Picture");
            if (picture) {
                if (const UniqueFd tmp = openDirectoryFd(picture.get(), "tmp"); tmp)
                    unlinkFiles(tmp.get());
                unlinkFiles(picture.get());
            }
            if (const UniqueFd video = openDirectoryFd(folder.get(), "Video"); video)
                unlinkFiles(video.get());
            struct stat st {};
            if (::fstatat(folder.get(), "note.txt", &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                !S_ISDIR(st.st_mode))
                ::unlinkat(folder.get(), "note.txt", 0);
            if (picture)
                ::unlinkat(picture.get(), "tmp", AT_REMOVEDIR);
            ::unlinkat(folder.get(), "Picture", AT_REMOVEDIR);
            ::unlinkat(folder.get(), "Video", AT_REMOVEDIR);
        }
    }
    struct stat st {};
    if (::fstatat(rootFd.get(), folderName.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return true;
    // A folder that is a link to a directory elsewhere goes as a link; its target stays.
    const int flags = S_ISLNK(st.st_mode) ? 0 : AT_REMOVEDIR;
    return ::unlinkat(rootFd.get(), folderName.constData(), flags) == 0;
}

void deleteFilesIn(const QString &folderPath, const QString &relativeDir,
                   const std::function<bool(const QString &)> &wanted)
{
    // The workspace root may be a link; nothing below it is followed.
    const QFileInfo folder(folderPath);
    UniqueFd dir = openDirectoryFd(AT_FDCWD, QFile::encodeName(folder.path()).constData(), true);
    const QStringList parts =
        (folder.fileName() + u'/' + relativeDir).split(u'/', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (!dir)
            return;
        dir = openDirectoryFd(dir.get(), QFile::encodeName(part).constData());
    }
    if (dir)
        unlinkFiles(dir.get(), wanted);
}

QString insertTmp(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return path.left(slash + 1) + QStringLiteral("tmp/") + path.mid(slash + 1);
}

QString removeTmp(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash >= 4 && QStringView(path).mid(slash - 4, 5) == QStringLiteral("/tmp/"))
        return path.left(slash - 3) + path.mid(slash + 1);
    return path;
}

} // namespace quelmar::station
