// First-frame thumbnails: videos made by the ffmpeg program in several codecs and containers,
// compared with what ffmpeg itself decodes; damaged, foreign and oversized files refused.
#include "video/first_frame.h"

#include "temp_home.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace quelmar {
namespace {

using namespace quelmar::test;

const QString kFfmpeg = QStringLiteral("/usr/bin/ffmpeg");

// Runs ffmpeg quietly on a lavfi source, writing `output`.
bool makeVideo(const QString &source, const QStringList &encoding, const QString &output)
{
    int exitCode = -1;
    runTool(kFfmpeg,
            QStringList{"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", source} + encoding +
                QStringList{output},
            &exitCode);
    return exitCode == 0;
}

// The first picture as the ffmpeg program decodes and scales it, as packed BGR.
QByteArray decodedByFfmpeg(const QString &path, int width, int height)
{
    return runTool(kFfmpeg, {"-nostdin", "-v", "error", "-i", path, "-frames:v", "1", "-vf",
                             QStringLiteral("scale=%1:%2:flags=area").arg(width).arg(height), "-f",
                             "rawvideo", "-pix_fmt", "bgr24", "-"});
}

double meanDifference(const Frame &frame, const QByteArray &expected)
{
    double sum = 0;
    for (std::size_t i = 0; i < frame.byteCount(); ++i)
        sum += std::abs(int(frame.data()[i]) - int(std::uint8_t(expected[qsizetype(i)])));
    return sum / double(frame.byteCount());
}

// The largest distance of any channel of any pixel from one colour.
int farthestFrom(const Frame &frame, int blue, int green, int red)
{
    int farthest = 0;
    for (std::size_t i = 0; i < frame.byteCount(); i += 3) {
        farthest =
            std::max({farthest, std::abs(frame.data()[i] - blue),
                      std::abs(frame.data()[i + 1] - green), std::abs(frame.data()[i + 2] - red)});
    }
    return farthest;
}

class VideoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFile::exists(kFfmpeg))
            GTEST_SKIP() << "needs " << kFfmpeg.toStdString();
    }
    QTemporaryDir dir_;
};

struct Sized {
    const char *name;
    int width, height;
    QStringList encoding;
    const char *file;
    int maxWidth, maxHeight;
};

void PrintTo(const Sized &s, std::ostream *os)
{
    *os << s.name;
}

class Thumbnail : public VideoTest, public ::testing::WithParamInterface<Sized> {};

TEST_P(Thumbnail, IsTheFirstPictureScaledIntoTheCell)
{
    const Sized &s = GetParam();
    const QString path = dir_.filePath(QString::fromLatin1(s.file));
    ASSERT_TRUE(makeVideo(QStringLiteral("testsrc=size=%1x%2:rate=5").arg(s.width).arg(s.height),
                          s.encoding, path));

    QString error;
    const std::optional<Frame> frame = readFirstVideoFrame(path, s.maxWidth, s.maxHeight, &error);
    ASSERT_TRUE(frame) << error.toStdString();
    EXPECT_EQ(frame->width(), std::min(s.width, s.maxWidth));
    EXPECT_EQ(frame->height(), std::min(s.height, s.maxHeight));
    const QByteArray expected = decodedByFfmpeg(path, frame->width(), frame->height());
    ASSERT_EQ(std::size_t(expected.size()), frame->byteCount());
    // Same libraries, same filter: a wrong matrix, range, channel order or row is far off.
    EXPECT_LT(meanDifference(*frame, expected), 0.5);
}

const QStringList kRaw{"-frames:v", "3", "-c:v", "rawvideo", "-pix_fmt", "bgr24"};
const QStringList kMjpeg{"-frames:v", "3", "-c:v", "mjpeg", "-q:v", "2"};
const QStringList kMpeg4{"-frames:v", "3", "-c:v", "mpeg4", "-q:v", "2"};
const QStringList kH264{"-frames:v", "3", "-c:v", "libx264", "-pix_fmt", "yuv420p"};
const QStringList kH264Bt709{"-frames:v",   "3",      "-vf",  "scale=out_color_matrix=bt709",
                             "-colorspace", "bt709",  "-c:v", "libx264",
                             "-pix_fmt",    "yuv420p"};
