#include "app/ftp_connection.h"

#include "app/ftp_server.h"

#include <QHash>
#include <QRandomGenerator>
#include <QTcpSocket>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace quelmar::viewer {

namespace {

// Port p1 × 256 + p2 from two byte fields; nullopt for anything else.
std::optional<int> portFrom(const QString &high, const QString &low)
{
    bool okHigh = false, okLow = false;
    const int h = high.trimmed().toInt(&okHigh);
    const int l = low.trimmed().toInt(&okLow);
    if (!okHigh || !okLow || h < 0 || h > 255 || l < 0 || l > 255)
        return std::nullopt;
    return h * 256 + l;
}

QString argument(const QStringList &words, int index)
{
    return index < words.size() ? words.at(index) : QString();
}

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
    connect(socket_, &QTcpSocket::readyRead, this, &FtpConnection::readLines);
    connect(socket_, &QTcpSocket::disconnected, this, &FtpConnection::close);
    idle_.setSingleShot(true);
    idle_.setInterval(server.limits().controlIdleTimeout);
    connect(&idle_, &QTimer::timeout, this, &FtpConnection::onIdle);
    idle_.start();
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
    closing_ = true;
    idle_.stop();
    dropData();
    pending_.reset();
    pendingUpload_.reset();
    socket_->abort();
}

void FtpConnection::close()
{
    if (closing_)
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
    socket_->flush();
    close();
}

void FtpConnection::readLines()
{
    const qsizetype limit = server_.limits().maxLineLength + 2; // and CRLF
    idle_.start();
    while (!closing_ && socket_->bytesAvailable() > 0) {
        if (!socket_->canReadLine()) {
            if (socket_->bytesAvailable() <= limit)
                return;
            // A line this long is no command: refuse it once and drop it up to its end.
            socket_->skip(socket_->bytesAvailable());
            if (!std::exchange(discardingLine_, true))
                reply(QStringLiteral("500 Command line too long."));
            return;
        }
        const QByteArray line = socket_->readLine();
        if (std::exchange(discardingLine_, false))
            continue; // the tail of a refused line
        if (line.size() > limit) {
            reply(QStringLiteral("500 Command line too long."));
            continue;
        }
        execute(line);
    }
}

void FtpConnection::execute(const QByteArray &line)
{
    QByteArray raw = line;
    while (raw.endsWith('\n') || raw.endsWith('\r'))
        raw.chop(1);
    const QStringList words = QString::fromUtf8(raw).split(u' ');
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
    if (!closing_)
        socket_->write(text.toUtf8() + "\r\n");
}

// Session commands.

void FtpConnection::doUser(const QStringList &words)
{
    userName_ = argument(words, 1);
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
    socket_->flush();
    socket_->disconnectFromHost();
    close();
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
    reply(QStringLiteral("200 Type set to  %1.").arg(argument(words, 1)));
}

void FtpConnection::doOpts(const QStringList &words)
{
    reply(QStringLiteral("502 Unknown command '%1'").arg(argument(words, 1)));
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
    const QStringList fields = argument(words, 1).split(u',');
    const auto port = fields.size() == 6 ? portFrom(fields[4], fields[5]) : std::nullopt;
    if (!port || *port < 1024)
        return reply(QStringLiteral("500 Illegal PORT command."));
    openActive(*port);
    reply(QStringLiteral("200 PORT command successful."));
}

void FtpConnection::doLprt(const QStringList &words)
{
    const QStringList fields = argument(words, 1).split(u',');
    const auto port = fields.size() > 20 ? portFrom(fields[19], fields[20]) : std::nullopt;
    if (!port || *port < 1024)
        return reply(QStringLiteral("500 Illegal LPRT command."));
    openActive(*port);
    reply(
        QStringLiteral("228 Entering Long Passive Mode (%1,%2)").arg(*port >> 8).arg(*port & 0xff));
}

void FtpConnection::doEprt(const QStringList &words)
{
    const QStringList fields = argument(words, 1).split(u'|');
    bool ok = false;
    const int port = fields.size() > 3 ? fields[3].toInt(&ok) : 0;
    if (!ok || port < 1024 || port > 65535)
        return reply(QStringLiteral("500 Illegal EPRT command."));
    openActive(port);
    reply(QStringLiteral("200 EPRT command successful."));
}

void FtpConnection::openPassive(bool extended)
{
    dropData();
    const QHostAddress local = plainAddress(socket_->localAddress());
    auto *listener = new FtpPassiveListener(
        socket_->peerAddress(),
        [this](UniqueFd fd) {
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
    for (int attempt = 0; attempt < 32; ++attempt) {
        port = static_cast<quint16>(QRandomGenerator::global()->bounded(1024, 65536));
        if (listener->listen(local, port))
            break;
    }
    QTimer::singleShot(server_.limits().dataIdleTimeout, listener, &QTcpServer::close);
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
    if (pending_) {
        activeUpload_ = std::exchange(pendingUpload_, std::nullopt);
        data->start(std::move(*std::exchange(pending_, std::nullopt)));
    }
}

void FtpConnection::dropData()
{
    if (listener_) {
        listener_->close();
        listener_->deleteLater();
        listener_ = nullptr;
    }
    if (data_) {
        data_->abort();
        data_->deleteLater();
        data_ = nullptr;
    }
    activeUpload_.reset();
}

void FtpConnection::queue(FtpTransfer transfer, std::optional<Upload> upload)
{
    if (data_ && !data_->isBusy()) {
        activeUpload_ = std::move(upload);
        data_->start(std::move(transfer));
        return;
    }
    // Written as soon as a data connection is made.
    pending_ = std::move(transfer);
    pendingUpload_ = std::move(upload);
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
    finishTransfer();
    // A data connection that failed before carrying anything is the socket's own business.
    if (!hadTransfer)
        return;
    reply(failure == FtpDataConnection::Failure::File
              ? QStringLiteral("451 Requested action aborted: local error in processing.")
              : QStringLiteral("426 Connection closed; transfer aborted."));
}

void FtpConnection::finishTransfer()
{
    if (data_) {
        data_->deleteLater(); // still inside its own signal
        data_ = nullptr;
    }
}

// Uploads.

FtpConnection::Upload &FtpConnection::Upload::operator=(Upload &&other) noexcept
{
    if (this != &other) {
        discard();
        dir = std::move(other.dir);
        temporary = std::move(other.temporary);
        target = std::move(other.target);
    }
    return *this;
}

FtpConnection::Upload::~Upload()
{
    discard();
}

bool FtpConnection::Upload::commit()
{
    if (!dir || ::renameat(dir.get(), temporary.constData(), dir.get(), target.constData()) != 0)
        return false;
    dir.reset();
    return true;
}

void FtpConnection::Upload::discard()
{
    if (dir)
        ::unlinkat(dir.get(), temporary.constData(), 0);
    dir.reset();
}

} // namespace quelmar::viewer
