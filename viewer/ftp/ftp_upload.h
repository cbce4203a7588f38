// Where an FTP upload is written before it is complete: a file without a name (or, where the
// file system cannot make one, a hidden file with a short random name) in the target's
// directory. It takes the target's name only once complete and on disk; dropped before that,
// nothing of it stays.
#pragma once

#include "unique_fd.h"

#include <QByteArray>

#include <optional>

namespace quelmar::viewer {

class FtpUpload {
public:
    // An upload to `name` inside the directory `dirFd`; nullopt with errno when no file can
    // be made there.
    static std::optional<FtpUpload> create(int dirFd, const QByteArray &name);

    FtpUpload(FtpUpload &&other) noexcept = default;
    FtpUpload &operator=(FtpUpload &&other) noexcept;
    FtpUpload(const FtpUpload &) = delete;
    FtpUpload &operator=(const FtpUpload &) = delete;
    ~FtpUpload();

    // A descriptor of its own for writing the content.
    UniqueFd writer() const;
    // Puts the written content on disk, under the target's name, replacing what was there,
    // and makes the new name durable. False when any step failed; the upload is gone then.
    bool commit();

private:
    FtpUpload() = default;
    bool giveName();
    void discard();

    UniqueFd dir_;
    UniqueFd file_;
    QByteArray temporary_; // empty while the file has no name
    QByteArray target_;
};

} // namespace quelmar::viewer
