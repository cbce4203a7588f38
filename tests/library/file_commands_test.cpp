#include "library/file_commands.h"
#include "library/workspace.h"
#include "library_fixture.h"

#include "base/command_ids.h"

#include <QFile>
#include <QSignalSpy>

#include <cerrno>
#include <cstring>

using namespace quelmar::station;
using namespace quelmar::test;

namespace {

class FileCommandsTest : public LibraryTest {
protected:
    QString thumb;

    void SetUp() override
    {
        LibraryTest::SetUp();
        thumb = addStill(QStringLiteral("Default"), QStringLiteral("Still_N0001.bmp"));
        addStill(QStringLiteral("Default"), QStringLiteral("Still_N0002.jpg"));
        library->LoadFolders(true);
    }

    void selectFirst() { strip().HitTest(thumbnailCell(0, strip().clientSize()).center()); }
};

TEST_F(FileCommandsTest, WithoutASelectionEachCommandSaysSoAndDoesNothing)
{
    const std::pair<int, const char *> cases[] = {
        {cmd::SaveAs, "Please select a picture or video"},
        {cmd::Open, "Please select an image or video"},
        {cmd::SaveAll, "Please select an image or video"},
        {cmd::Delete, "Please select an image or video"},
        {cmd::DeleteAll, "Please select an image or video"},
        {cmd::EMail, "Please select a picture or video"},
        {cmd::Print, "Please select a picture"},
    };
    for (const auto &[id, text] : cases) {
        prompt.answers = {PromptAnswer::Yes};
        library->onCommand(id);
        EXPECT_EQ(prompt.lastText(), QString::fromLatin1(text)) << id;
        EXPECT_EQ(prompt.messages.back().icon, PromptIcon::Warning);
    }
    EXPECT_TRUE(prompt.fileRequests.empty());
    EXPECT_TRUE(mail.attachments.empty());
    EXPECT_TRUE(printer.documentNames.empty());
    EXPECT_EQ(QDir(library->current().pictureDir).entryList(QDir::Files).size(), 2);
}

TEST_F(FileCommandsTest, SaveConvertsByTheExtensionOrCopies)
{
    selectFirst(); // the BMP
    const QString jpg = home.file(QStringLiteral("out/copy.jpg"));
    const QString bmp = home.file(QStringLiteral("out/copy.BMP"));
    QDir().mkpath(home.file(QStringLiteral("out")));
    prompt.fileAnswers = {jpg, bmp};
    library->onCommand(cmd::SaveAs);
    library->onCommand(cmd::SaveAs);
    EXPECT_EQ(prompt.fileRequests[0].proposedPath.section(u'/', -1), QStringLiteral("Still_N0001"));
    EXPECT_EQ(prompt.fileRequests[0].defaultSuffix, QStringLiteral("bmp"));
    EXPECT_EQ(identify(jpg), QStringLiteral("JPEG 64 48"));
    EXPECT_EQ(readAll(bmp), readAll(insertTmp(thumb)));
    EXPECT_TRUE(prompt.messages.empty());

    // A name that is neither .bmp nor .jpg would hold a format it does not say: refused.
    for (const char *name : {"out/copy.png", "out/copy.jpeg", "out/copy", "out/copy.xbmp"}) {
        prompt.fileAnswers = {home.file(QLatin1StringView(name))};
        library->onCommand(cmd::SaveAs);
        EXPECT_EQ(prompt.lastText(), QStringLiteral("Save fail")) << name;
        EXPECT_FALSE(QFile::exists(home.file(QLatin1StringView(name)))) << name;
        prompt.messages.clear();
    }
}

TEST_F(FileCommandsTest, JpegSavedAsBmpIsConvertedAndFailuresAreReported)
{
    strip().HitTest(thumbnailCell(1, strip().clientSize()).center()); // the JPEG
    const QString out = home.file(QStringLiteral("out"));
    QDir().mkpath(out);
    prompt.fileAnswers = {out + QStringLiteral("/a.bmp")};
    library->onCommand(cmd::SaveAs);
    EXPECT_EQ(identify(out + QStringLiteral("/a.bmp")), QStringLiteral("BMP3 64 48"));

    // A damaged full-size picture cannot be converted; a missing one cannot be copied.
    selectFirst();
    writeAll(insertTmp(thumb), "BM not really");
    prompt.fileAnswers = {out + QStringLiteral("/b.jpg")};
    library->onCommand(cmd::SaveAs);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Conpress fail"));
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("/b.jpg")));
    QFile::remove(insertTmp(thumb));
    prompt.fileAnswers = {out + QStringLiteral("/c.bmp")};
    library->onCommand(cmd::SaveAs);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Save fail"));
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("/c.bmp")));
}

TEST_F(FileCommandsTest, SaveAllThatEndsEarlyGivesTheSelectionBack)
{
    strip().HitTest(thumbnailCell(1, strip().clientSize()).center());
    library->onCommand(cmd::SaveAll); // the dialog is cancelled
    EXPECT_EQ(strip().shown().firstSelected(), 1);
    EXPECT_EQ(QFileInfo(strip().GetSelected()).fileName(), QStringLiteral("Still_N0002.jpg"));
}

