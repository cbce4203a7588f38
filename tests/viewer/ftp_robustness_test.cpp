// The FTP server under clients that misbehave or push its edges: replies a client does not
// read, transfers queued before their data connection, data connections that never come,
// the last replies of a session, deep trees and long names.
#include "ftp_test_support.h"
#include "temp_home.h"

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quelmar::test {
namespace {

constexpr int kWaitMs = 10000;
// The most reply bytes the server lets wait for a client that does not read, and room for
// the one reply that may cross that line.
constexpr qint64 kBacklogCap = 64 * 1024;
constexpr qint64 kLongestReply = 8 * 1024;

const QByteArray kNoopReply = "200 NOOP command successful.\r\n";

// A control connection to 127.0.0.1 whose receive buffer is small, so that replies it does
// not read back up into the server at once.
bool connectSmallReceiver(QTcpSocket &socket, quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int size = 4096;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size) != 0 ||
        ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        !socket.setSocketDescriptor(fd)) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    return true;
}

// Reads from `socket` as bytes arrive until `done` holds for what came, or the socket closes,
// or `ms` pass; calls `onEvent` after every read.
QByteArray readUntil(QTcpSocket &socket, const std::function<bool(const QByteArray &)> &done,
                     const std::function<void()> &onEvent, int ms)
{
    QByteArray got = socket.readAll();
    if (done(got))
        return got;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] {
        got += socket.readAll();
        onEvent();
        if (done(got))
            loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    deadline.start(ms);
    loop.exec();
    return got + socket.readAll();
}

QByteArray noops(int count)
{
    return QByteArray("NOOP\r\n").repeated(count);
}

TEST(FtpBackpressure, CommandsWaitWhileRepliesAreNotRead)
{
    FtpSite site;
    QTcpSocket client;
    ASSERT_TRUE(connectSmallReceiver(client, site.port()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.canReadLine(); }, kWaitMs));
    EXPECT_EQ(client.readLine(), "220 iosFtp server ready.\r\n");
    QTcpSocket *server = site.server.findChild<QTcpSocket *>();
    ASSERT_NE(server, nullptr);

    // Far more replies than the kernel's buffers between the two sockets hold.
    constexpr int kCommands = 400000;
    client.write(noops(kCommands));
    qint64 most = 0;
    const auto note = [&] { most = std::max(most, server->bytesToWrite()); };
    // Once the server stops taking commands, those that keep arriving fill its input buffer.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            note();
            return server->readBufferSize() > 0 &&
                   server->bytesAvailable() >= server->readBufferSize();
        },
        30000));
    EXPECT_GT(server->bytesToWrite(), 0);
    EXPECT_LE(most, kBacklogCap + kLongestReply);

    const qsizetype expected = kNoopReply.size() * kCommands;
    const QByteArray got = readUntil(
        client, [&](const QByteArray &bytes) { return bytes.size() >= expected; }, note, 60000);
    EXPECT_EQ(got.size(), expected);
    EXPECT_TRUE(got == kNoopReply.repeated(kCommands));
    EXPECT_LE(most, kBacklogCap + kLongestReply);

    client.write("NOOP\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.canReadLine(); }, kWaitMs));
    EXPECT_EQ(client.readLine(), kNoopReply);
}

TEST(FtpSessionEnd, QuitDeliversItsRepliesAfterPendingOutput)
{
    FtpSite site;
    QTcpSocket client;
    ASSERT_TRUE(connectSmallReceiver(client, site.port()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.canReadLine(); }, kWaitMs));
    EXPECT_EQ(client.readLine(), "220 iosFtp server ready.\r\n");
    // Small kernel buffers on both sides, so that QUIT finds replies still waiting in the
    // server's own buffer.
    QTcpSocket *server = site.server.findChild<QTcpSocket *>();
    ASSERT_NE(server, nullptr);
    server->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 4096);
    constexpr int kCommands = 50000;
    client.write(noops(kCommands) + "QUIT\r\n");
    const QByteArray got = readUntil(
        client, [](const QByteArray &) { return false; }, [] {}, 60000);
    EXPECT_EQ(client.state(), QAbstractSocket::UnconnectedState);
    const QByteArray quit = "221- Data traffic for this session was 0 bytes in 0 files\r\n"
                            "221 Thank you for using the FTP service on localhost.\r\n";
    EXPECT_EQ(got.size(), kNoopReply.size() * kCommands + quit.size());
    EXPECT_TRUE(got == kNoopReply.repeated(kCommands) + quit);
    EXPECT_TRUE(QTest::qWaitFor([&] { return site.server.connectionCount() == 0; }, kWaitMs));
}

TEST(FtpQueue, TransfersSentBeforeTheDataConnectionWaitInOrder)
{
    FtpSite site;
    writeAll(site.served("a.txt"), "a");
    ControlClient control(site.port());
    const quint16 port = control.send("EPSV").section(u'|', 3, 3).toUShort();
    ASSERT_NE(port, 0);
    EXPECT_EQ(control.send("RETR a.txt"), "150 Opening BINARY mode data connection for 'a.txt'.");
    EXPECT_EQ(control.send("LIST"), "150 Opening ASCII mode data connection for '/bin/ls'.");

    QTcpSocket data;
    data.connectToHost(QHostAddress::LocalHost, port);
    QByteArray bytes;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            bytes += data.readAll();
            return data.state() == QAbstractSocket::UnconnectedState;
        },
        kWaitMs));
    bytes += data.readAll();
    // The first transfer went over the connection; the second has none left to use.
    EXPECT_EQ(bytes, QByteArray("a"));
    EXPECT_EQ(control.reply(), "226 Transfer complete.");
    EXPECT_EQ(control.reply(), "425 Can't open data connection.");
    EXPECT_EQ(control.send("NOOP"), "200 NOOP command successful.");
}

