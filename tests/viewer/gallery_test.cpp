// The gallery: what a grid lists and in which order, thumbnails decoded once at cell size,
// actions only on a valid selection, open, save (atomically, the recording rather than its
// poster), delete, delete all, and a recording finished before its files go.
#include "viewer_test_support.h"
#include "wifiscope_sim.h"

#include "app/gallery.h"
#include "app/gallery_view.h"
#include "app/orbilux_window.h"
#include "app/video_recorder.h"

#include "atomic_file.h"
#include "probed_video.h"
#include "temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace quelmar::viewer;
using quelmar::test::readAll;
using quelmar::test::writeAll;

bool writePicture(const QString &path, QSize size = {640, 480}, QColor colour = Qt::darkBlue)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    return picture.save(path, "JPEG");
}

class GalleryTest : public ::testing::Test {
protected:
    GalleryTest()
    {
        images_ = dir_.filePath(QStringLiteral("Image/"));
        videos_ = dir_.filePath(QStringLiteral("Video/"));
        QDir().mkpath(images_);
        QDir().mkpath(videos_);
    }
    // The grids loaded from the two directories, the photos shown.
    void load()
    {
        gallery_.setDirectories(images_, videos_);
        gallery_.setTab(Gallery::kPhotosTab);
    }

    QTemporaryDir dir_;
    QString images_;
    QString videos_;
    quelmar::test::ScriptedViewerPrompt prompt_;
    quelmar::test::RecordingOpener opener_;
    Gallery gallery_{&prompt_, &opener_};
};

TEST_F(GalleryTest, ListsReadableJpgFilesByNameAndNothingElse)
{
    for (const char *name : {"b.jpg", "a.jpg", "20240101120000-1.jpg", "20240101120000.jpg"})
        ASSERT_TRUE(writePicture(images_ + QString::fromLatin1(name)));
    ASSERT_TRUE(writePicture(images_ + QStringLiteral("upper.JPG")));
    ASSERT_TRUE(writePicture(images_ + QStringLiteral("picture.png")));
    ASSERT_TRUE(writeAll(images_ + QStringLiteral("broken.jpg"), "not a picture"));
    load();
    GalleryModel &photos = gallery_.photos();
    QStringList listed;
    for (int row = 0; row < photos.rowCount(); ++row)
        listed << QFileInfo(photos.pathAt(row)).fileName();
    EXPECT_EQ(listed, QStringList({QStringLiteral("20240101120000.jpg"),
                                   QStringLiteral("20240101120000-1.jpg"), QStringLiteral("a.jpg"),
                                   QStringLiteral("b.jpg")}));

    // A new still joins at its place by name.
    ASSERT_TRUE(writePicture(images_ + QStringLiteral("aa.jpg")));
    gallery_.addCollectionItem(0, images_ + QStringLiteral("aa.jpg"));
    EXPECT_EQ(QFileInfo(photos.pathAt(3)).fileName(), QStringLiteral("aa.jpg"));
    gallery_.addCollectionItem(0, images_ + QStringLiteral("broken.jpg"));
    EXPECT_EQ(photos.rowCount(), 5);
}

TEST_F(GalleryTest, ThumbnailsAreDecodedOnceAtCellSize)
{
    ASSERT_TRUE(writePicture(images_ + QStringLiteral("wide.jpg"), {1920, 1080}));
    ASSERT_TRUE(writePicture(images_ + QStringLiteral("small.jpg"), {64, 48}));
    load();
    GalleryModel &photos = gallery_.photos();
    EXPECT_EQ(photos.thumbnailsDecoded(), 0); // listing decodes nothing
    const QImage thumbnail = photos.data(photos.index(1), Qt::DecorationRole).value<QImage>();
    EXPECT_LE(thumbnail.width(), GalleryModel::kCellSide);
    EXPECT_LE(thumbnail.height(), GalleryModel::kCellSide);
    EXPECT_NEAR(double(thumbnail.width()) / thumbnail.height(), 16.0 / 9.0, 0.1);
    EXPECT_EQ(photos.thumbnailsDecoded(), 1);
    // Switching tabs lists again, but the picture is not decoded again.
    gallery_.setTab(Gallery::kVideosTab);
    gallery_.setTab(Gallery::kPhotosTab);
    photos.data(photos.index(1), Qt::DecorationRole);
    EXPECT_EQ(photos.thumbnailsDecoded(), 1);
}

