#include "ftp/ftp_paths.h"

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <memory>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quelmar::viewer {

namespace {

// Splits a path into components, applying "." and ".." as written; nullopt when ".." climbs
// above the start.
std::optional<QStringList> normalise(const QString &path)
{
    QStringList out;
    for (const QString &part : path.split(u'/', Qt::SkipEmptyParts)) {
        if (part == u".")
            continue;
        if (part == u"..") {
            if (out.isEmpty())
                return std::nullopt;
            out.removeLast();
            continue;
        }
        out.append(part);
    }
    return out;
}

QByteArray encoded(const QString &relative)
{
    return relative.isEmpty() ? QByteArray(".") : QFile::encodeName(relative);
}

// Opens below `dirFd` with the kernel refusing any step outside it (Linux 5.6 and later).
int openBeneath(int dirFd, const QByteArray &path, int flags)
{
    open_how how{};
    how.flags = static_cast<quint64>(flags | O_CLOEXEC);
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    return static_cast<int>(::syscall(SYS_openat2, dirFd, path.constData(), &how, sizeof how));
}

// Levels of directories below `name`: 0 for an empty directory, -1 for anything that is no
// directory; counting stops once it passes `limit`.
int treeDepth(int dirFd, const char *name, int limit)
{
    const DirPtr dir = openDirectory(dirFd, name);
    if (!dir)
        return -1;
    int deepest = 0;
    while (deepest <= limit) {
        const dirent *entry = ::readdir(dir.get());
        if (!entry)
            break;
        const QByteArray child(entry->d_name);
        if ((entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN) && child != "." &&
            child != "..")
            deepest =
                std::max(deepest, 1 + treeDepth(::dirfd(dir.get()), entry->d_name, limit - 1));
    }
    return deepest;
}

bool removeBelow(int dirFd, const QByteArray &name, int depthLeft)
{
    struct stat st {};
    if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(dirFd, name.constData(), 0) == 0;
    if (depthLeft < 0) {
        errno = ELOOP;
        return false;
    }
    const DirPtr dir = openDirectory(dirFd, name.constData());
    if (!dir)
        return false;
    bool ok = true;
    while (const dirent *entry = ::readdir(dir.get())) {
        const QByteArray child(entry->d_name);
        if (child != "." && child != "..")
            ok = removeBelow(::dirfd(dir.get()), child, depthLeft - 1) && ok;
    }
    return ok && ::unlinkat(dirFd, name.constData(), AT_REMOVEDIR) == 0;
}

} // namespace

FtpRoot::FtpRoot(const QString &dir)
{
    const std::unique_ptr<char, decltype(&std::free)> real(
        ::realpath(QFile::encodeName(dir).constData(), nullptr), &std::free);
    if (!real)
        return;
    path_ = QFile::decodeName(real.get());
    fd_.reset(::open(real.get(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    kernelConfines_ = fd_ && UniqueFd(openBeneath(fd_.get(), ".", O_PATH | O_DIRECTORY));
}

std::optional<QString> FtpRoot::resolve(const QString &currentDir, const QString &name,
                                        bool changeRoot) const
{
    if (!name.startsWith(u'/')) {
        const auto parts = normalise(currentDir + u'/' + name);
        return parts ? std::optional(parts->join(u'/')) : std::nullopt;
    }
    const auto parts = normalise(name);
    if (!parts)
        return std::nullopt;
    if (changeRoot)
        return parts->join(u'/');
    // A path of the machine: it must run through the base directory.
    const QStringList base = path_.split(u'/', Qt::SkipEmptyParts);
    if (parts->size() < base.size() || parts->mid(0, base.size()) != base)
        return std::nullopt;
    return parts->mid(base.size()).join(u'/');
}

UniqueFd FtpRoot::open(const QString &relative, int flags) const
{
    const QByteArray path = encoded(relative);
    if (kernelConfines_)
        return UniqueFd(openBeneath(fd_.get(), path, flags & ~O_CREAT));
    // Open, then check where the descriptor really landed.
    UniqueFd opened(::openat(fd_.get(), path.constData(), (flags & ~O_CREAT) | O_CLOEXEC));
    if (opened && !relativeOf(opened.get())) {
        errno = EXDEV;
        return {};
    }
    return opened;
}

std::optional<FtpRoot::Parent> FtpRoot::openParent(const QString &relative) const
{
    if (relative.isEmpty())
        return std::nullopt;
    const qsizetype slash = relative.lastIndexOf(u'/');
    Parent parent{open(slash < 0 ? QString() : relative.left(slash), O_PATH | O_DIRECTORY),
                  QFile::encodeName(relative.mid(slash + 1))};
    if (!parent.dir)
        return std::nullopt;
    return parent;
}

std::optional<QString> FtpRoot::relativeOf(int fd) const
{
    char buffer[PATH_MAX];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(link.constData(), buffer, sizeof buffer);
    if (n <= 0 || n == static_cast<ssize_t>(sizeof buffer))
        return std::nullopt;
    const QString real = QFile::decodeName(QByteArray(buffer, n));
    if (real == path_)
        return QString();
    const QString prefix = path_.endsWith(u'/') ? path_ : path_ + u'/';
    if (!real.startsWith(prefix))
        return std::nullopt;
    return real.mid(prefix.size());
}

QString FtpRoot::visiblePath(const QString &relative, bool changeRoot) const
{
    if (changeRoot)
        return relative.isEmpty() ? QStringLiteral("/") : u'/' + relative + u'/';
    return relative.isEmpty() ? path_ : path_ + u'/' + relative;
}

bool removeTree(int dirFd, const QByteArray &name)
{
    // Measured first so that a tree too deep is refused before any of it goes.
    if (treeDepth(dirFd, name.constData(), kMaxRemoveDepth) > kMaxRemoveDepth) {
        errno = ELOOP;
        return false;
    }
    return removeBelow(dirFd, name, kMaxRemoveDepth);
}

bool renameNoReplace(int fromDir, const QByteArray &from, int toDir, const QByteArray &to)
{
    if (::renameat2(fromDir, from.constData(), toDir, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != ENOSYS && errno != EINVAL)
        return false;
    // Kernels or file systems without RENAME_NOREPLACE. A file is linked under its new name,
    // which fails on an existing target, then unlinked; a directory cannot be linked, so only
    // a check guards it.
    struct stat st {};
    if (::fstatat(fromDir, from.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (!S_ISDIR(st.st_mode)) {
        if (::linkat(fromDir, from.constData(), toDir, to.constData(), 0) != 0)
            return false;
        return ::unlinkat(fromDir, from.constData(), 0) == 0;
    }
    if (::fstatat(toDir, to.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(fromDir, from.constData(), toDir, to.constData()) == 0;
}

} // namespace quelmar::viewer
