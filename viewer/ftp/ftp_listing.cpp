#include "ftp/ftp_listing.h"

#include "ftp/ftp_paths.h"

#include <QFile>
#include <QHash>

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quelmar::viewer {

namespace {

// Never follows a link, even one that replaced the directory since it was examined.
qint64 entryCount(int dirFd, const char *name)
{
    const DirPtr dir = openDirectory(dirFd, name);
    qint64 count = 0;
    while (dir && ::readdir(dir.get()))
        ++count;
    return std::max<qint64>(1, count - 2); // "." and ".." are not entries
}

// Owner and group names, looked up once per listing.
class NameCache {
public:
    QString user(uid_t uid)
    {
        auto it = users_.find(uid);
        if (it == users_.end()) {
            passwd pw{}, *found = nullptr;
            char buffer[4096];
            const bool ok = ::getpwuid_r(uid, &pw, buffer, sizeof buffer, &found) == 0 && found;
            it = users_.insert(uid, ok ? QString::fromLocal8Bit(pw.pw_name) : QString::number(uid));
        }
        return *it;
    }
    QString group(gid_t gid)
    {
        auto it = groups_.find(gid);
        if (it == groups_.end()) {
            struct ::group gr {
            }, *found = nullptr;
            char buffer[4096];
            const bool ok = ::getgrgid_r(gid, &gr, buffer, sizeof buffer, &found) == 0 && found;
            it =
                groups_.insert(gid, ok ? QString::fromLocal8Bit(gr.gr_name) : QString::number(gid));
        }
        return *it;
    }

private:
    QHash<uid_t, QString> users_;
    QHash<gid_t, QString> groups_;
};

} // namespace

namespace {

// Canonically composed UTF-8, as clients compare names byte by byte; plain ASCII as it is.
QByteArray composedUtf8(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return text.normalized(QString::NormalizationForm_C).toUtf8();
    }
    return text.toLatin1();
}

} // namespace

QByteArray ftpListingLine(const FtpListingEntry &entry)
{
    static constexpr char letters[] = "rwxrwxrwx";
    char permissions[10] = "---------";
    for (int i = 0; i < 9; ++i) {
        if (entry.permissions & (0400u >> i))
            permissions[i] = letters[i];
    }
    // English month names whatever the locale; formatted by hand, as a locale-aware date
    // conversion per line made long listings slow.
    static constexpr const char *months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm local{};
    const std::time_t seconds = entry.modified;
    ::localtime_r(&seconds, &local);
    const QByteArray owner = composedUtf8(entry.owner);
    const QByteArray group = composedUtf8(entry.group);
    char head[160];
    const int length = std::snprintf(
        head, sizeof head, "%c%s %5lld %12s %12s %10llu %s %02d %02d:%02d ",
        entry.directory ? 'd' : '-', permissions, static_cast<long long>(entry.links),
        owner.constData(), group.constData(), static_cast<unsigned long long>(entry.size),
        months[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min);
    QByteArray line(head, std::clamp(length, 0, static_cast<int>(sizeof head) - 1));
    line += composedUtf8(entry.name);
    return line;
}

QByteArray ftpListDirectory(int dirFd)
{
    const DirPtr dir = openDirectory(dirFd, ".");
    std::vector<FtpListingEntry> entries;
    NameCache names;
    while (const dirent *d = dir ? ::readdir(dir.get()) : nullptr) {
        if (d->d_name[0] == '.')
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir.get()), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        FtpListingEntry e;
        e.directory = S_ISDIR(st.st_mode);
        e.permissions = st.st_mode & 0777u;
        e.links = e.directory ? entryCount(::dirfd(dir.get()), d->d_name) : 1;
        e.owner = names.user(st.st_uid);
        e.group = names.group(st.st_gid);
        e.size = static_cast<quint64>(st.st_size);
        e.modified = st.st_mtim.tv_sec;
        e.name = QFile::decodeName(d->d_name);
        entries.push_back(std::move(e));
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto &a, const auto &b) { return a.name < b.name; });

    QByteArray text = "total " + QByteArray::number(qulonglong(entries.size())) + "\r\n";
    text.reserve(text.size() + qsizetype(entries.size()) * 80);
    for (const FtpListingEntry &e : entries)
        text += ftpListingLine(e) + '\n';
    return text;
}

} // namespace quelmar::viewer