const QStringList kH264FullRange{"-frames:v",    "3",      "-vf",  "scale=out_range=pc",
                                 "-color_range", "pc",     "-c:v", "libx264",
                                 "-pix_fmt",     "yuv420p"};
const QStringList kVp9{"-frames:v", "3", "-c:v", "libvpx-vp9"};
const QStringList kOneMjpeg{"-frames:v", "1", "-c:v", "mjpeg"};

INSTANTIATE_TEST_SUITE_P(
    Videos, Thumbnail,
    ::testing::Values(Sized{"RawAvi", 320, 240, kRaw, "raw.avi", 80, 60},
                      Sized{"MjpegAvi", 320, 240, kMjpeg, "mjpeg.avi", 80, 60},
                      Sized{"Mpeg4Avi", 320, 240, kMpeg4, "mpeg4.avi", 80, 60},
                      Sized{"H264Mp4", 320, 240, kH264, "h264.mp4", 80, 60},
                      Sized{"H264Bt709", 320, 240, kH264Bt709, "bt709.mp4", 80, 60},
                      Sized{"H264FullRange", 320, 240, kH264FullRange, "full.mp4", 80, 60},
                      Sized{"Vp9Mkv", 320, 240, kVp9, "vp9.mkv", 80, 60},
                      Sized{"OddMjpeg", 321, 241, kMjpeg, "odd.avi", 79, 61},
                      Sized{"CameraSizedMjpeg", 3264, 2448, kOneMjpeg, "big.avi", 80, 60},
                      Sized{"StretchedIntoATallCell", 640, 480, kRaw, "tall.avi", 60, 80},
                      Sized{"SmallerThanTheCell", 50, 30, kRaw, "small.avi", 80, 60},
                      Sized{"OnePixel", 1, 1, kRaw, "one.avi", 80, 60}),
    [](const auto &info) { return std::string(info.param.name); });

// Keeps the first `fraction` of a file.
bool truncate(const QString &path, double fraction)
{
    const QByteArray bytes = readAll(path);
    return !bytes.isEmpty() && writeAll(path, bytes.left(qsizetype(bytes.size() * fraction)));
}

struct Codec {
    const char *name;
    QStringList encoding;
    const char *file;
    double kept = 1.0; // the share of the file left after a crash cut it off
};

void PrintTo(const Codec &c, std::ostream *os)
{
    *os << c.name;
}

class FirstPicture : public VideoTest, public ::testing::WithParamInterface<Codec> {};

// Red for the first picture only, blue after: a later picture would show blue.
const QString kRedThenBlue =
    QStringLiteral("color=c=blue:size=64x48:rate=5,drawbox=c=red:t=fill:enable='eq(n,0)'");

