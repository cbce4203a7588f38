// MP4 recordings checked with ffprobe and ffmpeg: stream layout, timestamps, colours from every
// picture format, refusals, and the queued writer's drain and drops.
#include "video/mp4_writer.h"
#include "video/queued_mp4_writer.h"

#include "probed_video.h"
#include "temp_home.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace quelmar {
namespace {

using namespace quelmar::test;

QImage filled(QImage::Format format, QColor colour, QSize size = {640, 480})
{
    QImage picture(size, format);
    picture.fill(colour);
    return picture;
}

// The picture shown at `seconds`, as ffmpeg decodes it, one RGB pixel from its centre.
QColor decodedCentre(const QString &path, double seconds)
{
    const QByteArray rgb = runTool(
        QStringLiteral("ffmpeg"),
        {"-nostdin", "-v", "error", "-ss", QString::number(seconds, 'f', 2), "-i", path,
         "-frames:v", "1", "-vf", "crop=2:2:319:239", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    if (rgb.size() < 3)
        return {};
    return QColor(std::uint8_t(rgb[0]), std::uint8_t(rgb[1]), std::uint8_t(rgb[2]));
}

bool near(QColor a, QColor b, int tolerance = 12)
{
    return a.isValid() && std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

TEST(Mp4Writer, FileIsH264Yuv420pInTenthsWithTheGivenTimestamps)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("clip.mp4"));
    QString error;
    auto writer = Mp4Writer::create(path, {}, &error);
    ASSERT_TRUE(writer) << error.toStdString();
    // Thirty pictures at 0.1 s ... 3.0 s, with 1.1 s to 1.9 s missing (a dropped stretch).
    int written = 0;
    for (int pts = 1; pts <= 30; ++pts) {
        if (pts > 10 && pts < 20)
            continue;
        const QColor colour = pts <= 10 ? Qt::red : Qt::blue;
        ASSERT_TRUE(writer->write(filled(QImage::Format_RGB32, colour), pts, &error))
            << error.toStdString();
        ++written;
    }
    ASSERT_TRUE(writer->finish(&error)) << error.toStdString();

    const ProbedVideo video = probeVideo(path);
    ASSERT_TRUE(video.readable);
    EXPECT_EQ(video.codec, QStringLiteral("h264"));
    EXPECT_EQ(video.width, 640);
    EXPECT_EQ(video.height, 480);
    EXPECT_EQ(video.pixelFormat, QStringLiteral("yuv420p"));
    EXPECT_EQ(video.timeBase, QStringLiteral("1/10"));
    EXPECT_EQ(video.frames, written);
    EXPECT_NEAR(video.duration, 3.0, 0.11);
    EXPECT_TRUE(near(decodedCentre(path, 0.5), Qt::red));
    EXPECT_TRUE(near(decodedCentre(path, 2.5), Qt::blue));
}

class PictureFormats : public ::testing::TestWithParam<QImage::Format> {};

TEST_P(PictureFormats, EveryFormatKeepsItsColours)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("colour.mp4"));
    auto writer = Mp4Writer::create(path, {});
    ASSERT_TRUE(writer);
    const QColor colour(200, 120, 40);
    const QColor expected =
        GetParam() == QImage::Format_Grayscale8
            ? QColor(qGray(colour.rgb()), qGray(colour.rgb()), qGray(colour.rgb()))
            : colour;
    for (int pts = 1; pts <= 5; ++pts)
        ASSERT_TRUE(writer->write(filled(GetParam(), colour), pts));
    ASSERT_TRUE(writer->finish());
    EXPECT_TRUE(near(decodedCentre(path, 0.2), expected));
}

INSTANTIATE_TEST_SUITE_P(Formats, PictureFormats,
                         ::testing::Values(QImage::Format_RGB32, QImage::Format_ARGB32,
                                           QImage::Format_RGB888, QImage::Format_BGR888,
                                           QImage::Format_Grayscale8, QImage::Format_RGB16));

TEST(Mp4Writer, RefusesWrongSizesTimestampsAndPlaces)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(Mp4Writer::create(dir.filePath(QStringLiteral("odd.mp4")), {641, 480, 10}));
    EXPECT_FALSE(Mp4Writer::create(dir.filePath(QStringLiteral("none/x.mp4")), {}, &error));
    EXPECT_FALSE(error.isEmpty());

    const QString path = dir.filePath(QStringLiteral("r.mp4"));
    auto writer = Mp4Writer::create(path, {});
    ASSERT_TRUE(writer);
    EXPECT_FALSE(writer->write(filled(QImage::Format_RGB32, Qt::red, {1280, 720}), 1));
    ASSERT_TRUE(writer->write(filled(QImage::Format_RGB32, Qt::red), 3));
    EXPECT_FALSE(writer->write(filled(QImage::Format_RGB32, Qt::red), 3));
    EXPECT_FALSE(writer->write(filled(QImage::Format_RGB32, Qt::red), 2));
    EXPECT_TRUE(writer->finish());
    EXPECT_FALSE(writer->write(filled(QImage::Format_RGB32, Qt::red), 4));
    EXPECT_EQ(probeVideo(path).frames, 1);
}

TEST(Mp4Writer, DestroyingAWriterFinishesItsFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dropped.mp4"));
    {
        auto writer = Mp4Writer::create(path, {});
        ASSERT_TRUE(writer);
        for (int pts = 1; pts <= 12; ++pts)
            ASSERT_TRUE(writer->write(filled(QImage::Format_RGB32, Qt::green), pts));
    }
    EXPECT_EQ(probeVideo(path).frames, 12);
}

TEST(QueuedMp4Writer, FinishWritesEverythingQueued)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("q.mp4"));
    auto writer = QueuedMp4Writer::create(path, {}, 64);
    ASSERT_TRUE(writer);
    for (int pts = 1; pts <= 40; ++pts)
        ASSERT_TRUE(writer->offer(filled(QImage::Format_RGB32, Qt::yellow), pts));
    QString error;
    ASSERT_TRUE(writer->finish(&error)) << error.toStdString();
    EXPECT_FALSE(writer->offer(filled(QImage::Format_RGB32, Qt::yellow), 41));
    EXPECT_EQ(writer->framesWritten(), 40);
    EXPECT_EQ(probeVideo(path).frames, 40);
}

TEST(QueuedMp4Writer, AFullQueueDropsInsteadOfWaiting)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.mp4"));
    auto writer = QueuedMp4Writer::create(path, {}, 2);
    ASSERT_TRUE(writer);
    // Offered far faster than any encoder takes them.
    int accepted = 0;
    for (int pts = 1; pts <= 300; ++pts)
        accepted += writer->offer(filled(QImage::Format_RGB32, Qt::cyan), pts) ? 1 : 0;
    std::atomic<bool> reported = false;
    writer->requestFinish([&](bool ok, const QString &) { reported = ok; });
    ASSERT_TRUE(writer->finish());
    EXPECT_TRUE(reported);
    EXPECT_GT(writer->framesDropped(), 0);
    EXPECT_EQ(writer->framesDropped() + accepted, 300);
    EXPECT_EQ(probeVideo(path).frames, accepted);
}

} // namespace
} // namespace quelmar
