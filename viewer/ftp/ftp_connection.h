// One FTP control connection: reads command lines, answers them through the server's
// command table, keeps the session's directory and sets up its data connections.
#pragma once

#include "ftp/ftp_data_connection.h"
#include "ftp/ftp_paths.h"
#include "ftp/ftp_upload.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <optional>

class QTcpSocket;

namespace quelmar::viewer {

class FtpServer;

class FtpConnection : public QObject {
    Q_OBJECT
public:
    // Takes over `socket` and greets the client.
    FtpConnection(QTcpSocket *socket, const FtpServer &server, QObject *parent = nullptr);
    ~FtpConnection() override;
    Q_DISABLE_COPY_MOVE(FtpConnection)

    // The directory as the client sees it.
    QString visibleCurrentDir() const;
    // Closes the control and data connections at once; no signal follows.
    void abort();

Q_SIGNALS:
    // The session ended (QUIT, the client went away, or it stayed idle too long).
    void closed();
    void fileListChanged();

private:
    using Handler = void (FtpConnection::*)(const QStringList &);
    static Handler handlerNamed(const QString &name);

    // A transfer whose preliminary reply went out and that waits for a data connection.
    struct Queued {
        FtpTransfer transfer;
        std::optional<FtpUpload> upload;
    };

    void readLines();
    void onRepliesWritten();
    void execute(const QByteArray &line);
    void reply(const QString &text);
    // Sends what is still buffered, then closes; for QUIT and the idle time-out.
    void endSession();
    void close();
    void onIdle();

    // Path helpers; nullopt when the name leaves the served directory.
    std::optional<QString> pathOf(const QString &name) const;
    bool changeDirectory(const std::optional<QString> &relative);

    // Data connections.
    void openPassive(bool extended);
    void openActive(int port);
    void attach(FtpDataConnection *data);
    void dropListener();
    void dropData();
    bool dataCanCome() const;
    // Sends `opening` and queues the transfer, or refuses it when no data connection can come.
    void queue(const QString &opening, FtpTransfer transfer,
               std::optional<FtpUpload> upload = std::nullopt);
    void startNext();
    void transferSent();
    void transferReceived();
    void transferFailed(FtpDataConnection::Failure failure);
    void finishTransfer();
    void refuseStranded();

    // Handlers, named in the command table.
    void doUser(const QStringList &words);
    void doPass(const QStringList &words);
    void doQuit(const QStringList &words);
    void doStat(const QStringList &words);
    void doFeat(const QStringList &words);
    void doPwd(const QStringList &words);
    void doNoop(const QStringList &words);
    void doSyst(const QStringList &words);
    void doType(const QStringList &words);
    void doOpts(const QStringList &words);
    void doCwd(const QStringList &words);
    void doCdUp(const QStringList &words);
    void doPasv(const QStringList &words);
    void doEpsv(const QStringList &words);
    void doPort(const QStringList &words);
    void doLprt(const QStringList &words);
    void doEprt(const QStringList &words);
    void doList(const QStringList &words);
    void doNlst(const QStringList &words);
    void doRetr(const QStringList &words);
    void doStor(const QStringList &words);
    void doDele(const QStringList &words);
    void doSize(const QStringList &words);
    void doMkdir(const QStringList &words);
    void doRnfr(const QStringList &words);
    void doRnto(const QStringList &words);
    void doMlst(const QStringList &words);

    QTcpSocket *socket_; // child of this connection
    const FtpServer &server_;
    QTimer idle_;
    QTimer linger_;    // bounds how long endSession() waits for the peer to take the replies
    QByteArray input_; // command bytes taken from the socket, read from inputPos_ on
    qsizetype inputPos_ = 0;
    bool discardingLine_ = false;
    bool inputPaused_ = false; // too many replies wait to be sent
    bool ending_ = false;      // endSession() ran: no more commands or replies
    bool closed_ = false;

    QString currentDir_; // relative to the served directory
    QString userName_;
    std::optional<QString> renameFrom_;

    QPointer<FtpPassiveListener> listener_; // child; the waiting passive port
    // How long the passive port waits for its client. One timer, stopped with the port: a
    // timer per PASV outliving its port would pile up for the whole time-out.
    QTimer passiveWait_;
    QPointer<FtpDataConnection> data_;      // child; the current data connection
    std::deque<Queued> queued_;             // first in, first out
    std::optional<FtpUpload> activeUpload_; // belongs to the running transfer
};

} // namespace quelmar::viewer
