// Mailing the selected file: which file is attached, the JPEG copy of a BMP picture, the
// waiting window and the message for each outcome of the hand-over.
#include "base/command_ids.h"
#include "library/mail_command.h"
#include "library/workspace.h"
#include "library_fixture.h"

#include <QFile>
#include <QTimer>

using namespace quelmar::station;
using namespace quelmar::test;

namespace {

class MailTest : public LibraryTest {
protected:
    QString bmpThumb;
    QString jpgThumb;

    void SetUp() override
    {
        LibraryTest::SetUp();
        bmpThumb = addStill(QStringLiteral("Default"), QStringLiteral("Still_N0001.bmp"));
        jpgThumb = addStill(QStringLiteral("Default"), QStringLiteral("Still_N0002.jpg"));
        library->LoadFolders(true);
        // The mail window runs for real; a hand-over that never reports cannot hang the test.
        prompt.onDialog = [](QDialog &dialog) {
            QTimer::singleShot(10000, &dialog, &QDialog::reject);
            return dialog.exec();
        };
    }

    void select(int index) { strip().HitTest(thumbnailCell(index, strip().clientSize()).center()); }
};

TEST_F(MailTest, AJpegIsAttachedUnchangedFromTheFullSizeDirectory)
{
    select(1);
    const QByteArray original = readAll(insertTmp(jpgThumb));
    library->onCommand(cmd::EMail);
    ASSERT_EQ(mail.attachments, QStringList{insertTmp(jpgThumb)});
    EXPECT_EQ(mail.attachedBytes[0], original);
    // The waiting window was on screen, with its text, when the mail program took over.
    EXPECT_EQ(mail.waitingTexts, QStringList{QStringLiteral("Start outlook, Please waiting...")});
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, QStringLiteral("Send Completed"));
    EXPECT_EQ(prompt.messages[0].title, QStringLiteral("Quelmar"));
    EXPECT_FALSE(QDir(cacheDir()).exists() && !QDir(cacheDir()).isEmpty());
}

TEST_F(MailTest, ABmpGoesAsItsJpegCopyAndEarlierCopiesAreRemoved)
{
    writeAll(cacheDir() + QStringLiteral("/Still_N0007.jpg"), "an earlier copy");
    writeAll(cacheDir() + QStringLiteral("/Still_N0001.jpg"), "a stale copy of this one");
    writeAll(cacheDir() + QStringLiteral("/print.bmp"), "the print file stays");
    writeAll(library->current().fullSizeDir + QStringLiteral("/Other.jpg"), "the user's own");
    select(0);
    library->onCommand(cmd::EMail);
    const QString copy = cacheDir() + QStringLiteral("/Still_N0001.jpg");
    ASSERT_EQ(mail.attachments, QStringList{copy});
    EXPECT_EQ(identify(copy), QStringLiteral("JPEG 64 48"));
    EXPECT_EQ(QDir(cacheDir()).entryList(QDir::Files),
              (QStringList{QStringLiteral("print.bmp"), QStringLiteral("Still_N0001.jpg")}));
    EXPECT_EQ(readAll(library->current().fullSizeDir + QStringLiteral("/Other.jpg")),
              QByteArray("the user's own"));
    // Only the owner may look into the copies.
    EXPECT_EQ(QFile::permissions(cacheDir()) & (QFile::ReadGroup | QFile::ReadOther), 0);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Send Completed"));
}

TEST_F(MailTest, AVideoIsAttachedAsItIs)
{
    const QString video = library->current().videoDir + QStringLiteral("/Video_0001.avi");
    writeAll(video, "not really a video");
    library->ReloadThumbnails();
    library->setListKind(ListKind::Videos);
    select(0);
    library->onCommand(cmd::EMail);
    EXPECT_EQ(mail.attachments, QStringList{video});
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Send Completed"));
}

TEST_F(MailTest, ConversionFailuresSayWhichStepFailedAndHandNothingOver)
{
    select(0);
    writeAll(insertTmp(bmpThumb), "BM but no bitmap");
    library->onCommand(cmd::EMail);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("imageEmail Create fail"));
    EXPECT_EQ(prompt.messages.back().title, QStringLiteral("Quelmar"));

    // The copy cannot be written where the private directory should be.
    writeBmp(insertTmp(bmpThumb), testPicture(8, 8).view());
    QDir(cacheDir()).removeRecursively();
    writeAll(cacheDir(), "a file in the way");
    library->onCommand(cmd::EMail);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Compress fail"));
    EXPECT_TRUE(mail.attachments.isEmpty());
    EXPECT_EQ(prompt.messages.size(), 2u);
}

struct Outcome {
    bool mailSystem;
    MailResult result;
    const char *text;
};

class MailOutcome : public MailTest, public ::testing::WithParamInterface<Outcome> {};

TEST_P(MailOutcome, ShowsItsMessageAndClosesTheWindow)
{
    const Outcome o = GetParam();
    if (!o.mailSystem) {
        mailSystem = nullptr;
        makeLibrary();
        library->LoadFolders(false);
    }
    mail.result = o.result;
    bool closed = false;
    prompt.onDialog = [&](QDialog &dialog) {
        QTimer::singleShot(10000, &dialog, &QDialog::reject);
        const int code = dialog.exec();
        closed = !dialog.isVisible();
        return code;
    };
    select(1);
    library->onCommand(cmd::EMail);
    EXPECT_TRUE(closed);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, QString::fromLatin1(o.text));
    EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Warning);
}

INSTANTIATE_TEST_SUITE_P(
    Mail, MailOutcome,
    ::testing::Values(Outcome{true, MailResult::HandedOver, "Send Completed"},
                      Outcome{true, MailResult::NoMailSystem, "Unable to load the mail system."},
                      Outcome{true, MailResult::Failed,
                              "The message could not be handed to the mail program."},
                      Outcome{false, MailResult::HandedOver, "Unable to load the mail system."}));

} // namespace
