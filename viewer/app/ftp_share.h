// Sharing a directory over FTP outside the window: the address clients should use, and the
// headless share `orbilux --ftp-serve DIR [--port N] [--ftp-address A]` (its options are read
// by app/orbilux_options.h).
#pragma once

#include <QHostAddress>
#include <QString>

namespace quelmar::viewer {

constexpr quint16 kDefaultFtpPort = 2121;

// "ftp://HOST:PORT/" for a server listening on `address`: a server on every interface is
// shown with this machine's first non-loopback IPv4 address, or 127.0.0.1 when it has none.
QString ftpShareUrl(const QHostAddress &address, quint16 port);

struct FtpServeOptions {
    QString dir;
    quint16 port = kDefaultFtpPort;
    QHostAddress address = QHostAddress(QHostAddress::Any);
};

// Serves `options.dir` with changeRoot on until SIGINT or SIGTERM; prints the address clients
// should use as one line on standard output. Needs a QCoreApplication. 0 after a signal, 1
// when the server cannot start.
int runFtpServe(const FtpServeOptions &options);

} // namespace quelmar::viewer
