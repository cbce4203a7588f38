// One FTP data connection: a raw non-blocking socket that sends a listing or a file (the
// file through sendfile, without copying it through user space) or receives an upload into
// a file (through splice), driven by socket notifiers on the owning thread's event loop.
// Also the passive listener that accepts a data connection from the control peer only.
#pragma once

#include "ftp/ftp_paths.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace quelmar::viewer {

// What one transfer moves: bytes and/or a file to send, or a file to receive into.
struct FtpTransfer {
    QByteArray bytes;
    UniqueFd file;
    bool receive = false;
};

class FtpDataConnection : public QObject {
    Q_OBJECT
public:
    enum class Failure {
        Unreachable, // the connection could not be made
        Connection,  // the peer went away or reset the connection
        File,        // the local file could not be read or written
        Timeout,     // nothing moved for the idle time-out
    };
    Q_ENUM(Failure)

    // Takes a connected socket, or one whose non-blocking connect is under way.
    FtpDataConnection(UniqueFd socket, std::chrono::milliseconds idleTimeout,
                      QObject *parent = nullptr);
    ~FtpDataConnection() override;
    Q_DISABLE_COPY_MOVE(FtpDataConnection)

    // Starts the transfer once connected; one transfer per connection.
    void start(FtpTransfer transfer);
    bool isBusy() const { return state_ == State::Transferring || hasTransfer_; }
    // Closes the socket at once; no signal follows.
    void abort();

    // A non-blocking connect to `address`:`port`; invalid when no socket could be made.
    static UniqueFd connectTo(const QHostAddress &address, quint16 port);

Q_SIGNALS:
    // Everything was handed to the peer and the connection is closed.
    void sent();
    // The peer ended the upload; the file is closed.
    void received(qint64 bytes);
    void failed(quelmar::viewer::FtpDataConnection::Failure failure);

private:
    enum class State { Connecting, Ready, Transferring, Done };

    void onWritable();
    void onReadable();
    void begin();
    void pumpSend();
    // False after a failure was reported.
    bool receiveSome(qint64 budget);
    bool spliceSome(qint64 *moved);
    bool copySome(qint64 *moved);
    void finish(bool success, Failure failure = Failure::Connection);
    void closeSocket();

    State state_ = State::Connecting;
    UniqueFd socket_;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
    QTimer idle_;

    FtpTransfer transfer_;
    bool hasTransfer_ = false;
    qsizetype bytesSent_ = 0;
    off_t fileOffset_ = 0;
    qint64 received_ = 0;
    UniqueFd pipeRead_;
    UniqueFd pipeWrite_;
    bool useSplice_ = true;
    std::unique_ptr<char[]> chunk_; // only when splice cannot be used
};

// Listens for one passive data connection and accepts it only from the control peer;
// anyone else is turned away and the listener keeps waiting.
class FtpPassiveListener : public QTcpServer {
    Q_OBJECT
public:
    FtpPassiveListener(QHostAddress peer, std::function<void(UniqueFd)> onAccepted,
                       QObject *parent = nullptr);

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    QHostAddress peer_;
    std::function<void(UniqueFd)> onAccepted_;
};

// An IPv4 address carried inside IPv6 becomes plain IPv4, so addresses compare as equal.
QHostAddress plainAddress(const QHostAddress &address);

} // namespace quelmar::viewer