TEST(FtpQueue, TransferWithoutAnyDataConnectionIsRefused)
{
    FtpSite site;
    writeAll(site.served("a.txt"), "a");
    ControlClient control(site.port());
    EXPECT_EQ(control.send("LIST"), "425 Can't open data connection.");
    EXPECT_EQ(control.send("RETR a.txt"), "425 Can't open data connection.");
    EXPECT_EQ(control.send("STOR b.txt"), "425 Can't open data connection.");
    EXPECT_EQ(QDir(site.served()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.txt"});
}

TEST(FtpQueue, PassivePortNobodyConnectsToEndsWith425)
{
    FtpSite site;
    auto limits = site.server.limits();
    limits.dataIdleTimeout = std::chrono::milliseconds(200);
    site.server.setLimits(limits);
    ControlClient control(site.port());
    ASSERT_TRUE(control.send("EPSV").startsWith("229 "));
    EXPECT_EQ(control.send("LIST"), "150 Opening ASCII mode data connection for '/bin/ls'.");
    EXPECT_EQ(control.reply(), "425 Can't open data connection.");
    EXPECT_EQ(control.send("LIST"), "425 Can't open data connection.");
}

// Every PASV replaces the waiting port; what timed the old one goes with it, instead of
// staying queued in the event loop for the whole time-out (minutes) per command.
TEST(FtpQueue, ReplacedPassivePortsLeaveNoTimersBehind)
{
    FtpSite site;
    ControlClient control(site.port());
    ASSERT_TRUE(control.send("EPSV").startsWith("229 "));
    const qsizetype before = QAbstractEventDispatcher::instance()->children().size();
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(control.send(i % 2 ? "EPSV" : "PASV").startsWith("22")) << i;
    EXPECT_LT(QAbstractEventDispatcher::instance()->children().size(), before + 20);
}

TEST(FtpQueue, FailedActiveConnectEndsWith425)
{
    FtpSite site;
    writeAll(site.served("a.txt"), "a");
    // A port this test held and let go: nothing listens there now.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    ControlClient control(site.port());
    EXPECT_EQ(control.send(
                  QStringLiteral("PORT 127,0,0,1,%1,%2").arg(port >> 8).arg(port & 255).toUtf8()),
              "200 PORT command successful.");
    // The refusal may arrive before or after RETR is read.
    const QString first = control.send("RETR a.txt");
    if (first.startsWith("150 "))
        EXPECT_EQ(control.reply(), "425 Can't open data connection.");
    else
        EXPECT_EQ(first, "425 Can't open data connection.");
    EXPECT_EQ(control.send("NOOP"), "200 NOOP command successful.");
}

TEST(FtpUploadNames, NameOfTheLongestLengthUploads)
{
    FtpSite site;
    const QByteArray name = QByteArray(236, 'n') + ".bin";
    ASSERT_EQ(name.size(), 240);
    ControlClient control(site.port());
    const auto data = openPassiveData(control);
    ASSERT_TRUE(data);
    EXPECT_EQ(control.send("STOR " + name),
              "150 Opening BINARY mode data connection for '" + name + "'.");
    const QByteArray payload = patternBytes(100003, 7);
    data->write(payload);
    data->disconnectFromHost();
    EXPECT_EQ(control.reply(), "226 Transfer complete.");
    EXPECT_EQ(readAll(site.served(QString::fromLatin1(name))), payload);
    EXPECT_EQ(QDir(site.served()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QString::fromLatin1(name)});
}

TEST(FtpDelete, TreeDeeperThanTheLimitIsRefusedWhole)
{
    FtpSite site;
    const QString allowed = QStringLiteral("ok") + QStringLiteral("/d").repeated(64);
    const QString tooDeep = QStringLiteral("deep") + QStringLiteral("/d").repeated(65);
    ASSERT_TRUE(writeAll(site.served(allowed + "/f.txt"), "f"));
    ASSERT_TRUE(writeAll(site.served(tooDeep + "/f.txt"), "f"));
    ASSERT_TRUE(writeAll(site.served("deep/shallow.txt"), "s"));
    ControlClient control(site.port());
    EXPECT_EQ(control.send("DELE deep"), "550 deep DELE command unsuccessful.");
    EXPECT_EQ(readAll(site.served(tooDeep + "/f.txt")), "f");
    EXPECT_EQ(readAll(site.served("deep/shallow.txt")), "s");
    EXPECT_EQ(control.send("DELE ok"), "250 ok DELE command successful.");
    EXPECT_FALSE(QFileInfo::exists(site.served("ok")));
}

TEST(FtpIpv6, PasvIsRefusedAndEpsvOffered)
{
    QTemporaryDir dir;
    viewer::FtpServer server;
    if (!server.start(dir.path(), 0, QHostAddress::LocalHostIPv6))
        GTEST_SKIP() << "no IPv6 loopback";
    QTcpSocket control;
    control.connectToHost(QHostAddress::LocalHostIPv6, server.port());
    const auto line = [&]() -> QByteArray {
        if (!QTest::qWaitFor([&] { return control.canReadLine(); }, kWaitMs))
            return {};
        return control.readLine().trimmed();
    };
    EXPECT_EQ(line(), "220 iosFtp server ready.");
    control.write("PASV\r\n");
    EXPECT_EQ(line(), "500 PASV not supported on IPv6, use EPSV.");
    control.write("EPSV\r\n");
    EXPECT_TRUE(line().startsWith("229 Entering Extended Passive Mode (|||"));
}

} // namespace
} // namespace quelmar::test
