// Sharing the workspace over FTP: the controller's share and its toolbar switch, the address
// shown to clients, and the program's windowless runs as child processes: `--ftp-serve` with
// its signals, and `--exit-after` with its frame count. Its refusals are in tests/cli.
#include "ftp_test_support.h"
#include "temp_home.h"
#include "viewer_test_support.h"
#include "wifiscope_sim.h"

#include "app/ftp_share.h"
#include "app/orbilux_window.h"
#include "app/view_controller.h"
#include "app/viewer_prompt.h"
#include "ftp/ftp_server.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <csignal>
#include <deque>

namespace {

using namespace quelmar::viewer;
using quelmar::test::ControlClient;

constexpr int kWaitMs = 10000;
const QString kGreeting = QStringLiteral("220 iosFtp server ready.");

using ScriptedNumbers = quelmar::test::ScriptedViewerPrompt;

// A workspace of its own, no device network, and shares only on 127.0.0.1.
class ShareTest : public ::testing::Test {
protected:
    ShareTest() { qputenv("ORBILUX_HOME", home_.path().toLocal8Bit()); }
    ~ShareTest() override { qunsetenv("ORBILUX_HOME"); }

    ViewerServices services()
    {
        ViewerServices s{&prompt_, &network_, quelmar::test::closedAddress()};
        s.ftpAddress = QHostAddress(QHostAddress::LocalHost);
        return s;
    }

    QTemporaryDir home_;
    ScriptedNumbers prompt_;
    FixedWifiNetwork network_;
};

TEST_F(ShareTest, ControllerSharesTheWorkspaceRootWithChangeRootAndStops)
{
    ViewController controller(services());
    QSignalSpy changes(&controller, &ViewController::sharingChanged);
    EXPECT_EQ(controller.baseDir(), home_.filePath(QStringLiteral("Quelmar")));
    EXPECT_EQ(controller.theServer(), nullptr); // start-up starts none
    ASSERT_TRUE(controller.startSharing(0));

    ASSERT_NE(controller.theServer(), nullptr);
    EXPECT_TRUE(controller.theServer()->changeRoot());
    EXPECT_EQ(controller.theServer()->baseDir(),
              QFileInfo(controller.baseDir()).canonicalFilePath());
    const quint16 port = controller.theServer()->port();
    ASSERT_NE(port, 0);
    const QString url = QStringLiteral("ftp://127.0.0.1:%1/").arg(port);
    EXPECT_EQ(controller.shareUrl(), url);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(1).toString(), url);

    {
        ControlClient control(port);
        EXPECT_EQ(control.greeting, kGreeting);
        control.send("USER x");
        control.send("PASS y");
        EXPECT_EQ(control.send("CWD /"), QStringLiteral("250 CWD command successful."));
        EXPECT_EQ(control.send("PWD"), QStringLiteral("257 \"/\" is the current directory."));
    }

    controller.stopSharing();
    EXPECT_FALSE(controller.isSharing());
    EXPECT_TRUE(controller.shareUrl().isEmpty());
    ASSERT_EQ(changes.count(), 2);
    EXPECT_FALSE(changes.at(1).at(0).toBool());
    QTcpSocket late;
    late.connectToHost(QHostAddress::LocalHost, port);
    EXPECT_FALSE(late.waitForConnected(kWaitMs) && late.waitForReadyRead(1000));
    EXPECT_TRUE(prompt_.alerts.isEmpty());
}

TEST_F(ShareTest, SwitchAsksThePortSharesAndStopsAndACancelDoesNothing)
{
    ViewController controller(services());
    controller.ShareWorkspace(); // cancelled
    EXPECT_FALSE(controller.isSharing());
    ASSERT_EQ(prompt_.asked.size(), 1u);
    EXPECT_EQ(prompt_.asked[0].suggested, 2121);
    EXPECT_EQ(prompt_.asked[0].min, 1);
    EXPECT_EQ(prompt_.asked[0].max, 65535);

    prompt_.numbers = {0};
    controller.ShareWorkspace();
    ASSERT_TRUE(controller.isSharing());
    EXPECT_EQ(ControlClient(controller.theServer()->port()).greeting, kGreeting);
    controller.ShareWorkspace();
    EXPECT_FALSE(controller.isSharing());
    EXPECT_EQ(prompt_.asked.size(), 2u); // stopping asks nothing
    EXPECT_TRUE(prompt_.alerts.isEmpty());
}

TEST_F(ShareTest, PortInUseIsAlertedAndLeavesNoShare)
{
    QTcpServer occupant;
    ASSERT_TRUE(occupant.listen(QHostAddress::LocalHost, 0));
    ViewController controller(services());
    EXPECT_FALSE(controller.startSharing(occupant.serverPort()));
    EXPECT_FALSE(controller.isSharing());
    EXPECT_EQ(controller.theServer(), nullptr);
    ASSERT_EQ(prompt_.alerts.size(), 1);
    EXPECT_TRUE(prompt_.alerts[0].contains(QString::number(occupant.serverPort())));
}

TEST_F(ShareTest, WindowButtonFollowsTheShareAndShowsTheAddress)
{
    OrbiluxWindow window(services());
    window.show();
    QToolButton &button = window.shareButton();
    button.click(); // cancelled
    EXPECT_FALSE(button.isChecked());
    EXPECT_TRUE(window.statusText().text().isEmpty());

    prompt_.numbers = {0};
    button.click();
    ASSERT_TRUE(window.controller().isSharing());
    EXPECT_TRUE(button.isChecked());
    const quint16 port = window.controller().theServer()->port();
    EXPECT_EQ(window.statusText().text(),
              QStringLiteral("Workspace shared at ftp://127.0.0.1:%1/").arg(port));

    button.click();
    EXPECT_FALSE(window.controller().isSharing());
    EXPECT_FALSE(button.isChecked());
    EXPECT_TRUE(window.statusText().text().isEmpty());
}

