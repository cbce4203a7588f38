// The FTP server spoken to line by line: exact replies, confinement to the served directory,
// the listing format, and the limits that keep a client from holding or harming the server.
#include "ftp_test_support.h"
#include "temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <vector>

namespace quelmar::test {
namespace {

struct Step {
    const char *command;
    const char *reply; // lines joined by "\n"; %BASE% is the served directory's real path
};

struct Dialogue {
    const char *name;
    bool changeRoot;
    std::vector<Step> steps;
    friend void PrintTo(const Dialogue &d, std::ostream *os) { *os << d.name; }
};

class FtpDialogue : public ::testing::TestWithParam<Dialogue> {};

TEST_P(FtpDialogue, RepliesExactly)
{
    FtpSite site;
    site.server.setChangeRoot(GetParam().changeRoot);
    writeAll(site.served("small.bin"), QByteArray(10239, 'x'));
    writeAll(site.served("big.bin"), QByteArray(10240, 'x'));
    writeAll(site.served("a.txt"), "a");
    writeAll(site.served("two words.txt"), "two");
    writeAll(site.served("dir/inner.txt"), "inner");
    QDir().mkpath(site.served("existing"));
    const QString base = QFileInfo(site.served()).canonicalFilePath();

    ControlClient control(site.port());
    ASSERT_EQ(control.greeting, "220 iosFtp server ready.");
    for (const Step &step : GetParam().steps) {
        const QString command = QString::fromUtf8(step.command).replace("%BASE%", base);
        EXPECT_EQ(control.send(command.toUtf8()),
                  QString::fromUtf8(step.reply).replace("%BASE%", base))
            << "after " << step.command;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, FtpDialogue,
    ::testing::Values(
        Dialogue{"Login",
                 true,
                 {{"USER x", "331 Password required for x"}, {"PASS y", "230 User x logged in."}}},
        Dialogue{"Session",
                 true,
                 {{"TYPE I", "200 Type set to  I."},
                  {"OPTS UTF8 ON", "502 Unknown command 'UTF8'"},
                  {"SYST", "215 UNIX Type: L8 Version: iosFtp 20080912"},
                  {"FEAT", "211-Features supported\n UTF8\n211 End"},
                  {"STAT", "211-localhost FTP server status:\n211 End of Status"},
                  {"noop", "200 NOOP command successful."}}},
        Dialogue{"UnknownCommandKeepsConnection",
                 true,
                 {{"XYZ abc", "500 'XYZ': command not understood."},
                  {"NOOP", "200 NOOP command successful."}}},
        Dialogue{"Size",
                 true,
                 {{"SIZE small.bin", "213 10239"},
                  {"SIZE big.bin", "213 10240"},
                  {"SIZE dir", "550 dir file too large for SIZE."},
                  {"SIZE -a small.bin", "213 10239"},
                  {"SIZE two words.txt", "213 3"},
                  {"SIZE none", "550 none No such file or directory."}}},
        Dialogue{"Rename",
                 true,
                 {{"RNTO b.txt", "550 RNTO command failed."},
                  {"RNFR missing", "550 RNFR command failed."},
                  {"RNFR a.txt", "350 RNFR command successful."},
                  {"RNTO two words.txt", "550 RNTO command failed."},
                  {"SIZE two words.txt", "213 3"},
                  {"RNFR dir", "350 RNFR command successful."},
                  {"RNTO existing", "550 RNTO command failed."},
                  {"SIZE existing/inner.txt", "550 existing/inner.txt No such file or directory."},
                  {"RNFR a.txt", "350 RNFR command successful."},
                  {"RNTO dir/b.txt", "250 RNTO command successful."},
                  {"SIZE dir/b.txt", "213 1"},
                  {"RNTO c.txt", "550 RNTO command failed."}}},
        Dialogue{"Directories",
                 true,
                 {{"PWD", "257 \"/\" is the current directory."},
                  {"CWD dir", "250 CWD command successful."},
                  {"PWD", "257 \"/dir/\" is the current directory."},
                  {"SIZE inner.txt", "213 5"},
                  {"CDUP", "250 CDUP command successful."},
                  {"CDUP", "250 CDUP command successful."},
                  {"PWD", "257 \"/\" is the current directory."},
                  {"CWD /dir/", "250 CWD command successful."},
                  {"CWD /", "250 CWD command successful."},
                  {"PWD", "257 \"/\" is the current directory."},
                  {"CWD none", "550 CWD failed."}}},
        Dialogue{"MachinePathsWithoutChangeRoot",
                 false,
                 {{"PWD", "257 \"%BASE%\" is the current directory."},
                  {"CWD %BASE%/dir", "250 CWD command successful."},
                  {"PWD", "257 \"%BASE%/dir\" is the current directory."},
                  {"SIZE %BASE%/a.txt", "213 1"},
                  {"CDUP", "250 CDUP command successful."},
                  {"CDUP", "550 CDUP command failed."}}},
        Dialogue{"MakeAndDelete",
                 true,
                 {{"MKD existing", "Error existing exists"},
                  {"MKD new/deeper", "250 MKD command successful."},
                  {"MKD new/deeper", "Error new/deeper exists"},
                  {"CWD new/deeper", "250 CWD command successful."},
                  {"DELE /a.txt", "250 /a.txt DELE command successful."},
                  {"DELE /a.txt", "550 /a.txt No such file or directory."},
                  {"DELE /dir", "250 /dir DELE command successful."},
                  {"CWD /dir", "550 CWD failed."}}},
        Dialogue{"RetrieveRefusals",
                 true,
                 {{"RETR dir", "550 dir: Not a plain file."},
                  {"RETR none", "550 none No such file or directory."},
                  {"MLST a.txt", "150 Opening BINARY mode data connection for 'a.txt'."}}},
        Dialogue{"Quit",
                 true,
                 {{"QUIT", "221- Data traffic for this session was 0 bytes in 0 files\n"
                           "221 Thank you for using the FTP service on localhost."}}}),
    [](const auto &info) { return std::string(info.param.name); });

// Every way out of the served directory gets the command's own failure reply and leaves the
// outside untouched.
struct Escape {
    const char *name;
    bool changeRoot;
    const char *before; // a command sent first, or null
    const char *command;
    const char *reply; // %OUT% is the outside directory's real path
    friend void PrintTo(const Escape &e, std::ostream *os) { *os << e.name; }
};

class FtpEscape : public ::testing::TestWithParam<Escape> {};

TEST_P(FtpEscape, IsRefused)
{
    FtpSite site;
    site.server.setChangeRoot(GetParam().changeRoot);
    writeAll(site.served("inside.txt"), "inside");
    const QString out = QFileInfo(site.outside()).canonicalFilePath();
    ASSERT_TRUE(QFile::link("../outside/secret.txt", site.served("link_file")));
    ASSERT_TRUE(QFile::link("../outside", site.served("link_dir")));
    ASSERT_TRUE(QFile::link(out, site.served("abs_link")));
    const auto before = site.outsideSnapshot();

    ControlClient control(site.port());
    if (GetParam().before)
        control.send(GetParam().before);
    const QString command = QString::fromUtf8(GetParam().command).replace("%OUT%", out);
    EXPECT_EQ(control.send(command.toUtf8()),
              QString::fromUtf8(GetParam().reply).replace("%OUT%", out));
    EXPECT_EQ(control.send("PWD").section(u'"', 1, 1),
              GetParam().changeRoot ? "/" : QFileInfo(site.served()).canonicalFilePath());
    EXPECT_EQ(site.outsideSnapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Confinement, FtpEscape,
    ::testing::Values(
        Escape{"CwdParent", true, nullptr, "CWD ..", "550 CWD failed."},
        Escape{"CwdRootParent", true, nullptr, "CWD /../outside", "550 CWD failed."},
        Escape{"CwdLink", true, nullptr, "CWD link_dir", "550 CWD failed."},
        Escape{"CwdAbsoluteLink", true, nullptr, "CWD abs_link", "550 CWD failed."},
        Escape{"CwdMachinePath", false, nullptr, "CWD %OUT%", "550 CWD failed."},
        Escape{"CwdMachineParent", false, nullptr, "CWD /..", "550 CWD failed."},
        Escape{"CdupAtMachineBase", false, nullptr, "CDUP", "550 CDUP command failed."},
        Escape{"SizeParent", true, nullptr, "SIZE ../outside/secret.txt",
               "550 ../outside/secret.txt No such file or directory."},
        Escape{"SizeLink", true, nullptr, "SIZE link_file",
               "550 link_file No such file or directory."},
        Escape{"RetrThroughLink", true, nullptr, "RETR link_dir/secret.txt",
               "550 link_dir/secret.txt No such file or directory."},
        Escape{"RetrAbsoluteLink", true, nullptr, "RETR abs_link/secret.txt",
               "550 abs_link/secret.txt No such file or directory."},
        Escape{"RetrMachinePath", false, nullptr, "RETR %OUT%/secret.txt",
               "550 %OUT%/secret.txt No such file or directory."},
        Escape{"DeleParent", true, nullptr, "DELE ../outside/secret.txt",
               "550 ../outside/secret.txt No such file or directory."},
        Escape{"DeleThroughLink", true, nullptr, "DELE link_dir/secret.txt",
               "550 link_dir/secret.txt No such file or directory."},
        Escape{"StorParent", true, nullptr, "STOR ../outside/new.txt",
               "553 ../outside/new.txt: Permission denied."},
        Escape{"StorThroughLink", true, nullptr, "STOR link_dir/new.txt",
               "553 link_dir/new.txt: Permission denied."},
        Escape{"StorOverLink", true, nullptr, "STOR link_file",
               "553 link_file: Permission denied."},
        Escape{"MkdParent", true, nullptr, "MKD ../outside/made", "550 MKD command failed."},
        Escape{"MkdThroughLink", true, nullptr, "MKD link_dir/made", "550 MKD command failed."},
        Escape{"RnfrParent", true, nullptr, "RNFR ../outside/secret.txt",
               "550 RNFR command failed."},
        Escape{"RntoParent", true, "RNFR inside.txt", "RNTO ../outside/moved.txt",
               "550 RNTO command failed."},
        Escape{"RntoThroughLink", true, "RNFR inside.txt", "RNTO link_dir/moved.txt",
               "550 RNTO command failed."},
        Escape{"PortPrivileged", true, nullptr, "PORT 127,0,0,1,0,21", "500 Illegal PORT command."},
        Escape{"EprtPrivileged", true, nullptr, "EPRT |1|127.0.0.1|80|",
               "500 Illegal EPRT command."},
        Escape{"LprtPrivileged", true, nullptr, "LPRT 6,16,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,2,0,22",
               "500 Illegal LPRT command."}),
    [](const auto &info) { return std::string(info.param.name); });

// A listing of somewhere outside is empty rather than refused, and tells nothing.
class FtpListingEscape : public ::testing::TestWithParam<const char *> {};

TEST_P(FtpListingEscape, ListsNothing)
{
    FtpSite site;
    ASSERT_TRUE(QFile::link("../outside", site.served("link_dir")));
    ControlClient control(site.port());
    QStringList replies;
    EXPECT_EQ(passiveTransfer(control, QByteArray("LIST ") + GetParam(), &replies), "total 0\r\n");
    EXPECT_EQ(replies, QStringList({"150 Opening ASCII mode data connection for '/bin/ls'.",
                                    "226 Transfer complete."}));
}

INSTANTIATE_TEST_SUITE_P(Confinement, FtpListingEscape,
                         ::testing::Values("..", "../outside", "/../outside", "link_dir",
                                           "link_dir/"));

TEST(FtpListing, LinesFollowTheLongFormat)
{
    FtpSite site;
    const QString photo = site.served("photo.jpg");
    const QString album = site.served("album");
    writeAll(photo, QByteArray(1234, 'p'));
    writeAll(album + "/one.jpg", "1");
    writeAll(album + "/two.jpg", "2");
    writeAll(album + "/.thumbs", "3");
    writeAll(site.served(".hidden"), "h");
    QFile::setPermissions(photo, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                     QFile::ReadOther);
    QFile::setPermissions(album, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                     QFile::ReadGroup | QFile::ExeGroup);
    const QDateTime photoTime(QDate(2021, 1, 5), QTime(13, 7));
    const QDateTime albumTime(QDate(2022, 11, 30), QTime(8, 5));
    for (const auto &[path, time] : {std::pair(photo, photoTime), std::pair(album, albumTime)}) {
        const timespec times[2] = {{time.toSecsSinceEpoch(), 0}, {time.toSecsSinceEpoch(), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    }
    const QFileInfo p(photo), a(album);
    const QString expected =
        QString::asprintf("total 2\r\n"
                          "drwxr-x---     3 %12s %12s %10lld Nov 30 08:05 album\n"
                          "-rw-r--r--     1 %12s %12s %10lld Jan 05 13:07 photo.jpg\n",
                          qPrintable(a.owner()), qPrintable(a.group()), a.size(),
                          qPrintable(p.owner()), qPrintable(p.group()), p.size());

    ControlClient control(site.port());
    EXPECT_EQ(QString::fromUtf8(passiveTransfer(control, "LIST -la")), expected);
    EXPECT_EQ(QString::fromUtf8(passiveTransfer(control, "NLST /")), expected);
}

// Limits that keep one client from holding or flooding the server.

TEST(FtpLimits, OverlongLineIsRefusedAndDropped)
{
    FtpSite site;
    ControlClient control(site.port());
    control.socket.write(QByteArray(3000, 'A'));
    control.socket.write(QByteArray(3000, 'B'));
    EXPECT_EQ(control.send(QByteArray(3000, 'C')), "500 Command line too long.");
    EXPECT_EQ(control.send("NOOP"), "200 NOOP command successful.");
    EXPECT_EQ(control.send("SIZE " + QByteArray(5000, 'x')), "500 Command line too long.");
    EXPECT_EQ(control.send("NOOP"), "200 NOOP command successful.");
}

TEST(FtpLimits, ConnectionsBeyondTheCapAreTurnedAway)
{
    FtpSite site;
    auto limits = site.server.limits();
    limits.maxConnections = 1;
    site.server.setLimits(limits);
    QSignalSpy coming(&site.server, &viewer::FtpServer::cmdComing);
    auto first = std::make_unique<ControlClient>(site.port());
    ControlClient second(site.port());
    EXPECT_EQ(second.greeting, "421 Too many connections.");
    EXPECT_TRUE(second.waitForDisconnected());
    EXPECT_EQ(coming.count(), 1);

    first->send("QUIT");
    EXPECT_TRUE(first->waitForDisconnected());
    EXPECT_TRUE(QTest::qWaitFor([&] { return site.server.connectionCount() == 0; }, 10000));
    ControlClient third(site.port());
    EXPECT_EQ(third.greeting, "220 iosFtp server ready.");
}

TEST(FtpLimits, IdleControlConnectionIsClosed)
{
    FtpSite site;
    auto limits = site.server.limits();
    limits.controlIdleTimeout = std::chrono::milliseconds(200);
    site.server.setLimits(limits);
    ControlClient control(site.port());
    EXPECT_EQ(control.reply(), "421 Idle time-out, closing the control connection.");
    EXPECT_TRUE(control.waitForDisconnected());
}

TEST(FtpLimits, PassiveConnectionOnlyFromTheControlPeer)
{
    FtpSite site;
    writeAll(site.served("a.txt"), "a");
    ControlClient control(site.port());
    const QString epsv = control.send("EPSV");
    const quint16 port = epsv.section(u'|', 3, 3).toUShort();
    ASSERT_NE(port, 0) << epsv.toStdString();

    // Another loopback address stands in for another machine.
    QTcpSocket stranger;
    if (!stranger.bind(QHostAddress(QStringLiteral("127.0.0.2"))))
        GTEST_SKIP() << "no second loopback address";
    stranger.connectToHost(QHostAddress::LocalHost, port);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return stranger.state() == QAbstractSocket::UnconnectedState; }, 10000));

    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return peer.state() == QAbstractSocket::ConnectedState; }, 10000));
    EXPECT_EQ(control.send("RETR a.txt"), "150 Opening BINARY mode data connection for 'a.txt'.");
    EXPECT_EQ(control.reply(), "226 Transfer complete.");
    EXPECT_TRUE(QTest::qWaitFor([&] { return peer.bytesAvailable() == 1; }, 10000));
    EXPECT_EQ(peer.readAll(), QByteArray("a"));
    EXPECT_EQ(stranger.readAll(), QByteArray());
}

