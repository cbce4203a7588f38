// SIGTERM and SIGINT end both programs through their event loops, so what their windows
// hold open (a recording, the share) is closed as on a normal quit.
#include <cli/quit_on_signals.h>

#include <QDirIterator>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace {

constexpr int kWaitMs = 15000;

using quelmar::cli::QuitOnSignals;

TEST(QuitOnSignals, TurnsTheSignalIntoAnEventAndGivesTheHandlerBack)
{
    struct sigaction before = {};
    sigaction(SIGTERM, nullptr, &before);
    {
        QuitOnSignals quitter;
        ASSERT_TRUE(quitter.isValid());
        QuitOnSignals second; // the handlers belong to the first
        EXPECT_FALSE(second.isValid());
        QSignalSpy spy(&quitter, &QuitOnSignals::signalled);
        ASSERT_EQ(::raise(SIGTERM), 0);
        ASSERT_TRUE(spy.wait(kWaitMs));
        EXPECT_EQ(spy.at(0).at(0).toInt(), SIGTERM);
    }
    struct sigaction after = {};
    sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

bool hasDirectoryNamed(const QString &root, const QString &name)
{
    QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        if (QFileInfo(it.next()).fileName() == name)
            return true;
    return false;
}

class StationSignals : public ::testing::TestWithParam<int> {};

// Before, the default action killed the station and a running recording lost its index.
TEST_P(StationSignals, EndTheStationLikeAQuit)
{
    QTemporaryDir home;
    QProcess station;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SCOPEDESK_HOME"), home.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    station.setProcessEnvironment(environment);
    station.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    station.start(QStringLiteral(SCOPEDESK_PROGRAM), {QStringLiteral("--demo-camera")});
    ASSERT_TRUE(station.waitForStarted(kWaitMs));
    // The window makes the Default folder, after the handlers are in place.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return hasDirectoryNamed(home.path(), QStringLiteral("Default")); }, kWaitMs));
    ::kill(pid_t(station.processId()), GetParam());
    ASSERT_TRUE(station.waitForFinished(kWaitMs));
    EXPECT_EQ(station.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(station.exitCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, StationSignals, ::testing::Values(SIGTERM, SIGINT),
                         [](const auto &info) {
                             return std::string(info.param == SIGTERM ? "Term" : "Int");
                         });

} // namespace
