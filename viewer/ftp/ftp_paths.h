// Keeps every path an FTP client names inside the served directory: names are normalised
// lexically, then opened relative to a descriptor of the base directory so that neither ".."
// nor a symbolic link leads outside it, and nothing can swap a path between check and use.
#pragma once

#include "dir_stream.h"
#include "unique_fd.h"

#include <QByteArray>
#include <QString>

#include <dirent.h>
#include <memory>
#include <optional>

namespace quelmar::viewer {

// The served directory. Paths below it are "relative paths": components joined by "/" with
// no ".", ".." or empty part; the empty path is the base directory itself.
class FtpRoot {
public:
    // Opens `dir` (resolved to its canonical path); isValid() is false when that fails.
    explicit FtpRoot(const QString &dir);

    bool isValid() const { return static_cast<bool>(fd_); }
    // Canonical absolute path of the base directory.
    const QString &path() const { return path_; }

    // The relative path a client's `name` leads to from `currentDir`, or nullopt when it
    // would leave the base. A name starting with "/" starts at the base with `changeRoot`,
    // and is a path of the machine (which must lie under the base) without it.
    std::optional<QString> resolve(const QString &currentDir, const QString &name,
                                   bool changeRoot) const;

    // Opens an existing relative path, following symbolic links only while they stay below
    // the base; an invalid descriptor (errno set, EXDEV for a way out) otherwise. Never
    // creates: creation goes through openParent() so that a link cannot redirect it.
    UniqueFd open(const QString &relative, int flags) const;

    // The directory holding the last component, opened below the base, and that component.
    struct Parent {
        UniqueFd dir;
        QByteArray name;
    };
    std::optional<Parent> openParent(const QString &relative) const;

    // Where an open descriptor really is, as a relative path; nullopt when outside the base.
    std::optional<QString> relativeOf(int fd) const;

    // The path the client sees for a relative directory: rooted at "/" and ending in "/" with
    // `changeRoot`, the machine's path without it.
    QString visiblePath(const QString &relative, bool changeRoot) const;

private:
    QString path_;
    UniqueFd fd_;
    // openat2() confines lookups in the kernel; where it is missing (ENOSYS) or filtered out
    // (EPERM under seccomp), every open is checked afterwards instead.
    bool kernelConfines_ = false;
};

// Directories nested deeper than this below the one removed are refused; each level being
// removed holds one descriptor.
inline constexpr int kMaxRemoveDepth = 64;

// Removes `name` inside `dirFd`, a directory with everything in it; symbolic links are
// removed, never followed. A tree deeper than kMaxRemoveDepth is left whole (errno ELOOP).
// False with errno when something could not be removed.
bool removeTree(int dirFd, const QByteArray &name);

// Renames without replacing anything already at the target; false with errno (EEXIST when
// the target exists).
bool renameNoReplace(int fromDir, const QByteArray &from, int toDir, const QByteArray &to);

} // namespace quelmar::viewer
