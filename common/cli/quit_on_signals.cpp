#include "cli/quit_on_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quelmar::cli {

namespace {

// The pipe's write end for the handler; -1 while no instance exists.
std::atomic<int> gWriteFd = -1;
static_assert(std::atomic<int>::is_always_lock_free, "the handler needs a lock-free fd");

extern "C" void onSignal(int signal)
{
    const int savedErrno = errno;
    const int fd = gWriteFd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signal);
        // A full pipe already holds a wake-up; losing this byte loses nothing.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

QuitOnSignals::QuitOnSignals(QObject *parent) : QObject(parent)
{
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    readEnd_ = UniqueFd(fds[0]);
    writeEnd_ = UniqueFd(fds[1]);
    int expected = -1;
    if (!gWriteFd.compare_exchange_strong(expected, writeEnd_.get()))
        return; // another instance owns the handlers

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &previousInt_);
    ::sigaction(SIGTERM, &action, &previousTerm_);

    notifier_ = std::make_unique<QSocketNotifier>(readEnd_.get(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &QuitOnSignals::readSignals);
}

QuitOnSignals::~QuitOnSignals()
{
    if (!notifier_)
        return;
    ::sigaction(SIGINT, &previousInt_, nullptr);
    ::sigaction(SIGTERM, &previousTerm_, nullptr);
    gWriteFd.store(-1);
}

void QuitOnSignals::readSignals()
{
    unsigned char bytes[64];
    ssize_t got = 0;
    while ((got = ::read(readEnd_.get(), bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < got; ++i) {
            lastSignal_ = bytes[i];
            Q_EMIT signalled(lastSignal_);
        }
    }
    // exit(), not quit(): Qt 6's quit() first asks every window to close, and a window may
    // answer with a question nobody at a terminal or a service manager can answer.
    QCoreApplication::exit(0);
}

} // namespace quelmar::cli
