// A process killed (SIGKILL) in the middle of writing user data leaves the file it was
// replacing either as it was or whole in its new version, never half: settings, both
// calibration files, a folder note, stills and exports. Recordings have their own killed
// writer test (avi_writer_test), which reads a killed AVI up to about its last second.
#include "crash_writes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <thread>

namespace quelmar::test {
namespace {

class KilledWrite : public ::testing::TestWithParam<const char *> {};

// Waits until the child reports `count` finished writes; false when it stops or falls silent.
bool waitForWrites(QProcess &child, int count)
{
    QByteArray seen;
    while (true) {
        while (child.canReadLine()) {
            seen = child.readLine().trimmed();
            if (seen.toInt() >= count)
                return true;
        }
        if (!child.waitForReadyRead(30000))
            return false;
    }
}

TEST_P(KilledWrite, LeavesTheOldOrTheNewFileNeverHalf)
{
    const CrashWrite *write = crashWriteNamed(QString::fromLatin1(GetParam()));
    ASSERT_NE(write, nullptr);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::mt19937 random(20261209);
    for (int round = 0; round < 12; ++round) {
        QProcess child;
        child.setProgram(QCoreApplication::applicationDirPath() +
                         QStringLiteral("/crash_writer_child"));
        child.setArguments({QString::fromLatin1(GetParam()), dir.path()});
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start();
        ASSERT_TRUE(child.waitForStarted());
        // The kill falls at a random point of a write: after one finished write, somewhere
        // within the time the next one takes. The pause is the fault's timing, not a wait.
        const int finished = 1 + int(random() % 3);
        ASSERT_TRUE(waitForWrites(child, finished)) << "the writer stopped";
        QElapsedTimer period;
        period.start();
        ASSERT_TRUE(waitForWrites(child, finished + 1)) << "the writer stopped";
        const qint64 writeNs = period.nsecsElapsed();
        std::this_thread::sleep_for(
            std::chrono::nanoseconds(std::uniform_int_distribution<qint64>(0, writeNs)(random)));
        ::kill(pid_t(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished(30000));
        const int version = write->read(dir.path());
        EXPECT_TRUE(version == 0 || version == 1) << "round " << round << ": damaged or missing";
    }
}

INSTANTIATE_TEST_SUITE_P(UserData, KilledWrite,
                         ::testing::Values("SettingsStore", "StationCalibration",
                                           "ViewerCalibration", "FolderNote", "JpegStill",
                                           "BmpStill", "XlsExport", "XlsxExport", "CsvExport"),
                         [](const auto &info) { return std::string(info.param); });

} // namespace
} // namespace quelmar::test
