#include "child_process.h"

#include <QProcessEnvironment>

namespace quelmar::test {

namespace {
constexpr int kWaitMs = 30000;
}

ChildRun runWithoutDisplay(const QString &program, const QStringList &arguments,
                           const QList<std::pair<QString, QString>> &environment)
{
    QProcessEnvironment childEnvironment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        childEnvironment.remove(QString::fromLatin1(name));
    for (const auto &[name, value] : environment) {
        if (value.isEmpty())
            childEnvironment.remove(name);
        else
            childEnvironment.insert(name, value);
    }
    QProcess process;
    process.setProcessEnvironment(childEnvironment);
    process.start(program, arguments);
    ChildRun run;
    run.finished = process.waitForFinished(kWaitMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished(kWaitMs);
        return run;
    }
    run.code = process.exitCode();
    run.status = process.exitStatus();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

} // namespace quelmar::test