TEST(FtpShareUrl, NamesTheAddressClientsShouldUse)
{
    EXPECT_EQ(ftpShareUrl(QHostAddress::LocalHost, 2121), QStringLiteral("ftp://127.0.0.1:2121/"));
    EXPECT_EQ(ftpShareUrl(QHostAddress::LocalHostIPv6, 21), QStringLiteral("ftp://[::1]:21/"));
    // Every interface: an address another machine can reach, never 0.0.0.0.
    const QString any = ftpShareUrl(QHostAddress::Any, 2121);
    const QHostAddress shown(any.section(u'/', 2, 2).section(u':', 0, 0));
    EXPECT_EQ(shown.protocol(), QAbstractSocket::IPv4Protocol) << any.toStdString();
    EXPECT_FALSE(shown.isNull() || shown == QHostAddress(QHostAddress::AnyIPv4));
    EXPECT_TRUE(any.endsWith(QStringLiteral(":2121/")));
}

// The program built beside the tests.
QString orbiluxProgram()
{
    return QStringLiteral(ORBILUX_PROGRAM);
}

// A headless share of a fresh directory on a free port of 127.0.0.1, ready for clients.
class HeadlessShare {
public:
    HeadlessShare()
    {
        // The port is free when looked up but could be taken before the child listens.
        for (int attempt = 0; attempt < 5 && !ready_; ++attempt)
            ready_ = tryStart();
    }
    ~HeadlessShare()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(kWaitMs);
        }
    }
    HeadlessShare(const HeadlessShare &) = delete;
    HeadlessShare &operator=(const HeadlessShare &) = delete;

    bool ready() const { return ready_; }
    quint16 port() const { return port_; }
    QString firstLine() const { return firstLine_; }
    QString dir() const { return dir_.path(); }
    QProcess &process() { return process_; }

private:
    bool tryStart()
    {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, 0))
            return false;
        port_ = probe.serverPort();
        probe.close();
        process_.start(orbiluxProgram(),
                       {QStringLiteral("--ftp-serve"), dir_.path(), QStringLiteral("--port"),
                        QString::number(port_), QStringLiteral("--ftp-address"),
                        QStringLiteral("127.0.0.1")});
        const bool lineCame = QTest::qWaitFor(
            [this] { return process_.canReadLine() || process_.state() == QProcess::NotRunning; },
            kWaitMs);
        if (!lineCame || !process_.canReadLine()) {
            process_.waitForFinished(kWaitMs);
            return false;
        }
        firstLine_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
        return true;
    }

    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
    QString firstLine_;
    bool ready_ = false;
};

class HeadlessSignals : public ::testing::TestWithParam<int> {};

TEST_P(HeadlessSignals, ServesUntilTheSignalThenExitsWithZero)
{
    HeadlessShare share;
    ASSERT_TRUE(share.ready());
    EXPECT_EQ(share.firstLine(), QStringLiteral("Sharing %1 at ftp://127.0.0.1:%2/")
                                     .arg(QFileInfo(share.dir()).canonicalFilePath())
                                     .arg(share.port()));
    quelmar::test::writeAll(share.dir() + QStringLiteral("/inside.txt"), "shared");
    {
        ControlClient control(share.port());
        EXPECT_EQ(control.greeting, kGreeting);
        control.send("USER x");
        control.send("PASS y");
        EXPECT_EQ(control.send("PWD"), QStringLiteral("257 \"/\" is the current directory."));
        EXPECT_EQ(control.send("SIZE inside.txt"), QStringLiteral("213 6"));
        EXPECT_TRUE(control.send("SIZE /etc/hostname").startsWith(u'5'));
    }

    ASSERT_EQ(::kill(pid_t(share.process().processId()), GetParam()), 0);
    ASSERT_TRUE(share.process().waitForFinished(kWaitMs));
    EXPECT_EQ(share.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(share.process().exitCode(), 0);
    QTcpSocket late;
    late.connectToHost(QHostAddress::LocalHost, share.port());
    EXPECT_FALSE(late.waitForConnected(kWaitMs) && late.waitForReadyRead(1000));
}

INSTANTIATE_TEST_SUITE_P(Signals, HeadlessSignals, ::testing::Values(SIGTERM, SIGINT),
                         [](const auto &info) {
                             return std::string(info.param == SIGTERM ? "Term" : "Int");
                         });

TEST(OrbiluxProgram, ExitAfterQuitsAndTellsTheFramesShownAndTheCpuTime)
{
    quelmar::test::TempHome home;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ORBILUX_HOME"), home.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    const auto device = quelmar::test::closedAddress();
    process.start(orbiluxProgram(),
                  {QStringLiteral("--exit-after"), QStringLiteral("0.2"),
                   QStringLiteral("--wifi-host"), device.host, QStringLiteral("--wifi-web-port"),
                   QString::number(device.webPort), QStringLiteral("--wifi-network-name"),
                   QStringLiteral("none")});
    ASSERT_TRUE(process.waitForFinished(kWaitMs));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    const QStringList lines =
        QString::fromLocal8Bit(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2) << lines.join(u'|').toStdString();
    EXPECT_EQ(lines.front(), QStringLiteral("frames shown: 0"));
    EXPECT_TRUE(lines.back().startsWith(QStringLiteral("cpu seconds: ")));
}

} // namespace
