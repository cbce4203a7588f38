// The station's workspace: the "Quelmar files2" tree under the documents directory, one
// directory per user-named folder, and the current folder whose directories stills,
// recordings and the thumbnail strip use.
#pragma once

#include <QDateTime>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>

namespace quelmar::station {

// The four paths of the current folder, always set together.
struct CurrentFolder {
    QString folderPath;  // empty while no folder exists
    QString pictureDir;  // thumbnails
    QString fullSizeDir; // full-size stills
    QString videoDir;
};

class Workspace {
public:
    static constexpr int kMaxFolderNameLength = 127;

    explicit Workspace(QString documentsDir);

    QString root() const { return root_; }
    QString folderPath(const QString &name) const { return root_ + u'/' + name; }

    // Creates the root and "Default" with its three directories (existing ones are kept) and
    // points the three directories of the current folder at Default's.
    void createDefault();
    // Creates a folder with its three directories; an existing one is kept as it is.
    void createFolder(const QString &name) const;
    // The names of the folders, in the folder box's order.
    QStringList folderNames() const;

    void setCurrentFolder(const QString &name);
    // No folder left: the folder path goes empty, the directories keep their values.
    void forgetFolderPath() { current_.folderPath.clear(); }
    const CurrentFolder &current() const { return current_; }
    QString currentName() const;

private:
    QString root_;
    CurrentFolder current_;
};

// Folder names sort as the folder box shows them: without regard to case.
bool folderNameLess(const QString &a, const QString &b);
// The folders under a workspace root, in that order: its directories whose names do not start
// with ".", links to directories included.
QStringList folderNamesIn(const QString &root);
// The four paths of the folder at `folderPath`.
CurrentFolder folderDirectories(const QString &folderPath);

// Why `name` cannot name a folder: the language key of the message and its English default;
// false when it can. An empty name is not judged here: the New Folder dialog then creates
// nothing.
struct FolderNameProblem {
    const char *key = nullptr;
    const char *fallback = nullptr;
    explicit operator bool() const { return key != nullptr; }
};
FolderNameProblem folderNameProblem(const QString &name);

// The files of `dir` whose names end, in their last three characters and ignoring case, in
// one of `endings`, with the sum of their sizes and the creation time of the last one in
// enumeration order. Directories and unreadable entries are not counted.
struct FileTally {
    int count = 0;
    qint64 bytes = 0;
    QDateTime lastCreated;
};
FileTally tallyFiles(const QString &dir, std::initializer_list<const char *> endings);

// When a file or directory came into being; the modification time where the file system
// keeps no creation time.
QDateTime creationTime(const QFileInfo &info);

// Deletes a folder as the Folder Manager does: the files of Picture/tmp, Picture and Video,
// then note.txt, then those three directories and the folder, each removal ignoring its
// failure. Symbolic links are removed as links, never followed, so nothing outside the
// folder is touched; a folder that still holds other entries stays. True when it is gone.
bool deleteFolder(const QString &root, const QString &name);

// Unlinks the entries of `relativeDir` under the folder that are not directories (files, and
// links as links) and that `wanted` accepts (all when empty); failures are ignored. No link
// on the way below the workspace root is followed, so nothing outside a folder is touched.
void deleteFilesIn(const QString &folderPath, const QString &relativeDir,
                   const std::function<bool(const QString &)> &wanted = {});

// The full-size path of a thumbnail: "tmp/" inserted after the last "/". The working path
// of a video item is made the same way and stripped again before use.
QString insertTmp(const QString &path);
// The path with its "tmp/" element, just before the file name, removed.
QString removeTmp(const QString &path);

} // namespace quelmar::station
