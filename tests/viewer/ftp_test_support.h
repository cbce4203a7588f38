// Helpers for the FTP server tests: a served directory beside an "outside" one with a server
// on 127.0.0.1, a control client spoken line by line, and outside clients run as child
// processes while this process's event loop keeps serving.
#pragma once

#include "ftp/ftp_server.h"

#include <QByteArray>
#include <QStringList>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <memory>

namespace quelmar::test {

// <tmp>/served is served with changeRoot on; <tmp>/outside must never be reached.
class FtpSite {
public:
    explicit FtpSite(const QString &commandTable = viewer::FtpCommandTable::builtInPath());

    QString served(const QString &relative = {}) const;
    QString outside(const QString &relative = {}) const;
    quint16 port() const { return server.port(); }
    QString url(const QString &path = {}) const;
    // Every file below outside(), with its content, to show nothing there changed.
    QMap<QString, QByteArray> outsideSnapshot() const;

    QTemporaryDir tmp;
    viewer::FtpServer server;
};

class ControlClient {
public:
    explicit ControlClient(quint16 port);

    // The reply to `line`: every line up to the final one of a multi-line reply, joined by
    // "\n"; empty when none came in time.
    QString send(const QByteArray &line);
    // The next reply without sending anything.
    QString reply();
    bool waitForDisconnected();

    QTcpSocket socket;
    QString greeting;

private:
    QString readLine();
};

// Runs EPSV and connects to the port it names; null when that fails.
std::unique_ptr<QTcpSocket> openPassiveData(ControlClient &control);

// Opens a passive data connection and sends `command`; the bytes that arrive and the
// replies (the 150 and the final one) in `replies`.
QByteArray passiveTransfer(ControlClient &control, const QByteArray &command,
                           QStringList *replies = nullptr);

struct ClientRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
// Runs an outside client to the end (at most a minute) with the event loop turning.
ClientRun runClient(const QString &program, const QStringList &arguments);

// Deterministic bytes that do not repeat in short periods.
QByteArray patternBytes(qsizetype size, quint32 seed);
QByteArray sha256Hex(const QByteArray &bytes);

} // namespace quelmar::test