TEST(FtpLimits, ActiveModeGoesToTheControlPeerWhateverAddressIsNamed)
{
    FtpSite site;
    writeAll(site.served("a.txt"), "active");
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    const quint16 port = listener.serverPort();
    ControlClient control(site.port());
    EXPECT_EQ(control.send(
                  QStringLiteral("PORT 192,0,2,1,%1,%2").arg(port >> 8).arg(port & 255).toUtf8()),
              "200 PORT command successful.");
    ASSERT_TRUE(QTest::qWaitFor([&] { return listener.hasPendingConnections(); }, 10000));
    std::unique_ptr<QTcpSocket> data(listener.nextPendingConnection());
    EXPECT_EQ(control.send("RETR a.txt"), "150 Opening BINARY mode data connection for 'a.txt'.");
    EXPECT_EQ(control.reply(), "226 Transfer complete.");
    EXPECT_TRUE(QTest::qWaitFor([&] { return data->bytesAvailable() == 6; }, 10000));
    EXPECT_EQ(data->readAll(), QByteArray("active"));
}

TEST(FtpLimits, LongActiveModeConnectsToThePortNamedInItsLastFields)
{
    FtpSite site;
    writeAll(site.served("a.txt"), "long");
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    const quint16 port = listener.serverPort();
    ControlClient control(site.port());
    // Address family 6, 16 address bytes (::1), 2 port bytes.
    const QByteArray command = QStringLiteral("LPRT 6,16,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,2,%1,%2")
                                   .arg(port >> 8)
                                   .arg(port & 255)
                                   .toUtf8();
    EXPECT_EQ(
        control.send(command),
        QStringLiteral("228 Entering Long Passive Mode (%1,%2)").arg(port >> 8).arg(port & 255));
    ASSERT_TRUE(QTest::qWaitFor([&] { return listener.hasPendingConnections(); }, 10000));
    std::unique_ptr<QTcpSocket> data(listener.nextPendingConnection());
    EXPECT_EQ(control.send("RETR a.txt"), "150 Opening BINARY mode data connection for 'a.txt'.");
    EXPECT_EQ(control.reply(), "226 Transfer complete.");
    EXPECT_TRUE(QTest::qWaitFor([&] { return data->bytesAvailable() == 4; }, 10000));
    EXPECT_EQ(data->readAll(), QByteArray("long"));
}

