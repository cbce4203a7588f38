// The directory listing the FTP server sends for LIST and NLST, in the classic "ls -l" shape.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace quelmar::viewer {

struct FtpListingEntry {
    bool directory = false;
    unsigned permissions = 0; // the nine rwx bits
    qint64 links = 1;
    QString owner;
    QString group;
    quint64 size = 0;
    QDateTime modified;
    QString name;
};

// One line without its line end: type, permissions, link count, owner, group, size,
// "MMM dd HH:mm" in English and the name.
QString ftpListingLine(const FtpListingEntry &entry);

// "total N" and CRLF, then one line-feed-ended line per entry directly inside the open
// directory `dirFd`; hidden entries are left out. Canonically composed UTF-8.
QByteArray ftpListDirectory(int dirFd);

} // namespace quelmar::viewer
