// Ends the event loop on SIGINT or SIGTERM. The handler only writes one byte to a pipe (all a
// signal handler may safely do); the event loop reads it and quits from ordinary code.
#pragma once

#include <unique_fd.h>

#include <QObject>

#include <csignal>
#include <memory>

class QSocketNotifier;

namespace quelmar::cli {

class QuitOnSignals : public QObject {
    Q_OBJECT

public:
    // One instance at a time; the previous handlers come back when it goes.
    explicit QuitOnSignals(QObject *parent = nullptr);
    ~QuitOnSignals() override;
    Q_DISABLE_COPY_MOVE(QuitOnSignals)

    bool isValid() const { return notifier_ != nullptr; }
    // The last signal that arrived, 0 before any.
    int lastSignal() const { return lastSignal_; }

Q_SIGNALS:
    void signalled(int signal);

private:
    void readSignals();

    UniqueFd readEnd_;
    UniqueFd writeEnd_;
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previousInt_ = {};
    struct sigaction previousTerm_ = {};
    int lastSignal_ = 0;
};

} // namespace quelmar::cli
