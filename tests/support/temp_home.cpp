#include "temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace quelmar::test {

TempHome::TempHome()
{
    hadPrevious_ = qEnvironmentVariableIsSet("SCOPEDESK_HOME");
    previous_ = qgetenv("SCOPEDESK_HOME");
    qputenv("SCOPEDESK_HOME", dir_.path().toLocal8Bit());
}

TempHome::~TempHome()
{
    if (hadPrevious_)
        qputenv("SCOPEDESK_HOME", previous_);
    else
        qunsetenv("SCOPEDESK_HOME");
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray runTool(const QString &program, const QStringList &arguments, int *exitCode)
{
    QProcess p;
    p.start(program, arguments);
    const bool finished = p.waitForStarted(10000) && p.waitForFinished(60000);
    if (exitCode)
        *exitCode = finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return p.readAllStandardOutput();
}

QString identify(const QString &path)
{
    int rc = -1;
    const QByteArray out =
        runTool(QStringLiteral("/usr/bin/identify"),
                {QStringLiteral("-format"), QStringLiteral("%m %w %h"), path}, &rc);
    return rc == 0 ? QString::fromLatin1(out) : QString();
}

QString sourceDir()
{
    const QString fromEnv = qEnvironmentVariable("QUELMAR_SOURCE_DIR");
    return fromEnv.isEmpty() ? QStringLiteral(QUELMAR_TEST_SOURCE_DIR) : fromEnv;
}

} // namespace quelmar::test
