#include "ftp/ftp_connection.h"

#include "ftp/ftp_command_line.h"
#include "ftp/ftp_server.h"

#include <QHash>
#include <QRandomGenerator>
#include <QTcpSocket>

#include <algorithm>
#include <iterator>

namespace quelmar::viewer {

namespace {

// Commands wait unread while more reply bytes than this wait to be sent, so a client that
// sends without reading holds at most this much of the server's memory.
constexpr qint64 kReplyBacklog = 64 * 1024;
// How long the last replies may take to reach a peer before the connection is cut.
constexpr std::chrono::seconds kLinger(5);

const QString kCantOpenData = QStringLiteral("425 Can't open data connection.");

} // namespace

FtpConnection::Handler FtpConnection::handlerNamed(const QString &name)
{
    static const QHash<QString, Handler> handlers{
        {QStringLiteral("doUser"), &FtpConnection::doUser},
        {QStringLiteral("doPass"), &FtpConnection::doPass},
        {QStringLiteral("doQuit"), &FtpConnection::doQuit},
        {QStringLiteral("doStat"), &FtpConnection::doStat},
        {QStringLiteral("doFeat"), &FtpConnection::doFeat},
        {QStringLiteral("doPwd"), &FtpConnection::doPwd},
        {QStringLiteral("doNoop"), &FtpConnection::doNoop},
        {QStringLiteral("doSyst"), &FtpConnection::doSyst},
        {QStringLiteral("doType"), &FtpConnection::doType},
        {QStringLiteral("doOpts"), &FtpConnection::doOpts},
        {QStringLiteral("doCwd"), &FtpConnection::doCwd},
        {QStringLiteral("doCdUp"), &FtpConnection::doCdUp},
        {QStringLiteral("doPasv"), &FtpConnection::doPasv},
        {QStringLiteral("doEpsv"), &FtpConnection::doEpsv},
        {QStringLiteral("doPort"), &FtpConnection::doPort},
        {QStringLiteral("doLprt"), &FtpConnection::doLprt},
        {QStringLiteral("doEprt"), &FtpConnection::doEprt},
        {QStringLiteral("doList"), &FtpConnection::doList},
        {QStringLiteral("doNlst"), &FtpConnection::doNlst},
        {QStringLiteral("doRetr"), &FtpConnection::doRetr},
        {QStringLiteral("doStor"), &FtpConnection::doStor},
        {QStringLiteral("doDele"), &FtpConnection::doDele},
        {QStringLiteral("doSize"), &FtpConnection::doSize},
        {QStringLiteral("doMkdir"), &FtpConnection::doMkdir},
        {QStringLiteral("doRnfr"), &FtpConnection::doRnfr},
        {QStringLiteral("doRnto"), &FtpConnection::doRnto},
        {QStringLiteral("doMlst"), &FtpConnection::doMlst},
    };
    return handlers.value(name, nullptr);
}

FtpConnection::FtpConnection(QTcpSocket *socket, const FtpServer &server, QObject *parent)
    : QObject(parent), socket_(socket), server_(server)
{
    socket_->setParent(this);
    // Replies are small and come in pairs ("150" then "226"): with Nagle's algorithm the
    // second waits for the client's delayed acknowledgement of the first, some 40 ms.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // Bounded, so that commands left unread push back on the client instead of piling up
    // here; room for two longest lines, as a line too long is recognised only beyond one.
    socket_->setReadBufferSize(std::max<qint64>(kReplyBacklog, 2 * server.limits().maxLineLength));
    connect(socket_, &QTcpSocket::readyRead, this, &FtpConnection::readLines);
    connect(socket_, &QTcpSocket::bytesWritten, this, &FtpConnection::onRepliesWritten);
    connect(socket_, &QTcpSocket::disconnected, this, &FtpConnection::close);
    idle_.setSingleShot(true);
    idle_.setInterval(server.limits().controlIdleTimeout);
    connect(&idle_, &QTimer::timeout, this, &FtpConnection::onIdle);
    idle_.start();
    linger_.setSingleShot(true);
    linger_.setInterval(kLinger);
    connect(&linger_, &QTimer::timeout, this, &FtpConnection::close);
    passiveWait_.setSingleShot(true);
    connect(&passiveWait_, &QTimer::timeout, this, [this] {
        // Nobody came: whatever waits for this connection waits in vain.
        dropListener();
        refuseStranded();
    });
    reply(QStringLiteral("220 iosFtp server ready."));
}

FtpConnection::~FtpConnection()
{
    abort();
}

QString FtpConnection::visibleCurrentDir() const
{
    return server_.root().visiblePath(currentDir_, server_.changeRoot());
}

void FtpConnection::abort()
{
    closed_ = true;
    idle_.stop();
    linger_.stop();
    dropData();
    queued_.clear();
    socket_->abort();
}

void FtpConnection::endSession()
{
    if (closed_ || ending_)
        return;
    ending_ = true;
    idle_.stop();
    dropData();
    queued_.clear();
    linger_.start();
    // Closes once everything written has gone out; at once, with `disconnected`, when
    // nothing waits.
    socket_->disconnectFromHost();
}

void FtpConnection::close()
{
    if (closed_)
        return;
    abort();
    Q_EMIT closed();
}

void FtpConnection::onIdle()
{
    if (data_ && data_->isBusy()) {
        idle_.start(); // a long transfer keeps its session
        return;
    }
    reply(QStringLiteral("421 Idle time-out, closing the control connection."));
    endSession();
}

void FtpConnection::readLines()
{
    const qsizetype limit = server_.limits().maxLineLength + 2; // and CRLF
    idle_.start();
    while (!closed_ && !ending_) {
        inputPaused_ = socket_->bytesToWrite() > kReplyBacklog;
        if (inputPaused_)
            return; // onRepliesWritten() goes on
        qsizetype end = input_.indexOf('\n', inputPos_);
        if (end < 0) {
            if (socket_->bytesAvailable() == 0)
                return;
            // readAll(), not readLine(): only a read that empties the socket's buffer lets it
            // go on reading once that bounded buffer was full.
            input_.remove(0, std::exchange(inputPos_, 0));
            input_ += socket_->readAll();
            end = input_.indexOf('\n');
            if (end < 0) {
                if (input_.size() > limit) {
                    // A line this long is no command: refuse it once and drop it up to its end.
                    input_.clear();
                    if (!std::exchange(discardingLine_, true))
                        reply(QStringLiteral("500 Command line too long."));
                }
                continue;
            }
        }
        const QByteArray line = input_.mid(inputPos_, end + 1 - inputPos_);
        inputPos_ = end + 1;
        if (std::exchange(discardingLine_, false))
            continue; // the tail of a refused line
        if (line.size() > limit) {
            reply(QStringLiteral("500 Command line too long."));
            continue;
        }
        execute(line);
    }
}

void FtpConnection::onRepliesWritten()
{
    if (inputPaused_ && socket_->bytesToWrite() <= kReplyBacklog)
        readLines();
}

void FtpConnection::execute(const QByteArray &line)
{
    const QStringList words = commandWords(line);
    const QString &command = words.first();
    if (command.isEmpty())
        return;
    const Handler handler = handlerNamed(server_.commands().handlerFor(command.toLower()));
    if (!handler) {
        reply(QStringLiteral("500 '%1': command not understood.").arg(command));
        return;
    }
    (this->*handler)(words);
}

void FtpConnection::reply(const QString &text)
{
    if (!closed_ && !ending_)
        socket_->write(text.toUtf8() + "\r\n");
}

// Session commands.

void FtpConnection::doUser(const QStringList &words)
{
    userName_ = commandArgument(words, 1);
    reply(QStringLiteral("331 Password required for %1").arg(userName_));
}

void FtpConnection::doPass(const QStringList &)
{
    reply(QStringLiteral("230 User %1 logged in.").arg(userName_));
}

void FtpConnection::doQuit(const QStringList &)
{
    reply(QStringLiteral("221- Data traffic for this session was 0 bytes in 0 files"));
    reply(QStringLiteral("221 Thank you for using the FTP service on localhost."));
    endSession();
}

void FtpConnection::doStat(const QStringList &)
{
    reply(QStringLiteral("211-localhost FTP server status:"));
    reply(QStringLiteral("211 End of Status"));
}

void FtpConnection::doFeat(const QStringList &)
{
    // Names always travel as UTF-8.
    reply(QStringLiteral("211-Features supported"));
    reply(QStringLiteral(" UTF8"));
    reply(QStringLiteral("211 End"));
}

void FtpConnection::doPwd(const QStringList &)
{
    reply(QStringLiteral("257 \"%1\" is the current directory.").arg(visibleCurrentDir()));
}

void FtpConnection::doNoop(const QStringList &)
{
    reply(QStringLiteral("200 NOOP command successful."));
}

void FtpConnection::doSyst(const QStringList &)
{
    reply(QStringLiteral("215 UNIX Type: L8 Version: iosFtp 20080912"));
}

void FtpConnection::doType(const QStringList &words)
{
    // Transfers are always binary, whatever the client asks for.
    reply(QStringLiteral("200 Type set to  %1.").arg(commandArgument(words, 1)));
}

void FtpConnection::doOpts(const QStringList &words)
{
    reply(QStringLiteral("502 Unknown command '%1'").arg(commandArgument(words, 1)));
}

// Data connections.

void FtpConnection::doPasv(const QStringList &)
{
    openPassive(false);
}

void FtpConnection::doEpsv(const QStringList &)
{
    openPassive(true);
}

void FtpConnection::doPort(const QStringList &words)
{
    const auto port = activePort(ActiveRequest::Port, commandArgument(words, 1));
    if (!port)
        return reply(QStringLiteral("500 Illegal PORT command."));
    openActive(*port);
    reply(QStringLiteral("200 PORT command successful."));
}

void FtpConnection::doLprt(const QStringList &words)
{
    const auto port = activePort(ActiveRequest::Lprt, commandArgument(words, 1));
    if (!port)
        return reply(QStringLiteral("500 Illegal LPRT command."));
    openActive(*port);
    reply(
        QStringLiteral("228 Entering Long Passive Mode (%1,%2)").arg(*port >> 8).arg(*port & 0xff));
}

void FtpConnection::doEprt(const QStringList &words)
{
    const auto port = activePort(ActiveRequest::Eprt, commandArgument(words, 1));
    if (!port)
        return reply(QStringLiteral("500 Illegal EPRT command."));
    openActive(*port);
    reply(QStringLiteral("200 EPRT command successful."));
}

void FtpConnection::openPassive(bool extended)
{
    const QHostAddress local = plainAddress(socket_->localAddress());
    // PASV can only name an IPv4 address.
    if (!extended && local.protocol() != QAbstractSocket::IPv4Protocol)
        return reply(QStringLiteral("500 PASV not supported on IPv6, use EPSV."));
    dropData();
    auto *listener = new FtpPassiveListener(
        socket_->peerAddress(),
        [this](UniqueFd fd) {
            passiveWait_.stop();
            if (listener_)
                listener_->deleteLater(); // still inside its own call
            listener_ = nullptr;
            attach(new FtpDataConnection(std::move(fd), server_.limits().dataIdleTimeout, this));
        },
        this);
    listener_ = listener;
    // Ports are drawn at random so that the next one cannot be guessed; a taken one is
    // drawn again.
    quint16 port = 0;
    for (int attempt = 0; attempt < 32 && !listener->isListening(); ++attempt) {
        port = static_cast<quint16>(QRandomGenerator::global()->bounded(1024, 65536));
        listener->listen(local, port);
    }
    if (!listener->isListening()) {
        dropListener();
        refuseStranded();
        return reply(kCantOpenData);
    }
    passiveWait_.start(server_.limits().dataIdleTimeout);
    if (!extended) {
        const QString address = local.toString().replace(u'.', u',');
        reply(QStringLiteral("227 Entering Passive Mode (%1,%2,%3)")
                  .arg(address)
                  .arg(port >> 8)
                  .arg(port & 0xff));
    } else {
        reply(QStringLiteral("229 Entering Extended Passive Mode (|||%1|)").arg(port));
    }
}

void FtpConnection::openActive(int port)
{
    dropData();
    // Always the control connection's own peer, whatever address the command named.
    attach(new FtpDataConnection(
        FtpDataConnection::connectTo(socket_->peerAddress(), static_cast<quint16>(port)),
        server_.limits().dataIdleTimeout, this));
}

void FtpConnection::attach(FtpDataConnection *data)
{
    data_ = data;
    connect(data, &FtpDataConnection::sent, this, &FtpConnection::transferSent);
    connect(data, &FtpDataConnection::received, this, &FtpConnection::transferReceived);
    connect(data, &FtpDataConnection::failed, this, &FtpConnection::transferFailed);
    startNext();
}

void FtpConnection::dropListener()
{
    passiveWait_.stop();
    if (listener_) {
        listener_->close();
        listener_->deleteLater(); // possibly inside its own timer
        listener_ = nullptr;
    }
}

void FtpConnection::dropData()
{
    dropListener();
    if (data_) {
        if (data_->isBusy())
            reply(QStringLiteral("426 Connection closed; transfer aborted."));
        data_->abort();
        data_->deleteLater();
        data_ = nullptr;
    }
    activeUpload_.reset();
}

bool FtpConnection::dataCanCome() const
{
    return data_ || listener_;
}

void FtpConnection::queue(const QString &opening, FtpTransfer transfer,
                          std::optional<FtpUpload> upload)
{
    if (!dataCanCome())
        return reply(kCantOpenData);
    reply(opening);
    queued_.push_back(Queued{std::move(transfer), std::move(upload)});
    startNext();
}

void FtpConnection::startNext()
{
    if (!data_ || data_->isBusy() || queued_.empty())
        return;
    Queued next = std::move(queued_.front());
    queued_.pop_front();
    activeUpload_ = std::move(next.upload);
    data_->start(std::move(next.transfer));
}

void FtpConnection::transferSent()
{
    reply(QStringLiteral("226 Transfer complete."));
    finishTransfer();
}

void FtpConnection::transferReceived()
{
    const bool stored = activeUpload_ && activeUpload_->commit();
    activeUpload_.reset();
    reply(stored ? QStringLiteral("226 Transfer complete.")
                 : QStringLiteral("451 Requested action aborted: local error in processing."));
    if (stored)
        Q_EMIT fileListChanged();
    finishTransfer();
}

void FtpConnection::transferFailed(FtpDataConnection::Failure failure)
{
    const bool hadTransfer = data_ && data_->isBusy();
    activeUpload_.reset();
    // A data connection that failed before carrying anything is the socket's own business.
    if (hadTransfer) {
        using Failure = FtpDataConnection::Failure;
        reply(failure == Failure::File
                  ? QStringLiteral("451 Requested action aborted: local error in processing.")
              : failure == Failure::Unreachable
                  ? kCantOpenData
                  : QStringLiteral("426 Connection closed; transfer aborted."));
    }
    finishTransfer();
}

void FtpConnection::finishTransfer()
{
    if (data_) {
        data_->deleteLater(); // still inside its own signal
        data_ = nullptr;
    }
    // Each data connection carries one transfer; the rest can only wait for another.
    refuseStranded();
}

void FtpConnection::refuseStranded()
{
    if (dataCanCome())
        return;
    for (qsizetype i = std::ssize(queued_); i > 0; --i)
        reply(kCantOpenData);
    queued_.clear();
}

} // namespace quelmar::viewer
