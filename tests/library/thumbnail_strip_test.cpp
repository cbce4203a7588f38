#include "library/thumbnail_lists.h"
#include "library/thumbnail_loader.h"
#include "library_fixture.h"

#include <QFile>
#include <QScrollBar>

using namespace quelmar::station;
using namespace quelmar::test;

namespace {

using ThumbnailStrip = LibraryTest;

TEST(ThumbnailCells, FollowTheLayoutFormula)
{
    const QSize client(145, 430); // the strip without its scroll bar
    EXPECT_EQ(thumbnailCell(0, client), QRect(8, 10, 62, 63));
    EXPECT_EQ(thumbnailCell(1, client), QRect(77, 10, 62, 63));
    EXPECT_EQ(thumbnailCell(11, client), QRect(77, 10 + 5 * 70, 62, 63));
}

TEST(ThumbnailScrolling, RangeAndPositionFollowTheItemCount)
{
    EXPECT_EQ(ThumbnailList::rangeFor(12).maximum, 5);
    EXPECT_FALSE(ThumbnailList::rangeFor(12).arrowsEnabled());
    EXPECT_EQ(ThumbnailList::rangeFor(13).maximum, 6);
    EXPECT_TRUE(ThumbnailList::rangeFor(13).arrowsEnabled());

    ThumbnailList list;
    for (int i = 0; i < 24; ++i)
        list.addSelected(QString::number(i));
    EXPECT_EQ(list.scrollRow(), 6); // the last row shown
    EXPECT_EQ(list.pageStart(), 12);
    EXPECT_EQ(list.pageCount(), 12);
    EXPECT_EQ(list.firstSelected(), 23);
    list.scrollTo(100); // no further than the last full page
    EXPECT_EQ(list.scrollRow(), 6);
    list.remove(0); // fewer than 13 rows: back to the top
    EXPECT_EQ(list.scrollRow(), 0);
    EXPECT_EQ(list.selectedIndex(), 22);
}

TEST_F(ThumbnailStrip, ThirteenthStillShowsRowsOneToSixWithItSelected)
{
    for (int i = 1; i <= 12; ++i)
        addStill(QStringLiteral("Default"),
                 QStringLiteral("Still_N%1.jpg").arg(i, 4, 10, QChar(u'0')));
    library->LoadFolders(true);
    ASSERT_EQ(strip().shown().count(), 12);
    EXPECT_EQ(strip().shown().scrollRow(), 0);

    const QString newest = addStill(QStringLiteral("Default"), QStringLiteral("Still_N0013.jpg"));
    library->AddStill(newest);
    EXPECT_EQ(strip().shown().range().maximum, 6);
    EXPECT_EQ(strip().shown().scrollRow(), 1);
    EXPECT_EQ(strip().shown().pageStart(), 2);
    EXPECT_EQ(strip().GetSelected(), insertTmp(newest));
    // The bar's last position is the one shown now: the last full page, nothing beyond.
    const QScrollBar *bar = strip().findChild<QScrollBar *>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->maximum(), 1);
    EXPECT_EQ(bar->value(), 1);
    EXPECT_TRUE(bar->isEnabled());
    // The selection frame is part of the drawn page.
    const QImage withFrame = strip().page();
    strip().shown().clearSelection();
    strip().Redraw();
    EXPECT_NE(withFrame, strip().page());
}

TEST_F(ThumbnailStrip, ScanListsPicturesAboveFortyBytesAndAvisOfAnyCase)
{
    const QString pictures = folder("Default") + QStringLiteral("/Picture/");
    writeAll(pictures + QStringLiteral("small.jpg"), QByteArray(40, 'x'));
    writeAll(pictures + QStringLiteral("big.JPG"), QByteArray(41, 'x'));
    writeAll(pictures + QStringLiteral("c.bmp"), QByteArray(41, 'x'));
    writeAll(pictures + QStringLiteral("d.png"), QByteArray(100, 'x'));
    writeAll(folder("Default") + QStringLiteral("/Video/v.AVI"), QByteArray());
    writeAll(folder("Default") + QStringLiteral("/Video/w.mp4"), QByteArray(10, 'x'));
    library->LoadFolders(true);
    QStringList names;
    for (const ThumbnailItem &item : strip().list(ListKind::Pictures).items())
        names << QFileInfo(item.path).fileName();
    EXPECT_EQ(names, (QStringList{QStringLiteral("big.JPG"), QStringLiteral("c.bmp")}));
    EXPECT_EQ(strip().list(ListKind::Videos).count(), 1);
}

