// The directory listing the FTP server sends for LIST and NLST, in the classic "ls -l" shape.
#pragma once

#include <QByteArray>
#include <QString>

#include <ctime>

namespace quelmar::viewer {

struct FtpListingEntry {
    bool directory = false;
    unsigned permissions = 0; // the nine rwx bits
    qint64 links = 1;
    QString owner;
    QString group;
    quint64 size = 0;
    std::time_t modified = 0; // seconds since the epoch, shown in local time
    QString name;
};

// One line without its line end, in canonically composed UTF-8: type, permissions, link
// count, owner, group, size, "MMM dd HH:mm" in English and the name.
QByteArray ftpListingLine(const FtpListingEntry &entry);

// "total N" and CRLF, then one line-feed-ended line per entry directly inside the open
// directory `dirFd`; hidden entries are left out. Canonically composed UTF-8.
QByteArray ftpListDirectory(int dirFd);

} // namespace quelmar::viewer
