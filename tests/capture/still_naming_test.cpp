#include "capture/still_capture.h"

#include "temp_home.h"
#include <image/bmp_codec.h>

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <gtest/gtest.h>

using namespace quelmar::station;

namespace {

class StillNumbering : public ::testing::Test {
protected:
    quelmar::test::TempHome home;
    void touch(const QString &name) { quelmar::test::writeAll(home.file(name), "x"); }
};

TEST_F(StillNumbering, EmptyDirectoryStartsAtOne)
{
    EXPECT_EQ(nextStillNumber(home.path(), false), 1);
}

// The magnification goes into the name; whatever else the box holds, the name stays one file
// name.
TEST(StillName, CarriesTheMagnificationAsFileNameCharactersOnly)
{
    const QDateTime t(QDate(2026, 3, 4), QTime(5, 6, 7));
    const std::pair<QString, const char *> cases[] = {
        {QString(), "Still_2026-03-04_050607_N0001.jpg"},
        {QStringLiteral("100"), "Still_2026-03-04_050607_100X_N0001.jpg"},
        {QStringLiteral("0.5"), "Still_2026-03-04_050607_0.5X_N0001.jpg"},
        {QStringLiteral("1/2"), "Still_2026-03-04_050607_12X_N0001.jpg"},
        {QStringLiteral("/"), "Still_2026-03-04_050607_N0001.jpg"},
        {QStringLiteral(".."), "Still_2026-03-04_050607_N0001.jpg"},
        {QStringLiteral("6") + QChar(0) + u'0', "Still_2026-03-04_050607_60X_N0001.jpg"},
        {QStringLiteral("6\t0"), "Still_2026-03-04_050607_60X_N0001.jpg"},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(stillFileName(t, text, 1, false), QLatin1StringView(expected));
    EXPECT_EQ(stillFileName(t, QStringLiteral("100"), 12345, true),
              QStringLiteral("Still_2026-03-04_050607_100X_N12345.bmp"));
}

TEST_F(StillNumbering, EachFormatContinuesFromItsLargestNumber)
{
    touch(QStringLiteral("Still_2026-01-01_000000_N0007.jpg"));
    touch(QStringLiteral("Still_2026-01-02_000000_60X_N0012.JPG"));
    touch(QStringLiteral("Still_2026-01-02_000000_N0003.bmp"));
    touch(QStringLiteral("Still_2026-01-02_000000_N0099.png"));
    touch(QStringLiteral("nonumber.jpg"));
    touch(QStringLiteral("Still_2026-01-02_000000_N.jpg"));
    EXPECT_EQ(nextStillNumber(home.path(), false), 13);
    EXPECT_EQ(nextStillNumber(home.path(), true), 4);
}

// Videos number on their own, from "*.avi" in any case; a directory named like one is
// reported and skipped.
TEST_F(StillNumbering, VideosContinueFromTheLargestAviOfAnyCase)
{
    EXPECT_EQ(nextVideoNumber(home.path()), 1);
    touch(QStringLiteral("Video_2026-01-01_000000_N0007.avi"));
    touch(QStringLiteral("Video_2026-01-02_000000_N0012.AVI"));
    touch(QStringLiteral("Video_2026-01-02_000000_N0030.Avi"));
    touch(QStringLiteral("Still_2026-01-02_000000_N0099.jpg"));
    touch(QStringLiteral("test.avi"));
    QDir(home.path()).mkdir(QStringLiteral("Video_N0050.avi"));
    int directories = 0;
    EXPECT_EQ(nextVideoNumber(home.path(), [&] { ++directories; }), 31);
    EXPECT_EQ(directories, 1);
    EXPECT_EQ(videoFileName(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)), 31),
              QStringLiteral("Video_2026-03-04_050607_N0031.avi"));
}

TEST_F(StillNumbering, TextAfterTheLastNCounts)
{
    touch(QStringLiteral("xN5.jpg"));
    touch(QStringLiteral("abc.jpg"));
    EXPECT_EQ(nextStillNumber(home.path(), false), 6);
}

