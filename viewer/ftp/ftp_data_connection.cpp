#include "ftp/ftp_data_connection.h"

#include <QSocketNotifier>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quelmar::viewer {

namespace {

constexpr size_t kSpliceChunk = 1 << 20;
constexpr size_t kCopyChunk = 256 * 1024;
// Bytes received per notifier call before the event loop gets its turn again.
constexpr qint64 kReceiveBudget = 64 << 20;

// Bytes sent per notifier call, so that a fast reader does not hold the event loop for a
// whole file.
constexpr qint64 kSendBudget = 32 << 20;

bool wouldBlock()
{
    return errno == EAGAIN || errno == EWOULDBLOCK;
}

} // namespace

QHostAddress plainAddress(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

FtpDataConnection::FtpDataConnection(UniqueFd socket, std::chrono::milliseconds idleTimeout,
                                     QObject *parent)
    : QObject(parent), socket_(std::move(socket))
{
    idle_.setSingleShot(true);
    idle_.setInterval(idleTimeout);
    connect(&idle_, &QTimer::timeout, this, [this] {
        finish(false, state_ == State::Connecting ? Failure::Unreachable : Failure::Timeout);
    });
    if (!socket_) {
        // Reported from the event loop so the owner has connected to the signals by then.
        QTimer::singleShot(0, this, [this] { finish(false, Failure::Unreachable); });
        return;
    }
    ::fcntl(socket_.get(), F_SETFL, ::fcntl(socket_.get(), F_GETFL) | O_NONBLOCK);
    // A listing or a small file ends in a short segment that Nagle's algorithm would hold
    // back until the client acknowledges the one before.
    const int noDelay = 1;
    ::setsockopt(socket_.get(), IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    readNotifier_ = std::make_unique<QSocketNotifier>(socket_.get(), QSocketNotifier::Read);
    readNotifier_->setEnabled(false);
    connect(readNotifier_.get(), &QSocketNotifier::activated, this, &FtpDataConnection::onReadable);
    // A connect in progress and a connected socket both report writable first.
    writeNotifier_ = std::make_unique<QSocketNotifier>(socket_.get(), QSocketNotifier::Write);
    connect(writeNotifier_.get(), &QSocketNotifier::activated, this,
            &FtpDataConnection::onWritable);
    idle_.start();
}

FtpDataConnection::~FtpDataConnection()
{
    closeSocket();
}

UniqueFd FtpDataConnection::connectTo(const QHostAddress &address, quint16 port)
{
    const QHostAddress target = plainAddress(address);
    sockaddr_storage storage{};
    socklen_t length = 0;
    if (target.protocol() == QAbstractSocket::IPv4Protocol) {
        auto *in = reinterpret_cast<sockaddr_in *>(&storage);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        in->sin_addr.s_addr = htonl(target.toIPv4Address());
        length = sizeof *in;
    } else {
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(&storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = target.toIPv6Address();
        std::memcpy(&in6->sin6_addr, bytes.c, sizeof bytes.c);
        length = sizeof *in6;
    }
    UniqueFd fd(::socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (fd && ::connect(fd.get(), reinterpret_cast<sockaddr *>(&storage), length) != 0 &&
        errno != EINPROGRESS)
        return {};
    return fd;
}

void FtpDataConnection::start(FtpTransfer transfer)
{
    transfer_ = std::move(transfer);
    hasTransfer_ = true;
    if (state_ == State::Ready)
        begin();
}

void FtpDataConnection::abort()
{
    disconnect(this, nullptr, nullptr, nullptr);
    idle_.stop();
    state_ = State::Done;
    closeSocket();
}

void FtpDataConnection::closeSocket()
{
    readNotifier_.reset();
    writeNotifier_.reset();
    socket_.reset();
}

void FtpDataConnection::onWritable()
{
    if (state_ == State::Connecting) {
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(socket_.get(), SOL_SOCKET, SO_ERROR, &error, &length);
        if (error != 0) {
            finish(false, Failure::Unreachable);
            return;
        }
        writeNotifier_->setEnabled(false);
        state_ = State::Ready;
        idle_.start();
        if (hasTransfer_)
            begin();
        return;
    }
    if (state_ == State::Transferring)
        pumpSend();
}

void FtpDataConnection::begin()
{
    state_ = State::Transferring;
    idle_.start();
    if (!transfer_.receive) {
        pumpSend();
        return;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        pipeRead_.reset(fds[0]);
        pipeWrite_.reset(fds[1]);
        ::fcntl(pipeWrite_.get(), F_SETPIPE_SZ, static_cast<int>(kSpliceChunk));
    } else {
        useSplice_ = false;
    }
    readNotifier_->setEnabled(true);
}

void FtpDataConnection::pumpSend()
{
    writeNotifier_->setEnabled(false);
    const QByteArray &bytes = transfer_.bytes;
    qint64 budget = kSendBudget;
    while (bytesSent_ < bytes.size() && budget > 0) {
        const ssize_t n = ::send(
            socket_.get(), bytes.constData() + bytesSent_,
            static_cast<size_t>(std::min<qint64>(bytes.size() - bytesSent_, budget)), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            if (!wouldBlock())
                return finish(false, Failure::Connection);
            writeNotifier_->setEnabled(true);
            return;
        }
        bytesSent_ += n;
        budget -= n;
        idle_.start();
    }
    // SIGPIPE is ignored while a server runs (FtpServer::start), so a peer that went away
    // shows as EPIPE here.
    while (transfer_.file && budget > 0) {
        const ssize_t n = ::sendfile(socket_.get(), transfer_.file.get(), &fileOffset_,
                                     static_cast<size_t>(budget));
        if (n == 0)
            break; // end of file
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            if (!wouldBlock())
                return finish(false, errno == EPIPE || errno == ECONNRESET ? Failure::Connection
                                                                           : Failure::File);
            writeNotifier_->setEnabled(true);
            return;
        }
        budget -= n;
        idle_.start();
    }
    if (budget <= 0) {
        // Goes on when the socket next takes data, after other events had their turn.
        writeNotifier_->setEnabled(true);
        return;
    }
    finish(true);
}

void FtpDataConnection::onReadable()
{
    if (state_ == State::Transferring && transfer_.receive)
        receiveSome(kReceiveBudget);
    else
        readNotifier_->setEnabled(false);
}

bool FtpDataConnection::receiveSome(qint64 budget)
{
    while (budget > 0) {
        qint64 moved = 0;
        const bool ok = useSplice_ ? spliceSome(&moved) : copySome(&moved);
        if (!ok)
            return false;
        if (moved < 0)
            return true; // nothing more for now
        if (moved == 0) {
            finish(true);
            return true;
        }
        received_ += moved;
        budget -= moved;
        idle_.start();
    }
    return true;
}

// Moves one chunk socket -> pipe -> file in the kernel. *moved: bytes, 0 at the end of the
// upload, -1 when the socket has nothing now.
bool FtpDataConnection::spliceSome(qint64 *moved)
{
    const ssize_t in = ::splice(socket_.get(), nullptr, pipeWrite_.get(), nullptr, kSpliceChunk,
                                SPLICE_F_MOVE | SPLICE_F_NONBLOCK);
    if (in < 0) {
        if (errno == EINVAL && received_ == 0) {
            useSplice_ = false; // a file system without splice: copy instead
            return copySome(moved);
        }
        if (wouldBlock() || errno == EINTR) {
            *moved = -1;
            return true;
        }
        finish(false, Failure::Connection);
        return false;
    }
    for (ssize_t left = in; left > 0;) {
        const ssize_t out = ::splice(pipeRead_.get(), nullptr, transfer_.file.get(), nullptr,
                                     static_cast<size_t>(left), SPLICE_F_MOVE);
        if (out < 0 && errno == EINTR)
            continue;
        if (out <= 0) {
            finish(false, Failure::File);
            return false;
        }
        left -= out;
    }
    *moved = in;
    return true;
}

bool FtpDataConnection::copySome(qint64 *moved)
{
    if (!chunk_)
        chunk_ = std::make_unique<char[]>(kCopyChunk);
    const ssize_t in = ::recv(socket_.get(), chunk_.get(), kCopyChunk, 0);
    if (in < 0) {
        if (wouldBlock() || errno == EINTR) {
            *moved = -1;
            return true;
        }
        finish(false, Failure::Connection);
        return false;
    }
    for (ssize_t done = 0; done < in;) {
        const ssize_t out =
            ::write(transfer_.file.get(), chunk_.get() + done, static_cast<size_t>(in - done));
        if (out < 0 && errno == EINTR)
            continue;
        if (out <= 0) {
            finish(false, Failure::File);
            return false;
        }
        done += out;
    }
    *moved = in;
    return true;
}

void FtpDataConnection::finish(bool success, Failure failure)
{
    if (state_ == State::Done)
        return;
    state_ = State::Done;
    idle_.stop();
    closeSocket();
    const bool wasReceive = transfer_.receive;
    // A file that cannot be closed cleanly may not have kept what was written.
    const bool closed = !transfer_.file || ::close(transfer_.file.release()) == 0;
    pipeRead_.reset();
    pipeWrite_.reset();
    if (success && wasReceive && !closed) {
        success = false;
        failure = Failure::File;
    }
    if (!success)
        Q_EMIT failed(failure);
    else if (wasReceive)
        Q_EMIT received(received_);
    else
        Q_EMIT sent();
}

FtpPassiveListener::FtpPassiveListener(QHostAddress peer, std::function<void(UniqueFd)> onAccepted,
                                       QObject *parent)
    : QTcpServer(parent), peer_(plainAddress(peer)), onAccepted_(std::move(onAccepted))
{}

void FtpPassiveListener::incomingConnection(qintptr socketDescriptor)
{
    UniqueFd fd(static_cast<int>(socketDescriptor));
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    if (::getpeername(fd.get(), reinterpret_cast<sockaddr *>(&storage), &length) != 0)
        return;
    QHostAddress from(reinterpret_cast<sockaddr *>(&storage));
    if (plainAddress(from) != peer_)
        return; // someone else racing for the port: closed, and the wait goes on
    close();
    onAccepted_(std::move(fd));
}

} // namespace quelmar::viewer