TEST_F(ThumbnailStrip, HitTestSelectsPerListAndVanishedFilesLeaveAtDrawing)
{
    const QString a = addStill(QStringLiteral("Default"), QStringLiteral("a.jpg"));
    addStill(QStringLiteral("Default"), QStringLiteral("b.bmp"));
    library->LoadFolders(true);
    const QSize client = strip().clientSize();
    EXPECT_TRUE(strip().HitTest(thumbnailCell(1, client).center()));
    EXPECT_EQ(QFileInfo(strip().GetSelected()).fileName(), QStringLiteral("b.bmp"));
    EXPECT_FALSE(strip().HitTest(thumbnailCell(2, client).center()));
    EXPECT_TRUE(strip().GetSelected().isEmpty());

    strip().HitTest(thumbnailCell(1, client).center());
    library->setListKind(ListKind::Videos);
    EXPECT_TRUE(strip().GetSelected().isEmpty());
    library->setListKind(ListKind::Pictures);
    EXPECT_FALSE(strip().GetSelected().isEmpty()); // each list keeps its selection

    QFile::remove(a);
    strip().Redraw();
    ASSERT_EQ(strip().shown().count(), 1);
    EXPECT_EQ(strip().shown().selectedIndex(), 0);
}

// Thumbnails are decoded only after their headers check out; anything else leaves the cell
// with its background.
TEST_F(ThumbnailStrip, DamagedOrLyingThumbnailsDecodeToNothing)
{
    const QString good = addStill(QStringLiteral("Default"), QStringLiteral("good.bmp"));
    EXPECT_EQ(decodeThumbnailFile(good).size(), QSize(60, 60));
    QByteArray bytes = readAll(good);
    QByteArray lying = bytes;
    lying[22] = '\x7f'; // height far beyond the pixels there are
    writeAll(home.file(QStringLiteral("lying.bmp")), lying);
    EXPECT_TRUE(decodeThumbnailFile(home.file(QStringLiteral("lying.bmp"))).isNull());
    writeAll(home.file(QStringLiteral("cut.bmp")), bytes.left(100));
    EXPECT_TRUE(decodeThumbnailFile(home.file(QStringLiteral("cut.bmp"))).isNull());
    writeAll(home.file(QStringLiteral("junk.jpg")), QByteArray(500, '\xff'));
    EXPECT_TRUE(decodeThumbnailFile(home.file(QStringLiteral("junk.jpg"))).isNull());

    // Drawing a page with such a cell goes on with the others.
    QFile::copy(home.file(QStringLiteral("lying.bmp")),
                folder("Default") + QStringLiteral("/Picture/lying.bmp"));
    library->LoadFolders(true);
    EXPECT_EQ(strip().shown().count(), 2);
}

TEST_F(ThumbnailStrip, AVideoCellShowsItsFirstFrame)
{
    const QString video = folder("Default") + QStringLiteral("/Video/clip.avi");
    QDir().mkpath(QFileInfo(video).path());
    int rc = -1;
    runTool(QStringLiteral("/usr/bin/ffmpeg"),
            {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-f"),
             QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("color=c=red:size=320x240:rate=5"), QStringLiteral("-frames:v"),
             QStringLiteral("2"), QStringLiteral("-c:v"), QStringLiteral("mjpeg"), video},
            &rc);
    ASSERT_EQ(rc, 0);
    library->LoadFolders(true);
    library->setListKind(ListKind::Videos);
    const QRect cell = thumbnailCell(0, strip().clientSize());
    const QColor centre = strip().page().pixelColor(cell.center());
    EXPECT_GT(centre.red(), 200);
    EXPECT_LT(centre.green(), 60);
}

} // namespace
