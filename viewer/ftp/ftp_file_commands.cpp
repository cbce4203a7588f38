// The FtpConnection handlers that touch the served directory. Every one resolves its name
// through FtpRoot, so a name that leads outside gets the command's own failure reply.
#include "ftp/ftp_connection.h"

#include "ftp/ftp_listing.h"
#include "ftp/ftp_server.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quelmar::viewer {

namespace {

// The words after the command, joined by single blanks; words starting with "-" are
// options and left out.
QString fileName(const QStringList &words)
{
    QStringList kept;
    for (qsizetype i = 1; i < words.size(); ++i) {
        if (!words[i].startsWith(u'-'))
            kept.append(words[i]);
    }
    return kept.join(u' ');
}

QString withName(const char *format, const QString &name)
{
    return QString::fromLatin1(format).arg(name);
}

bool exists(const FtpRoot::Parent &parent)
{
    struct stat st {};
    return ::fstatat(parent.dir.get(), parent.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

} // namespace

std::optional<QString> FtpConnection::pathOf(const QString &name) const
{
    return server_.root().resolve(currentDir_, name, server_.changeRoot());
}

bool FtpConnection::changeDirectory(const std::optional<QString> &relative)
{
    if (!relative)
        return false;
    // Entering the directory resolves its links; the session keeps where it really is.
    const UniqueFd dir = server_.root().open(*relative, O_PATH | O_DIRECTORY);
    const auto real = dir ? server_.root().relativeOf(dir.get()) : std::nullopt;
    if (!real)
        return false;
    currentDir_ = *real;
    return true;
}

void FtpConnection::doCwd(const QStringList &words)
{
    reply(changeDirectory(pathOf(fileName(words))) ? QStringLiteral("250 CWD command successful.")
                                                   : QStringLiteral("550 CWD failed."));
}

void FtpConnection::doCdUp(const QStringList &)
{
    // The parent of "/" is "/" for a client that sees the served directory as the root.
    const bool atRoot = currentDir_.isEmpty() && server_.changeRoot();
    const bool changed = atRoot || changeDirectory(pathOf(QStringLiteral("..")));
    reply(changed ? QStringLiteral("250 CDUP command successful.")
                  : QStringLiteral("550 CDUP command failed."));
}

void FtpConnection::doList(const QStringList &words)
{
    // Something that is not a directory below the base lists as empty.
    const auto path = pathOf(fileName(words));
    const UniqueFd dir = path ? server_.root().open(*path, O_RDONLY | O_DIRECTORY) : UniqueFd();
    queue(QStringLiteral("150 Opening ASCII mode data connection for '/bin/ls'."),
          FtpTransfer{dir ? ftpListDirectory(dir.get()) : QByteArray("total 0\r\n"), {}, false});
}

void FtpConnection::doNlst(const QStringList &words)
{
    doList(words);
}

void FtpConnection::doRetr(const QStringList &words)
{
    const QString name = fileName(words);
    const auto path = pathOf(name);
    UniqueFd file = path ? server_.root().open(*path, O_RDONLY | O_NONBLOCK) : UniqueFd();
    struct stat st {};
    if (!file || ::fstat(file.get(), &st) != 0)
        return reply(withName("550 %1 No such file or directory.", name));
    if (!S_ISREG(st.st_mode))
        return reply(withName("550 %1: Not a plain file.", name));
    queue(withName("150 Opening BINARY mode data connection for '%1'.", name),
          FtpTransfer{{}, std::move(file), false});
}

void FtpConnection::doStor(const QStringList &words)
{
    const QString name = fileName(words);
    const auto path = pathOf(name);
    auto parent = path ? server_.root().openParent(*path) : std::nullopt;
    struct stat st {};
    // Only a plain file is replaced; a link could lead anywhere.
    const bool replaceable = parent && (::fstatat(parent->dir.get(), parent->name.constData(), &st,
                                                  AT_SYMLINK_NOFOLLOW) != 0
                                            ? errno == ENOENT
                                            : S_ISREG(st.st_mode));
    auto upload = replaceable ? FtpUpload::create(parent->dir.get(), parent->name) : std::nullopt;
    UniqueFd writer = upload ? upload->writer() : UniqueFd();
    if (!writer)
        return reply(withName("553 %1: Permission denied.", name));
    queue(withName("150 Opening BINARY mode data connection for '%1'.", name),
          FtpTransfer{{}, std::move(writer), true}, std::move(upload));
}

void FtpConnection::doDele(const QStringList &words)
{
    const QString name = fileName(words);
    const auto path = pathOf(name);
    const auto parent = path ? server_.root().openParent(*path) : std::nullopt;
    if (!parent || !exists(*parent))
        return reply(withName("550 %1 No such file or directory.", name));
    if (!removeTree(parent->dir.get(), parent->name))
        return reply(withName("550 %1 DELE command unsuccessful.", name));
    reply(withName("250 %1 DELE command successful.", name));
    Q_EMIT fileListChanged();
}

void FtpConnection::doSize(const QStringList &words)
{
    const QString name = fileName(words);
    const auto path = pathOf(name);
    const UniqueFd file = path ? server_.root().open(*path, O_PATH) : UniqueFd();
    struct stat st {};
    if (!file || ::fstat(file.get(), &st) != 0)
        return reply(withName("550 %1 No such file or directory.", name));
    // Every regular file gets its size: clients such as curl give up a download when SIZE
    // fails. What has no size of its own (a directory) keeps the refusal.
    if (!S_ISREG(st.st_mode))
        return reply(withName("550 %1 file too large for SIZE.", name));
    reply(QStringLiteral("213 %1").arg(static_cast<quint64>(st.st_size)));
}

void FtpConnection::doMkdir(const QStringList &words)
{
    const QString name = fileName(words);
    const auto path = pathOf(name);
    if (!path)
        return reply(QStringLiteral("550 MKD command failed."));
    if (const auto target = server_.root().openParent(*path);
        path->isEmpty() || (target && exists(*target)))
        return reply(withName("Error %1 exists", name));
    // Intermediate directories first, each step resolved below the base again.
    const QStringList parts = path->split(u'/');
    bool created = false;
    for (qsizetype i = 1; i <= parts.size(); ++i) {
        const auto step = server_.root().openParent(parts.mid(0, i).join(u'/'));
        created = step && (::mkdirat(step->dir.get(), step->name.constData(), 0777) == 0 ||
                           (errno == EEXIST && i < parts.size()));
        if (!created)
            break;
    }
    if (!created)
        return reply(QStringLiteral("550 MKD command failed."));
    reply(QStringLiteral("250 MKD command successful."));
    Q_EMIT fileListChanged();
}

void FtpConnection::doRnfr(const QStringList &words)
{
    const auto path = pathOf(fileName(words));
    const auto parent = path ? server_.root().openParent(*path) : std::nullopt;
    renameFrom_ = parent && exists(*parent) ? path : std::nullopt;
    reply(renameFrom_ ? QStringLiteral("350 RNFR command successful.")
                      : QStringLiteral("550 RNFR command failed."));
}

void FtpConnection::doRnto(const QStringList &words)
{
    const auto from = std::exchange(renameFrom_, std::nullopt);
    const auto to = pathOf(fileName(words));
    const auto source = from ? server_.root().openParent(*from) : std::nullopt;
    const auto target = to ? server_.root().openParent(*to) : std::nullopt;
    // An existing target stays: RNTO never replaces.
    if (!source || !target ||
        !renameNoReplace(source->dir.get(), source->name, target->dir.get(), target->name))
        return reply(QStringLiteral("550 RNTO command failed."));
    reply(QStringLiteral("250 RNTO command successful."));
    Q_EMIT fileListChanged();
}

void FtpConnection::doMlst(const QStringList &words)
{
    // Answered, but no listing follows.
    reply(withName("150 Opening BINARY mode data connection for '%1'.", fileName(words)));
}

} // namespace quelmar::viewer
