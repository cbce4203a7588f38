// Qt aborts with a core dump when its window system cannot be reached. While a DisplayGuard
// lives, that abort becomes one line on standard error and exit status 1; what Qt logs
// meanwhile is held back and passed on when the guard ends. Create the QApplication inside
// the guard's lifetime.
#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace quelmar::cli {

// The exit status of a window program started where no display answers.
inline constexpr int kNoDisplayExitCode = 1;

// The one line said then, naming the variables that chose the display.
QString noDisplayMessage(const QString &program, const QProcessEnvironment &environment);

class DisplayGuard {
public:
    // Only one guard may live at a time: Qt has one message handler per process.
    explicit DisplayGuard(const QString &program);
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard &) = delete;
    DisplayGuard &operator=(const DisplayGuard &) = delete;
};

} // namespace quelmar::cli