TEST_F(GalleryTest, ActionsNeedAValidSelectionWhichAReloadResets)
{
    ASSERT_TRUE(writePicture(images_ + QStringLiteral("a.jpg")));
    ASSERT_TRUE(writePicture(images_ + QStringLiteral("b.jpg")));
    load();
    gallery_.select(1);
    EXPECT_EQ(gallery_.IndexSelect(), 1);
    ASSERT_TRUE(QFile::remove(images_ + QStringLiteral("b.jpg")));
    gallery_.setTab(Gallery::kPhotosTab); // reloads: one item left
    EXPECT_EQ(gallery_.IndexSelect(), -1);
    prompt_.confirmAnswers = {true, true};
    gallery_.openMenuItemAction();
    gallery_.saveMenuItemAction();
    gallery_.deleteSigMenuItemAction();
    EXPECT_TRUE(opener_.opened.isEmpty());
    EXPECT_TRUE(prompt_.saveRequests.isEmpty());
    EXPECT_TRUE(prompt_.confirmations.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(images_ + QStringLiteral("a.jpg")));
    gallery_.select(7);
    EXPECT_EQ(gallery_.IndexSelect(), -1);

    // The settings tab has no files: nothing acts there.
    gallery_.select(0);
    gallery_.setTab(Gallery::kSettingsTab);
    gallery_.deleteMulMenuItemAction();
    EXPECT_TRUE(prompt_.confirmations.isEmpty());
    EXPECT_EQ(QDir(images_).entryList(QDir::Files).size(), 1);
}

TEST_F(GalleryTest, OpenAndSaveTakeTheRecordingNotItsPoster)
{
    ASSERT_TRUE(writePicture(images_ + QStringLiteral("still.jpg")));
    ASSERT_TRUE(writeAll(videos_ + QStringLiteral("clip.mp4"), QByteArray(3 << 20, 'v')));
    ASSERT_TRUE(writePicture(videos_ + QStringLiteral("clip.mp4.jpg")));
    ASSERT_TRUE(writePicture(videos_ + QStringLiteral("stray.jpg")));
    load();
    gallery_.openItem(0);
    EXPECT_EQ(opener_.opened, QStringList{images_ + QStringLiteral("still.jpg")});

    const QString target = dir_.filePath(QStringLiteral("copy.mp4"));
    ASSERT_TRUE(writeAll(target, "an older file of that name"));
    gallery_.setTab(Gallery::kVideosTab);
    gallery_.select(0);
    gallery_.openMenuItemAction();
    EXPECT_EQ(opener_.opened.last(), videos_ + QStringLiteral("clip.mp4"));
    prompt_.saveAnswers = {target};
    gallery_.saveMenuItemAction();
    EXPECT_EQ(prompt_.saveRequests, QStringList{QStringLiteral("Save Video|clip.mp4|mp4")});
    EXPECT_EQ(readAll(target), readAll(videos_ + QStringLiteral("clip.mp4")));

    // A picture in the video directory that is no recording's poster opens nothing.
    gallery_.select(1);
    gallery_.openMenuItemAction();
    EXPECT_EQ(opener_.opened.size(), 2);

    gallery_.setTab(Gallery::kPhotosTab);
    gallery_.select(0);
    prompt_.saveAnswers = {QString()}; // cancelled
    gallery_.saveMenuItemAction();
    EXPECT_EQ(prompt_.saveRequests.last(), QStringLiteral("Save Image|still.jpg|jpg"));
}

TEST_F(GalleryTest, AFailedCopyIsAlertedAndLeavesNoFile)
{
    ASSERT_TRUE(writePicture(images_ + QStringLiteral("still.jpg")));
    load();
    gallery_.select(0);
    const QString target = dir_.filePath(QStringLiteral("missing/dir/copy.jpg"));
    prompt_.saveAnswers = {target};
    gallery_.saveMenuItemAction();
    EXPECT_FALSE(QFileInfo::exists(target));
    ASSERT_EQ(prompt_.alerts.size(), 1);
    EXPECT_TRUE(prompt_.alerts[0].startsWith(u"The file cannot be saved"));
    EXPECT_TRUE(quelmar::copyFileReplacing(images_ + QStringLiteral("still.jpg"),
                                           dir_.filePath(QStringLiteral("copy.jpg"))));
}

TEST_F(GalleryTest, DeletingAVideoTakesItsPosterAndOnlyARealRecording)
{
    ASSERT_TRUE(writeAll(videos_ + QStringLiteral("clip.mp4"), "video"));
    ASSERT_TRUE(writePicture(videos_ + QStringLiteral("clip.mp4.jpg")));
    ASSERT_TRUE(writePicture(videos_ + QStringLiteral("notes.jpg")));
    ASSERT_TRUE(writeAll(videos_ + QStringLiteral("notes"), "a file the user keeps"));
    load();
    gallery_.setTab(Gallery::kVideosTab);
    gallery_.select(0); // clip
    prompt_.confirmAnswers = {false};
    gallery_.deleteSigMenuItemAction();
    EXPECT_EQ(prompt_.confirmations,
              QStringList{QStringLiteral("Delete|Are you sure delete the file?")});
    EXPECT_TRUE(QFileInfo::exists(videos_ + QStringLiteral("clip.mp4")));

    gallery_.select(0);
    prompt_.confirmAnswers = {true};
    gallery_.deleteSigMenuItemAction();
    EXPECT_FALSE(QFileInfo::exists(videos_ + QStringLiteral("clip.mp4")));
    EXPECT_FALSE(QFileInfo::exists(videos_ + QStringLiteral("clip.mp4.jpg")));
    EXPECT_EQ(gallery_.videos().rowCount(), 1);
    EXPECT_EQ(gallery_.IndexSelect(), -1);

    gallery_.select(0); // notes.jpg
    prompt_.confirmAnswers = {true};
    gallery_.deleteSigMenuItemAction();
    EXPECT_FALSE(QFileInfo::exists(videos_ + QStringLiteral("notes.jpg")));
    EXPECT_TRUE(QFileInfo::exists(videos_ + QStringLiteral("notes")));
}

