// Runs a program as a child process the way a terminal without a display would: DISPLAY,
// WAYLAND_DISPLAY, QT_QPA_PLATFORM and XDG_SESSION_TYPE removed, per-user files moved away.
#pragma once

#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <utility>

namespace quelmar::test {

struct ChildRun {
    bool finished = false; // false: did not end within the time-out and was killed
    int code = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QString out, err;
};

// `environment` entries are added, or removed when their value is empty.
ChildRun runWithoutDisplay(const QString &program, const QStringList &arguments,
                           const QList<std::pair<QString, QString>> &environment = {});

} // namespace quelmar::test
