#include "cli/display_guard.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace quelmar::cli {

namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};

// Qt's message handler is a plain function, so what it needs lives here, once per process.
struct GuardState {
    std::mutex mutex; // guards held (Qt may log from other threads while starting)
    std::vector<HeldMessage> held;
    QByteArray fatalLine;
    QtMessageHandler previous = nullptr;
    bool active = false;
};

GuardState &guardState()
{
    static GuardState state;
    return state;
}

void holdOrLeave(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    GuardState &state = guardState();
    if (type == QtFatalMsg) {
        // Qt's own lines (plugin lists, "reinstalling may fix this") would only mislead.
        std::fputs(state.fatalLine.constData(), stderr);
        std::fflush(stderr);
        std::_Exit(kNoDisplayExitCode);
    }
    const std::lock_guard lock(state.mutex);
    state.held.push_back({type, QByteArray(context.file), QByteArray(context.function),
                          QByteArray(context.category), context.line, text});
}

QString describe(const QProcessEnvironment &environment, const QString &name)
{
    const QString value = environment.value(name);
    return value.isEmpty() ? name + QStringLiteral(" is not set")
                           : QStringLiteral("%1=%2").arg(name, value);
}

} // namespace

QString noDisplayMessage(const QString &program, const QProcessEnvironment &environment)
{
    QStringList why = {describe(environment, QStringLiteral("DISPLAY")),
                       describe(environment, QStringLiteral("WAYLAND_DISPLAY"))};
    const QString platform = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    if (!platform.isEmpty())
        why << QStringLiteral("QT_QPA_PLATFORM=%1").arg(platform);
    return QStringLiteral("%1: cannot open a window: no display can be reached (%2).")
        .arg(program, why.join(QStringLiteral(", ")));
}

DisplayGuard::DisplayGuard(const QString &program)
{
    GuardState &state = guardState();
    Q_ASSERT(!state.active);
    state.active = true;
    state.fatalLine =
        (noDisplayMessage(program, QProcessEnvironment::systemEnvironment()) + u'\n').toLocal8Bit();
    state.previous = qInstallMessageHandler(holdOrLeave);
}

DisplayGuard::~DisplayGuard()
{
    GuardState &state = guardState();
    qInstallMessageHandler(state.previous);
    std::vector<HeldMessage> held;
    {
        const std::lock_guard lock(state.mutex);
        held.swap(state.held);
    }
    for (const HeldMessage &message : held) {
        const QMessageLogContext context(message.file.constData(), message.line,
                                         message.function.constData(),
                                         message.category.constData());
        if (state.previous)
            state.previous(message.type, context, message.text);
    }
    state.active = false;
}

} // namespace quelmar::cli
