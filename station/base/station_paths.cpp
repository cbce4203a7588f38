#include "base/station_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace quelmar::station {

namespace {

QString homeOverride()
{
    return qEnvironmentVariable("SCOPEDESK_HOME");
}

QString ensured(const QString &dir)
{
    QDir().mkpath(dir);
    return dir;
}

QString ensuredPrivate(const QString &dir)
{
    makePrivateDir(dir);
    return dir;
}

} // namespace

bool makePrivateDir(const QString &dir)
{
    return QDir().mkpath(dir) && QFileInfo(dir).isDir() &&
           QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString StationPaths::shareDir()
{
    const QString fromEnv = qEnvironmentVariable("SCOPEDESK_SHARE_DIR");
    if (!fromEnv.isEmpty())
        return fromEnv;
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../" QUELMAR_SHARE_SUBDIR));
}

QString StationPaths::configDir()
{
    const QString home = homeOverride();
    if (!home.isEmpty())
        return ensured(home);
    return ensured(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                   QStringLiteral("/ScopeDesk"));
}

QString StationPaths::documentsDir()
{
    const QString home = homeOverride();
    if (!home.isEmpty())
        return ensured(home);
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (docs.isEmpty())
        docs = QDir::homePath() + QStringLiteral("/Documents");
    return ensured(docs);
}

QString StationPaths::cacheDir()
{
    const QString home = homeOverride();
    if (!home.isEmpty())
        return ensuredPrivate(home + QStringLiteral("/cache"));
    return ensuredPrivate(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                          QStringLiteral("/ScopeDesk"));
}

} // namespace quelmar::station
