// Sharing a directory over FTP outside the window: the address clients should use, and the
// headless share `orbilux --ftp-serve DIR [--port N] [--ftp-address A]`.
#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <optional>

namespace quelmar::viewer {

constexpr quint16 kDefaultFtpPort = 2121;
// The exit code of a headless share refused for its arguments.
constexpr int kUsageExitCode = 2;

// "ftp://HOST:PORT/" for a server listening on `address`: a server on every interface is
// shown with this machine's first non-loopback IPv4 address, or 127.0.0.1 when it has none.
QString ftpShareUrl(const QHostAddress &address, quint16 port);

struct FtpServeOptions {
    QString dir;
    quint16 port = kDefaultFtpPort;
    QHostAddress address = QHostAddress(QHostAddress::Any);
};

struct FtpServeParse {
    std::optional<FtpServeOptions> options;
    QString error; // set when options is empty
};

// Whether the arguments ask for the headless share at all.
bool wantsFtpServe(const QStringList &arguments);
// The directory must exist; the port must lie in 1..65535; the address must parse.
FtpServeParse parseFtpServeOptions(const QStringList &arguments);

// Serves `options.dir` with changeRoot on until SIGINT or SIGTERM; prints the address clients
// should use as one line on standard output. Needs a QCoreApplication. 0 after a signal, 1
// when the server cannot start.
int runFtpServe(const FtpServeOptions &options);

} // namespace quelmar::viewer