TEST_F(StillNumbering, DirectoryEntryIsReportedAndSkipped)
{
    QDir(home.path()).mkdir(QStringLiteral("folderN40.jpg"));
    touch(QStringLiteral("aN2.jpg"));
    int reported = 0;
    EXPECT_EQ(nextStillNumber(home.path(), false, [&] { ++reported; }), 3);
    EXPECT_EQ(reported, 1);
}

// The full-size picture and its thumbnail are written both or neither; directories that went
// missing are made again.
TEST_F(StillNumbering, WritesBothFilesOrNeither)
{
    quelmar::Frame frame(64, 48);
    StillRequest request;
    request.pictureDir = home.file(QStringLiteral("F/Picture"));
    request.fullSizeDir = request.pictureDir + QStringLiteral("/tmp");
    request.magnification = QStringLiteral("1/2");
    request.localTime = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7));
    const StillResult made = saveStill(frame, request);
    ASSERT_TRUE(made.written) << made.error.toStdString();
    EXPECT_TRUE(QFileInfo(made.fullSizePath).isFile());
    EXPECT_TRUE(QFileInfo(made.thumbnailPath).isFile());

    // The next thumbnail's name is taken by a directory: no full-size picture stays behind.
    const QString next = stillFileName(request.localTime, request.magnification, 2, false);
    QDir().mkpath(request.pictureDir + u'/' + next);
    const StillResult blocked = saveStill(frame, request);
    EXPECT_FALSE(blocked.written);
    EXPECT_FALSE(blocked.error.isEmpty());
    EXPECT_EQ(QFileInfo(blocked.fullSizePath).fileName(), next);
    EXPECT_FALSE(QFileInfo::exists(blocked.fullSizePath));
}

// Overlays are drawn into the still at the scale of its size, before both files are written.
TEST_F(StillNumbering, OverlaysAreDrawnAtTheScaleOfTheStillSize)
{
    struct Case {
        QSize size;
        double scale;
        QPointF zoom; // preview to frame: 16:9 frames are shown stretched wider
    };
    for (const auto &[size, scale, zoom] : {Case{QSize(640, 480), 1.0, {1.0, 1.0}},
                                            Case{QSize(1920, 1080), 2.25, {1920.0 / 1120, 2.25}},
                                            Case{QSize(1280, 1024), 2.0, {2.0, 2.0}}}) {
        quelmar::Frame frame(size.width(), size.height());
        StillRequest request;
        request.pictureDir = home.path();
        request.fullSizeDir = home.path();
        request.fullSizeDir += QStringLiteral("/tmp");
        QDir().mkpath(request.fullSizeDir);
        request.bmp = true;
        double seen = 0;
        QPointF seenZoom;
        request.drawOverlays = [&](QImage &picture, double s, QPointF z) {
            seen = s;
            seenZoom = z;
            // A red bar 8 units long at the scale, as a scale line would be.
            QPainter(&picture).fillRect(QRectF(0, 0, 8 * s, 4), QColor(255, 0, 0));
        };
        const StillResult result = saveStill(frame, request);
        ASSERT_TRUE(result.written);
        EXPECT_DOUBLE_EQ(seen, scale);
        EXPECT_DOUBLE_EQ(seenZoom.x(), zoom.x());
        EXPECT_DOUBLE_EQ(seenZoom.y(), zoom.y());
        QString error;
        std::optional<quelmar::Frame> written = quelmar::readBmp(result.fullSizePath, &error);
        ASSERT_TRUE(written) << error.toStdString();
        ASSERT_EQ(written->width(), size.width());
        const std::uint8_t *top = written->view().row(0);
        const int lastRed = int(8 * scale) - 1;
        EXPECT_EQ(top[lastRed * 3 + 2], 255);
        EXPECT_EQ(top[lastRed * 3 + 0], 0);
        EXPECT_EQ(top[(lastRed + 1) * 3 + 2], 0);
        QFile::remove(result.fullSizePath);
        QFile::remove(result.thumbnailPath);
    }
}

} // namespace
