#include "ftp/ftp_listing.h"

#include "ftp/ftp_paths.h"

#include <QFile>
#include <QHash>
#include <QLocale>

#include <algorithm>
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

QString ftpListingLine(const FtpListingEntry &entry)
{
    static constexpr char letters[] = "rwxrwxrwx";
    QString permissions(9, u'-');
    for (int i = 0; i < 9; ++i) {
        if (entry.permissions & (0400u >> i))
            permissions[i] = QLatin1Char(letters[i]);
    }
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    return (entry.directory ? u'd' : u'-') + permissions + u' ' +
           QString::number(entry.links).rightJustified(5) + u' ' + entry.owner.rightJustified(12) +
           u' ' + entry.group.rightJustified(12) + u' ' +
           QString::number(entry.size).rightJustified(10) + u' ' +
           english.toString(entry.modified, QStringLiteral("MMM dd HH:mm")) + u' ' + entry.name;
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
        e.modified = QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec);
        e.name = QFile::decodeName(d->d_name);
        entries.push_back(std::move(e));
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto &a, const auto &b) { return a.name < b.name; });

    QString text = QStringLiteral("total %1\r\n").arg(entries.size());
    for (const FtpListingEntry &e : entries)
        text += ftpListingLine(e) + u'\n';
    return text.normalized(QString::NormalizationForm_C).toUtf8();
}

} // namespace quelmar::viewer