// Delete all removes what the strip lists, and never through a link out of the folder.
TEST_F(FileCommandsTest, DeleteAllStaysInsideTheFolder)
{
    const QString outside = home.file(QStringLiteral("outside"));
    writeAll(outside + QStringLiteral("/precious.avi"), "keep");
    writeAll(library->current().videoDir + QStringLiteral("/notes.txt"), "keep");
    const QString video = library->current().videoDir;
    writeAll(video + QStringLiteral("/v.avi"), "avi");
    library->ReloadThumbnails();
    library->setListKind(ListKind::Videos);
    selectFirst();
    prompt.answers = {PromptAnswer::Yes};
    library->onCommand(cmd::DeleteAll);
    EXPECT_EQ(QDir(video).entryList(QDir::Files), QStringList{QStringLiteral("notes.txt")});

    // The Video directory replaced by a link to a directory elsewhere: nothing there goes.
    QDir(video).removeRecursively();
    QFile::link(outside, video);
    library->ReloadThumbnails();
    selectFirst();
    prompt.answers = {PromptAnswer::Yes};
    library->onCommand(cmd::DeleteAll);
    EXPECT_EQ(readAll(outside + QStringLiteral("/precious.avi")), QByteArray("keep"));
}

TEST_F(FileCommandsTest, SavingIntoTheFoldersOwnDirectoriesIsRefused)
{
    selectFirst();
    prompt.fileAnswers = {library->current().pictureDir + QStringLiteral("/x.bmp"),
                          library->current().fullSizeDir + QStringLiteral("/Still_N0001.bmp")};
    library->onCommand(cmd::SaveAs);
    EXPECT_EQ(prompt.messages.back().title, QStringLiteral("Save file"));
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Can't save file to temp directory!!"));
    EXPECT_FALSE(QFile::exists(library->current().pictureDir + QStringLiteral("/x.bmp")));
    // Onto the full-size file itself: refused too, and the file is whole.
    const QByteArray before = readAll(insertTmp(thumb));
    library->onCommand(cmd::SaveAs);
    EXPECT_EQ(prompt.messages.size(), 2u);
    EXPECT_EQ(readAll(insertTmp(thumb)), before);
}

TEST_F(FileCommandsTest, SaveAllCopiesThenDeletesOnlyOnYes)
{
    selectFirst();
    const QString out = home.file(QStringLiteral("out"));
    QDir().mkpath(out);
    prompt.fileAnswers = {out + QStringLiteral("/whatever"), out + QStringLiteral("/whatever")};
    prompt.answers = {PromptAnswer::No, PromptAnswer::Yes};
    library->onCommand(cmd::SaveAll);
    EXPECT_EQ(prompt.fileRequests[0].proposedPath.section(u'/', -1),
              QStringLiteral("Still_N0001.bmp Still_N0002.jpg "));
    EXPECT_EQ(QDir(out).entryList(QDir::Files),
              (QStringList{QStringLiteral("Still_N0001.bmp"), QStringLiteral("Still_N0002.jpg")}));
    EXPECT_EQ(QDir(library->current().fullSizeDir).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(strip().shown().count(), 2);

    // A still that arrives while the question is open was never copied: Yes leaves it.
    QString arrived;
    prompt.onQuestion = [&] {
        arrived = addStill(QStringLiteral("Default"), QStringLiteral("Still_N0003.jpg"));
        library->AddStill(arrived);
    };
    selectFirst();
    library->onCommand(cmd::SaveAll);
    EXPECT_EQ(QDir(library->current().fullSizeDir).entryList(QDir::Files),
              QStringList{QStringLiteral("Still_N0003.jpg")});
    EXPECT_EQ(QDir(library->current().pictureDir).entryList(QDir::Files),
              QStringList{QStringLiteral("Still_N0003.jpg")});
    ASSERT_EQ(strip().shown().count(), 1);
    EXPECT_EQ(strip().shown().items()[0].path, arrived);
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 2);
}

TEST_F(FileCommandsTest, DeleteRemovesBothFilesOrReportsTheSystemError)
{
    selectFirst();
    prompt.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    library->onCommand(cmd::Delete);
    EXPECT_FALSE(QFile::exists(thumb));
    EXPECT_FALSE(QFile::exists(insertTmp(thumb)));
    ASSERT_EQ(strip().shown().count(), 1);

    // The thumbnail is already gone when the delete runs: the system's reason is shown.
    selectFirst();
    const QString second = library->strip()->GetSelected();
    QFile::remove(removeTmp(second));
    library->onCommand(cmd::Delete);
    EXPECT_EQ(prompt.lastText(), QString::fromLocal8Bit(std::strerror(ENOENT)));
    EXPECT_EQ(prompt.messages.back().title, QStringLiteral("Capture"));
    EXPECT_EQ(prompt.messages.back().icon, PromptIcon::Error);
    EXPECT_EQ(strip().shown().count(), 1);
}

TEST_F(FileCommandsTest, OpeningAVideoHandsItsPathToThePlayer)
{
    const QString video = library->current().videoDir + QStringLiteral("/clip.avi");
    writeAll(video, "not really a video");
    library->ReloadThumbnails();
    library->setListKind(ListKind::Videos);
    selectFirst();
    library->onCommand(cmd::Open);
    const QByteArray expected(reinterpret_cast<const char *>(video.utf16()), video.size() * 2);
    EXPECT_EQ(player.handOverAtStart, expected);
    EXPECT_EQ(player.played, QStringList{video});
}

TEST_F(FileCommandsTest, OpeningAPictureNeedsAReadableFile)
{
    selectFirst();
    QSignalSpy opened(library, &MediaLibrary::openPictureRequested);
    library->onCommand(cmd::Open);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0][0].toString(), insertTmp(thumb));
    QFile::remove(insertTmp(thumb));
    library->onCommand(cmd::Open);
    EXPECT_EQ(opened.size(), 1);
    EXPECT_EQ(prompt.lastText(),
              QStringLiteral("the picture not open,please check the file exist!"));
}

} // namespace
