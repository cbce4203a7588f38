#include "app/ftp_share.h"

#include "ftp/ftp_server.h"
#include <cli/quit_on_signals.h>

#include <QCoreApplication>
#include <QNetworkInterface>

#include <cstdio>

namespace quelmar::viewer {

namespace {

QString firstOutsideIpv4()
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        const auto entries = interface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            const QHostAddress ip = entry.ip();
            if (ip.protocol() == QAbstractSocket::IPv4Protocol && !ip.isLoopback())
                return ip.toString();
        }
    }
    return QStringLiteral("127.0.0.1");
}

bool isEveryInterface(const QHostAddress &address)
{
    return address == QHostAddress(QHostAddress::Any) ||
           address == QHostAddress(QHostAddress::AnyIPv4) ||
           address == QHostAddress(QHostAddress::AnyIPv6);
}

void printLine(std::FILE *stream, const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stream);
    std::fflush(stream);
}

} // namespace

QString ftpShareUrl(const QHostAddress &address, quint16 port)
{
    QString host = isEveryInterface(address) ? firstOutsideIpv4() : address.toString();
    // A literal IPv6 address needs brackets inside a URL.
    if (host.contains(u':'))
        host = u'[' + host + u']';
    return QStringLiteral("ftp://%1:%2/").arg(host).arg(port);
}

int runFtpServe(const FtpServeOptions &options)
{
    cli::QuitOnSignals quitOnSignals;
    if (!quitOnSignals.isValid()) {
        printLine(stderr, QStringLiteral("orbilux: the signal handlers cannot be installed."));
        return 1;
    }
    FtpServer server;
    // Clients see the shared directory as "/" and nothing of the machine's paths.
    server.setChangeRoot(true);
    if (!server.start(options.dir, options.port, options.address)) {
        printLine(stderr, QStringLiteral("orbilux: cannot share %1 on port %2: %3")
                              .arg(options.dir)
                              .arg(options.port)
                              .arg(server.errorString()));
        return 1;
    }
    printLine(stdout, QStringLiteral("Sharing %1 at %2")
                          .arg(server.baseDir(), ftpShareUrl(options.address, server.port())));
    QCoreApplication::exec();
    server.stop();
    return 0;
}

} // namespace quelmar::viewer
