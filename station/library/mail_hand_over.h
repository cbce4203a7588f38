// The hand-over of one attachment to the user's mail program, which then opens a new message
// for the user to complete. The desktop's xdg-email does it on Linux; tests stand in.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace quelmar::station {

enum class MailResult {
    HandedOver,   // the mail program has the message; whether it is sent is the user's affair
    NoMailSystem, // no hand-over tool, or it knows no mail program
    Failed,       // the hand-over tool refused or failed
};

class MailHandOver {
public:
    virtual ~MailHandOver() = default;
    // Hands `attachment` (an absolute path) over as a new message with an empty subject, no
    // text and no recipient, without waiting for the mail program. `done` runs once on this
    // thread with the outcome, unless `context` is gone by then.
    virtual void send(const QString &attachment, const QObject *context,
                      std::function<void(MailResult)> done) = 0;
};

// `xdg-email --attach FILE`, found on PATH at each call. Its exit status tells the outcome;
// when it is still running after `settleMs` (it may wait for the mail program it started),
// the message counts as handed over and the process is left to finish on its own.
class XdgEmailHandOver final : public QObject, public MailHandOver {
    Q_OBJECT
public:
    explicit XdgEmailHandOver(int settleMs = 3000, QObject *parent = nullptr);
    ~XdgEmailHandOver() override;

    void send(const QString &attachment, const QObject *context,
              std::function<void(MailResult)> done) override;

private:
    int settleMs_;
};

} // namespace quelmar::station
