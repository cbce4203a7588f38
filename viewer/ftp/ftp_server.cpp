#include "ftp/ftp_server.h"

#include "ftp/ftp_connection.h"
#include "ftp/ftp_paths.h"

#include <QTcpSocket>

#include <algorithm>
#include <csignal>
#include <mutex>

namespace quelmar::viewer {

namespace {

// sendfile() has no MSG_NOSIGNAL: a data peer that went away would raise SIGPIPE, whose
// default ends the process. Every other socket write (Qt's, and send() on data connections)
// passes MSG_NOSIGNAL, so ignoring the signal changes nothing else here; a handler the
// program installed itself is left alone.
void ignoreSigpipe()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            ::signal(SIGPIPE, SIG_IGN);
    });
}

} // namespace

FtpServer::FtpServer(QObject *parent) : FtpServer(FtpCommandTable::builtInPath(), parent) {}

FtpServer::FtpServer(const QString &commandTable, QObject *parent)
    : QObject(parent), commands_(FtpCommandTable::load(commandTable))
{
    connect(&listener_, &QTcpServer::newConnection, this, &FtpServer::acceptConnections);
}

FtpServer::~FtpServer()
{
    stop();
    // Sessions go before the directory they point into.
    qDeleteAll(findChildren<FtpConnection *>(Qt::FindDirectChildrenOnly));
}

bool FtpServer::start(const QString &baseDir, quint16 port, const QHostAddress &address)
{
    stop();
    auto root = std::make_unique<FtpRoot>(baseDir);
    if (!root->isValid()) {
        error_ = tr("The directory %1 cannot be opened.").arg(baseDir);
        return false;
    }
    if (!listener_.listen(address, port)) {
        error_ = listener_.errorString();
        return false;
    }
    ignoreSigpipe();
    root_ = std::move(root);
    error_.clear();
    return true;
}

void FtpServer::stop()
{
    listener_.close();
    for (FtpConnection *connection : std::exchange(connections_, {})) {
        connection->abort();
        connection->deleteLater(); // stop() may run inside one of its signals
    }
}

QString FtpServer::baseDir() const
{
    return root_ ? root_->path() : QString();
}

void FtpServer::acceptConnections()
{
    while (QTcpSocket *socket = listener_.nextPendingConnection()) {
        if (connectionCount() >= limits_.maxConnections) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            socket->write("421 Too many connections.\r\n");
            socket->disconnectFromHost();
            continue;
        }
        auto *connection = new FtpConnection(socket, *this, this);
        connections_.push_back(connection);
        connect(connection, &FtpConnection::closed, this,
                [this, connection] { forget(connection); });
        connect(connection, &FtpConnection::fileListChanged, this, &FtpServer::fileListChanged);
        Q_EMIT cmdComing();
    }
}

void FtpServer::forget(FtpConnection *connection)
{
    const auto it = std::find(connections_.begin(), connections_.end(), connection);
    if (it == connections_.end())
        return;
    connections_.erase(it);
    connection->deleteLater(); // it is still inside its own signal
}

} // namespace quelmar::viewer