TEST_F(GalleryTest, DeleteAllLeavesAnEmptyDirectory)
{
    ASSERT_TRUE(writePicture(images_ + QStringLiteral("a.jpg")));
    ASSERT_TRUE(writePicture(images_ + QStringLiteral("b.jpg")));
    load();
    prompt_.confirmAnswers = {true};
    gallery_.deleteMulMenuItemAction();
    EXPECT_EQ(prompt_.confirmations,
              QStringList{QStringLiteral("Delete|Are you sure delete all files?")});
    EXPECT_TRUE(QDir(images_).exists());
    EXPECT_TRUE(QDir(images_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_EQ(gallery_.photos().rowCount(), 0);
}

TEST_F(GalleryTest, TheSelectionStaysOnItsItemWhenAnotherJoinsBeforeIt)
{
    ASSERT_TRUE(writePicture(images_ + QStringLiteral("b.jpg")));
    load();
    gallery_.select(0);
    ASSERT_TRUE(writePicture(images_ + QStringLiteral("a.jpg")));
    gallery_.addCollectionItem(0, images_ + QStringLiteral("a.jpg"));
    EXPECT_EQ(gallery_.IndexSelect(), 1);
    EXPECT_EQ(QFileInfo(gallery_.photos().pathAt(1)).fileName(), QStringLiteral("b.jpg"));
}

// With the window: the right-clicked item is the one acted on and shown selected, and a
// recording being written is finished before its files are deleted.
class GalleryWindow : public ::testing::Test {
protected:
    ViewerServices services()
    {
        ViewerServices s{&prompt_, &network_, quelmar::test::closedAddress()};
        s.opener = &opener_;
        return s;
    }
    quelmar::test::ViewerHome home_;
    quelmar::test::ScriptedViewerPrompt prompt_;
    quelmar::test::RecordingOpener opener_;
    FixedWifiNetwork network_;
};

TEST_F(GalleryWindow, ARecordingIsFinishedBeforeItsFilesAreDeleted)
{
    OrbiluxWindow window(services());
    ViewController &controller = window.controller();
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(Qt::darkRed);
    controller.handleWifiPicture(picture);
    controller.TakeRecord();
    for (int i = 0; i < 10; ++i)
        controller.handleWifiPicture(picture);
    ASSERT_EQ(controller.recorder().recordcapture(), VideoRecorder::kRecording);
    const QString video = controller.recorder().videoFileName();

    window.tabView().setCurrentIndex(OrbiluxWindow::kVideosTab);
    GalleryView &grid = window.videoGrid();
    // The poster is listed once it is written.
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid.model()->rowCount() == 1; }, 15000));
    grid.show();
    Q_EMIT grid.customContextMenuRequested(grid.visualRect(grid.model()->index(0, 0)).center());
    EXPECT_EQ(controller.gallery().IndexSelect(), 0);
    EXPECT_TRUE(grid.selectionModel()->isSelected(grid.model()->index(0, 0)));
    grid.contextMenu()->hide();

    prompt_.confirmAnswers = {true};
    controller.gallery().deleteSigMenuItemAction();
    EXPECT_EQ(controller.recorder().recordcapture(), VideoRecorder::kIdle);
    EXPECT_FALSE(QFileInfo::exists(video));
    EXPECT_FALSE(QFileInfo::exists(video + QStringLiteral(".jpg")));

    // Delete all while a new recording runs.
    controller.TakeRecord();
    for (int i = 0; i < 6; ++i)
        controller.handleWifiPicture(picture);
    ASSERT_EQ(controller.recorder().recordcapture(), VideoRecorder::kRecording);
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid.model()->rowCount() == 1; }, 15000));
    prompt_.confirmAnswers = {true};
    controller.gallery().deleteMulMenuItemAction();
    EXPECT_EQ(controller.recorder().recordcapture(), VideoRecorder::kIdle);
    EXPECT_TRUE(QDir(controller.videoDirectory()).entryList(QDir::Files).isEmpty());
}

} // namespace
