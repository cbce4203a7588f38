// Directories opened relative to a parent descriptor without following a symbolic link, so
// walks that delete or serve files never leave the directory they started in.
#pragma once

#include "unique_fd.h"

#include <dirent.h>
#include <fcntl.h>
#include <memory>

namespace quelmar {

// The directory `name` inside `parentFd`; a link is followed only when asked (a root the user
// may have moved elsewhere). Invalid with errno on failure.
inline UniqueFd openDirectoryFd(int parentFd, const char *name, bool followLink = false)
{
    return UniqueFd(::openat(parentFd, name,
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW)));
}

// Closes a directory stream, with the descriptor under it.
struct DirCloser {
    void operator()(DIR *dir) const { ::closedir(dir); }
};
using DirPtr = std::unique_ptr<DIR, DirCloser>;

// Reads the directory `name` inside `dirFd` through a descriptor of its own, so the caller's
// stays untouched; a symbolic link is not followed. Null with errno on failure.
inline DirPtr openDirectory(int dirFd, const char *name)
{
    UniqueFd fd = openDirectoryFd(dirFd, name);
    if (!fd)
        return nullptr;
    DirPtr dir(::fdopendir(fd.get()));
    if (dir)
        fd.release(); // the stream owns it now
    return dir;
}

} // namespace quelmar
