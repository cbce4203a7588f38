#include "ftp/ftp_upload.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace quelmar::viewer {

namespace {

// A fixed 20 bytes, so that even a target name of the longest allowed length has room.
QByteArray temporaryName()
{
    return ".ftp-upload-" +
           QByteArray::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, '0');
}

constexpr int kNameAttempts = 8;

} // namespace

std::optional<FtpUpload> FtpUpload::create(int dirFd, const QByteArray &name)
{
    FtpUpload upload;
    upload.dir_.reset(::fcntl(dirFd, F_DUPFD_CLOEXEC, 0));
    if (!upload.dir_)
        return std::nullopt;
    upload.target_ = name;
    upload.file_.reset(::openat(dirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    for (int attempt = 0; !upload.file_ && attempt < kNameAttempts; ++attempt) {
        // No unnamed files here (older kernels, some file systems): a hidden named one.
        const QByteArray temporary = temporaryName();
        upload.file_.reset(::openat(dirFd, temporary.constData(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (upload.file_)
            upload.temporary_ = temporary;
        else if (errno != EEXIST)
            return std::nullopt;
    }
    if (!upload.file_)
        return std::nullopt;
    return upload;
}

FtpUpload &FtpUpload::operator=(FtpUpload &&other) noexcept
{
    if (this != &other) {
        discard();
        dir_ = std::move(other.dir_);
        file_ = std::move(other.file_);
        temporary_ = std::exchange(other.temporary_, {});
        target_ = std::exchange(other.target_, {});
    }
    return *this;
}

FtpUpload::~FtpUpload()
{
    discard();
}

UniqueFd FtpUpload::writer() const
{
    return UniqueFd(file_ ? ::fcntl(file_.get(), F_DUPFD_CLOEXEC, 0) : -1);
}

bool FtpUpload::commit()
{
    // The content reaches the disk before any name points at it, so that a crash leaves the
    // old file or the whole new one, never an empty or partial one.
    const bool placed =
        file_ && ::fsync(file_.get()) == 0 && (!temporary_.isEmpty() || giveName()) &&
        ::renameat(dir_.get(), temporary_.constData(), dir_.get(), target_.constData()) == 0;
    if (!placed) {
        discard();
        return false;
    }
    temporary_.clear(); // now the target's name, which stays
    file_.reset();
    // The new name is durable only once its directory is.
    const UniqueFd directory(::openat(dir_.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const bool synced = directory && ::fsync(directory.get()) == 0;
    dir_.reset();
    return synced;
}

bool FtpUpload::giveName()
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(file_.get());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QByteArray temporary = temporaryName();
        // Linking the descriptor itself needs a capability; its /proc entry does not.
        if (::linkat(file_.get(), "", dir_.get(), temporary.constData(), AT_EMPTY_PATH) == 0 ||
            ::linkat(AT_FDCWD, self.constData(), dir_.get(), temporary.constData(),
                     AT_SYMLINK_FOLLOW) == 0) {
            temporary_ = temporary;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

void FtpUpload::discard()
{
    if (dir_ && !temporary_.isEmpty())
        ::unlinkat(dir_.get(), temporary_.constData(), 0);
    temporary_.clear();
    file_.reset();
    dir_.reset();
}

} // namespace quelmar::viewer
