// The viewer's FTP file server: serves one directory tree (the workspace) to FTP clients,
// confined to that tree, on the event loop of the thread that owns it. Any user name and
// password are accepted.
#pragma once

#include "ftp/ftp_command_table.h"

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>

#include <chrono>
#include <memory>
#include <vector>

namespace quelmar::viewer {

class FtpConnection;
class FtpRoot;

struct FtpLimits {
    int maxConnections = 128;
    // Longest command line, without its line end.
    qsizetype maxLineLength = 4096;
    std::chrono::milliseconds controlIdleTimeout = std::chrono::minutes(15);
    std::chrono::milliseconds dataIdleTimeout = std::chrono::minutes(5);
};

class FtpServer : public QObject {
    Q_OBJECT
public:
    // `commandTable` is the property list of command words; the built-in one by default.
    explicit FtpServer(QObject *parent = nullptr);
    explicit FtpServer(const QString &commandTable, QObject *parent = nullptr);
    ~FtpServer() override;
    Q_DISABLE_COPY_MOVE(FtpServer)

    // Serves `baseDir` on `port` (0 picks a free port) of `address`. False, with
    // errorString(), when the directory cannot be opened or the port not listened on.
    bool start(const QString &baseDir, quint16 port,
               const QHostAddress &address = QHostAddress::Any);
    // Closes the listening socket and every session.
    void stop();

    bool isListening() const { return listener_.isListening(); }
    quint16 port() const { return listener_.serverPort(); }
    // The canonical path of the served directory; empty before start().
    QString baseDir() const;
    QString errorString() const { return error_; }

    // With changeRoot, clients see the served directory as "/"; without it they see the
    // machine's paths. Either way nothing outside the served directory is reachable.
    bool changeRoot() const { return changeRoot_; }
    void setChangeRoot(bool on) { changeRoot_ = on; }

    const FtpLimits &limits() const { return limits_; }
    // Applies to sessions and transfers that begin afterwards.
    void setLimits(const FtpLimits &limits) { limits_ = limits; }

    int connectionCount() const { return static_cast<int>(connections_.size()); }

    // For the sessions.
    const FtpRoot &root() const { return *root_; }
    const FtpCommandTable &commands() const { return commands_; }

Q_SIGNALS:
    // A client opened a control connection.
    void cmdComing();
    // A client stored, deleted, renamed or created something.
    void fileListChanged();

private:
    void acceptConnections();
    void forget(FtpConnection *connection);

    FtpCommandTable commands_;
    QTcpServer listener_;
    std::unique_ptr<FtpRoot> root_;
    std::vector<FtpConnection *> connections_; // children of this server
    FtpLimits limits_;
    bool changeRoot_ = false;
    QString error_;
};

} // namespace quelmar::viewer
