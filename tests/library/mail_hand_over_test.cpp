// The desktop's mail hand-over, run for real against a stand-in xdg-email placed first on
// PATH that records its arguments and ends as the test tells it.
#include "base/command_ids.h"
#include "library/mail_command.h"
#include "library/mail_hand_over.h"
#include "library/workspace.h"
#include "library_fixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <optional>

using namespace quelmar::station;
using namespace quelmar::test;

namespace {

constexpr int kWaitMs = 10000;

class StandInMail : public LibraryTest {
protected:
    QTemporaryDir bin;
    QByteArray previousPath;

    void SetUp() override
    {
        LibraryTest::SetUp();
        previousPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + previousPath);
    }
    void TearDown() override { qputenv("PATH", previousPath); }

    QString argsFile() const { return bin.filePath(QStringLiteral("args")); }
    QString pidFile() const { return bin.filePath(QStringLiteral("pid")); }

    // The stand-in writes one argument a line, then runs `tail` ("exit 3", "exec sleep 30").
    void writeStandIn(const QString &tail)
    {
        const QString path = bin.filePath(QStringLiteral("xdg-email"));
        writeAll(path,
                 QStringLiteral("#!/bin/sh\n"
                                "echo $$ > '%1'\n"
                                "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%2.part'\n"
                                "mv '%2.part' '%2'\n"
                                "%3\n")
                     .arg(pidFile(), argsFile(), tail)
                     .toUtf8());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString attachment()
    {
        const QString file = home.file(QStringLiteral("Still 1.jpg"));
        writeAll(file, "jpeg");
        return file;
    }

    std::optional<MailResult> sendAndWait(XdgEmailHandOver &handOver, const QString &file)
    {
        std::optional<MailResult> result;
        QObject context;
        handOver.send(file, &context, [&](MailResult r) { result = r; });
        // No outcome in time shows as an empty result.
        (void)QTest::qWaitFor([&] { return result.has_value(); }, kWaitMs);
        return result;
    }
};

struct ExitCase {
    const char *tail;
    MailResult expected;
};

class XdgEmailExit : public StandInMail, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(XdgEmailExit, StatusGivesTheOutcomeAndOnlyTheAttachmentIsPassed)
{
    writeStandIn(QString::fromLatin1(GetParam().tail));
    XdgEmailHandOver handOver;
    const QString file = attachment();
    EXPECT_EQ(sendAndWait(handOver, file), GetParam().expected);
    // No subject, no text, no recipient: the user completes the message.
    EXPECT_EQ(readAll(argsFile()), QStringLiteral("--attach\n%1\n").arg(file).toUtf8());
}

INSTANTIATE_TEST_SUITE_P(Mail, XdgEmailExit,
                         ::testing::Values(ExitCase{"exit 0", MailResult::HandedOver},
                                           ExitCase{"exit 3", MailResult::NoMailSystem},
                                           ExitCase{"exit 4", MailResult::Failed},
                                           ExitCase{"exit 2", MailResult::Failed},
                                           ExitCase{"kill -9 $$", MailResult::Failed}));

TEST_F(StandInMail, WithoutXdgEmailThereIsNoMailSystem)
{
    qputenv("PATH", QFile::encodeName(bin.path())); // holds no xdg-email
    XdgEmailHandOver handOver;
    EXPECT_EQ(sendAndWait(handOver, attachment()), MailResult::NoMailSystem);
}

// A mail program that stays open holds xdg-email: the station neither waits for it nor
// leaves it behind.
TEST_F(StandInMail, AHandOverThatStaysOpenCountsAsHandedOverWithoutBlocking)
{
    writeStandIn(QStringLiteral("exec sleep 30"));
    auto handOver = std::make_unique<XdgEmailHandOver>(200);
    std::optional<MailResult> result;
    QObject context;
    handOver->send(attachment(), &context, [&](MailResult r) { result = r; });
    EXPECT_FALSE(result.has_value()); // send() returned at once
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, kWaitMs));
    EXPECT_EQ(*result, MailResult::HandedOver);
    const QString pid = QString::fromLatin1(readAll(pidFile()).trimmed());
    ASSERT_FALSE(pid.isEmpty());
    EXPECT_TRUE(QFile::exists(QStringLiteral("/proc/") + pid));
    handOver.reset();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !QFile::exists(QStringLiteral("/proc/") + pid); }, kWaitMs));
}

// The user closes the waiting window: the hand-over goes on, nothing is reported.
TEST_F(StandInMail, ClosingTheMailWindowFirstShowsNothing)
{
    writeStandIn(QStringLiteral("exec sleep 30"));
    XdgEmailHandOver handOver(500);
    mailSystem = &handOver;
    makeLibrary();
    addStill(QStringLiteral("Default"), QStringLiteral("Still_N0001.jpg"));
    library->LoadFolders(true);
    strip().HitTest(thumbnailCell(0, strip().clientSize()).center());
    prompt.onDialog = [&](QDialog &dialog) {
        // Closed as soon as xdg-email has the file, before its outcome is known.
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
            if (QFile::exists(argsFile()))
                dialog.reject();
        });
        poll.start(5);
        QTimer::singleShot(kWaitMs, &dialog, &QDialog::reject);
        return dialog.exec();
    };
    library->onCommand(cmd::EMail);
    ASSERT_TRUE(QFile::exists(argsFile()));
    // A second hand-over, started later, reports after the first would have.
    QFile::remove(argsFile());
    EXPECT_EQ(sendAndWait(handOver, attachment()), MailResult::HandedOver);
    EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(StandInMail, TheEmailCommandHandsTheFullSizeFileToXdgEmail)
{
    writeStandIn(QStringLiteral("exit 0"));
    XdgEmailHandOver handOver;
    mailSystem = &handOver;
    makeLibrary();
    const QString thumb = addStill(QStringLiteral("Default"), QStringLiteral("Still_N0001.bmp"));
    library->LoadFolders(true);
    strip().HitTest(thumbnailCell(0, strip().clientSize()).center());
    prompt.onDialog = [](QDialog &dialog) {
        QTimer::singleShot(kWaitMs, &dialog, &QDialog::reject);
        return dialog.exec();
    };
    library->onCommand(cmd::EMail);
    EXPECT_EQ(readAll(argsFile()),
              QStringLiteral("--attach\n%1/Still_N0001.jpg\n").arg(cacheDir()).toUtf8());
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Send Completed"));
}

} // namespace