// An upload replaces its target only once it has ended in order; one that breaks off leaves
// the old file and no trace of the part that came.
struct UploadEnd {
    const char *name;
    bool reset;
    const char *reply;
    friend void PrintTo(const UploadEnd &u, std::ostream *os) { *os << u.name; }
};

class FtpUpload : public ::testing::TestWithParam<UploadEnd> {};

TEST_P(FtpUpload, ReplacesTheFileOnlyWhenComplete)
{
    FtpSite site;
    writeAll(site.served("keep.txt"), "old");
    QSignalSpy changed(&site.server, &viewer::FtpServer::fileListChanged);
    ControlClient control(site.port());
    const auto data = openPassiveData(control);
    ASSERT_TRUE(data);
    EXPECT_EQ(control.send("STOR keep.txt"),
              "150 Opening BINARY mode data connection for 'keep.txt'.");
    const QByteArray payload = patternBytes(300001, 2);
    data->write(payload);
    ASSERT_TRUE(QTest::qWaitFor([&] { return data->bytesToWrite() == 0; }, 10000));
    if (GetParam().reset) {
        const linger reset{1, 0};
        ::setsockopt(static_cast<int>(data->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset,
                     sizeof reset);
        data->abort();
    } else {
        data->disconnectFromHost();
    }

    EXPECT_EQ(control.reply(), GetParam().reply);
    EXPECT_EQ(readAll(site.served("keep.txt")), GetParam().reset ? "old" : payload);
    EXPECT_EQ(QDir(site.served()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.txt"});
    EXPECT_EQ(changed.count(), GetParam().reset ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Ends, FtpUpload,
                         ::testing::Values(UploadEnd{"Orderly", false, "226 Transfer complete."},
                                           UploadEnd{"Reset", true,
                                                     "426 Connection closed; transfer aborted."}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(FtpCommandTable, MissingTableLeavesEveryCommandUnknown)
{
    FtpSite site(QStringLiteral("/nonexistent/ftp_commands.plist"));
    ControlClient control(site.port());
    EXPECT_EQ(control.greeting, "220 iosFtp server ready.");
    EXPECT_EQ(control.send("USER x"), "500 'USER': command not understood.");
    EXPECT_EQ(control.send("QUIT"), "500 'QUIT': command not understood.");
    EXPECT_EQ(control.socket.state(), QAbstractSocket::ConnectedState);
}

} // namespace
} // namespace quelmar::test
