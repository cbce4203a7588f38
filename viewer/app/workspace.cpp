#include "app/workspace.h"

#include <QDir>
#include <QFileInfo>

namespace quelmar::viewer {

QString Workspace::imageDirectory(const QString &album) const
{
    return QStringLiteral("%1/%2/Image/").arg(root_, album);
}

QString Workspace::videoDirectory(const QString &album) const
{
    return QStringLiteral("%1/%2/Video/").arg(root_, album);
}

bool Workspace::prepare() const
{
    const QString album = QLatin1StringView(kDefaultAlbum);
    return QDir().mkpath(imageDirectory(album)) && QDir().mkpath(videoDirectory(album));
}

QStringList Workspace::userAlbums() const
{
    QStringList albums;
    const QStringList names =
        QDir(root_).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QString &name : names) {
        if (!name.startsWith(u'.') && name != QLatin1StringView(kDefaultAlbum) &&
            name != QLatin1StringView(kCalibrationFile))
            albums << name;
    }
    return albums;
}

Workspace::AlbumCheck Workspace::checkAlbumName(const QString &name) const
{
    if (name.trimmed().isEmpty())
        return AlbumCheck::Empty;
    if (name.contains(u'/') || name.contains(QChar(0)) || name.startsWith(u'.'))
        return AlbumCheck::Illegal;
    // Any entry of that name counts, a file such as calibration.plist too.
    if (QFileInfo(root_ + u'/' + name).exists() || QFileInfo(root_ + u'/' + name).isSymLink())
        return AlbumCheck::Exists;
    return AlbumCheck::Ok;
}

bool Workspace::createAlbum(const QString &name) const
{
    if (checkAlbumName(name) != AlbumCheck::Ok)
        return false;
    return QDir().mkpath(imageDirectory(name)) && QDir().mkpath(videoDirectory(name));
}

QString Workspace::freeName(const QString &directory, const QString &stamp,
                            const QString &extension, const QString &alsoFree)
{
    const auto taken = [&](const QString &path) {
        return QFileInfo::exists(path) || QFileInfo(path).isSymLink() ||
               (!alsoFree.isEmpty() && QFileInfo::exists(path + alsoFree));
    };
    QString path = directory + stamp + extension;
    // Bounded: a directory cannot hold this many files of one second.
    for (int n = 1; taken(path) && n < 100000; ++n)
        path = directory + stamp + u'-' + QString::number(n) + extension;
    return path;
}

QString Workspace::timeStamp(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyyMMddHHmmss"));
}

} // namespace quelmar::viewer