TEST_P(FirstPicture, IsTakenEvenFromDecodersThatHoldPicturesBack)
{
    const QString path = dir_.filePath(QString::fromUtf8(GetParam().file));
    ASSERT_TRUE(makeVideo(kRedThenBlue, GetParam().encoding, path));
    ASSERT_TRUE(GetParam().kept == 1.0 || truncate(path, GetParam().kept));

    QString error;
    const std::optional<Frame> frame = readFirstVideoFrame(path, 80, 60, &error);
    ASSERT_TRUE(frame) << error.toStdString();
    EXPECT_EQ(frame->width(), 64);
    EXPECT_EQ(frame->height(), 48);
    EXPECT_LE(farthestFrom(*frame, 0, 0, 255), 12);
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, FirstPicture,
    ::testing::Values(
        Codec{"Raw", {"-frames:v", "4", "-c:v", "rawvideo", "-pix_fmt", "bgr24"}, "raw.avi"},
        Codec{"RawCutOffAfterTheFirstPicture", kRaw, "cut.avi", 0.5},
        // Neither the colon nor the accents may turn the name into something else.
        Codec{"MjpegWithAnOddName", kMjpeg, "http: grün ✓.avi"},
        Codec{"Mpeg4BFrames", {"-frames:v", "8", "-c:v", "mpeg4", "-bf", "2"}, "mpeg4.avi"},
        // A lone picture from a reordering decoder only comes out when the input ends.
        Codec{"H264SinglePicture", {"-frames:v", "1", "-c:v", "libx264"}, "h264.mkv"},
        Codec{"H264BFrames", {"-frames:v", "8", "-c:v", "libx264"}, "h264.mp4"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(VideoTest, ThreadsReadAtTheSameTimeAlike)
{
    const QString path = dir_.filePath(QStringLiteral("shared.avi"));
    ASSERT_TRUE(makeVideo(QStringLiteral("testsrc=size=320x240:rate=5"),
                          {"-frames:v", "2", "-c:v", "mpeg4"}, path));
    const std::optional<Frame> alone = readFirstVideoFrame(path, 80, 60);
    ASSERT_TRUE(alone);

    std::vector<std::optional<Frame>> results(4);
    std::vector<std::thread> threads;
    for (auto &result : results)
        threads.emplace_back([&] { result = readFirstVideoFrame(path, 80, 60); });
    for (auto &thread : threads)
        thread.join();
    for (const auto &result : results) {
        ASSERT_TRUE(result);
        EXPECT_TRUE(
            std::equal(result->data(), result->data() + result->byteCount(), alone->data()));
    }
}

struct Damage {
    const char *name;
    // Writes the file at the path; false when it cannot.
    std::function<bool(const QString &)> make;
    const char *reason; // found in the error text
};

void PrintTo(const Damage &d, std::ostream *os)
{
    *os << d.name;
}

class Refused : public VideoTest, public ::testing::WithParamInterface<Damage> {};

TEST_P(Refused, WithAReason)
{
    const QString path = dir_.filePath(QStringLiteral("damaged.avi"));
    ASSERT_TRUE(GetParam().make(path));

    QString error;
    EXPECT_FALSE(readFirstVideoFrame(path, 80, 60, &error));
    EXPECT_TRUE(error.contains(QLatin1String(GetParam().reason))) << error.toStdString();
}

bool rawAvi(const QString &path, const QString &size)
{
    return makeVideo(QStringLiteral("testsrc=size=%1:rate=5").arg(size),
                     {"-frames:v", "1", "-c:v", "rawvideo", "-pix_fmt", "bgr24"}, path);
}

bool noise(const QString &path)
{
    std::mt19937 random(7);
    QByteArray bytes(64 * 1024, '\0');
    for (char &b : bytes)
        b = char(random());
    return writeAll(path, bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Refused,
    ::testing::Values(
        Damage{"Missing", [](const QString &) { return true; }, "cannot open"},
        Damage{"Empty", [](const QString &p) { return writeAll(p, {}); }, "cannot open"},
        Damage{"Noise", noise, "damaged.avi"},
        Damage{
            "AudioOnly",
            [](const QString &p) {
                return makeVideo("anullsrc=r=8000:cl=mono", {"-t", "0.5", "-c:a", "pcm_s16le"}, p);
            },
            "no video stream"},
        // Cover art is a one-picture video stream, but a song is no video.
        Damage{"SongWithCoverArt",
               [](const QString &p) {
                   return makeVideo("sine=duration=0.5",
                                    {"-f", "lavfi", "-i", "color=c=red:size=32x32:duration=1",
                                     "-map", "0", "-map", "1", "-frames:v", "1", "-c:v", "mjpeg",
                                     "-disposition:v", "attached_pic", "-c:a", "libmp3lame", "-f",
                                     "mp3"},
                                    p);
               },
               "no video stream"},
        Damage{"OnlyPictureCutInHalf",
               [](const QString &p) { return rawAvi(p, "320x240") && truncate(p, 0.5); },
               "no intact picture"},
        Damage{"HeaderCutShort",
               [](const QString &p) { return rawAvi(p, "320x240") && truncate(p, 0.01); },
               "damaged.avi"},
        Damage{"WiderThanAnyCamera", [](const QString &p) { return rawAvi(p, "17000x2"); },
               "implausible"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace quelmar
