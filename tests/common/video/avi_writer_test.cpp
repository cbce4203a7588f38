// The AVI writer: files checked by ffprobe and ffmpeg (codec, size, frame count, duration,
// decoded pictures against the frames written), the bitmap stream header byte by byte, the
// failures of each opening step, and a writer killed mid-recording.
#include "video/avi_writer.h"

#include "file_size_limit.h"
#include "temp_home.h"
#include "video_probe.h"

#include <camera/synthetic/synthetic_camera.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <signal.h>

namespace quelmar {
namespace {

using test::decodeVideoFrame;
using test::probeVideo;
using test::psnr;

// Frames of the demo camera's specimen, panned a little per index, so each is different and
// the top differs from the bottom.
Frame specimenFrame(int width, int height, int index)
{
    static const QImage specimen = renderSpecimen(1280, 1024, 11);
    Frame frame(width, height);
    for (int y = 0; y < height; ++y) {
        const uchar *src = specimen.constScanLine((y + index * 3) % specimen.height());
        std::uint8_t *dst = frame.view().row(y);
        for (int x = 0; x < width; ++x) {
            const uchar *p = src + ((x + index * 5) % specimen.width()) * 3;
            dst[3 * x] = p[2];
            dst[3 * x + 1] = p[1];
            dst[3 * x + 2] = p[0];
        }
    }
    return frame;
}

Frame flippedVertically(const Frame &frame)
{
    Frame flipped(frame.width(), frame.height());
    const std::size_t row = std::size_t(frame.width()) * 3;
    for (int y = 0; y < frame.height(); ++y)
        std::memcpy(flipped.data() + std::size_t(y) * row,
                    frame.data() + std::size_t(frame.height() - 1 - y) * row, row);
    return flipped;
}

bool available(AviCodec codec)
{
    for (const AviEncoderInfo &e : availableAviEncoders())
        if (e.codec == codec)
            return true;
    return false;
}

struct CodecCase {
    AviCodec codec;
    const char *codecName; // as ffprobe names it
    const char *tag;
    bool lossless;
};

void PrintTo(const CodecCase &c, std::ostream *os)
{
    *os << c.codecName;
}

class AviWriterCodecs : public ::testing::TestWithParam<CodecCase> {
protected:
    QTemporaryDir dir;
};

// Six frames at five a second: every reader agrees on what the file holds, and each picture
// comes back as it went in, upright.
TEST_P(AviWriterCodecs, FilePlaysBackTheFramesWritten)
{
    const CodecCase c = GetParam();
    if (!available(c.codec))
        GTEST_SKIP() << c.codecName << " is not in this FFmpeg";
    constexpr int kWidth = 320;
    constexpr int kHeight = 240;
    constexpr int kFrames = 6;
    AviWriterSettings settings;
    settings.width = kWidth;
    settings.height = kHeight;
    settings.rate = 5;
    settings.compression.codec = c.codec;
    const QString path = dir.filePath(QStringLiteral("clip.avi"));
    AviFailure failure;
    std::unique_ptr<AviWriter> writer = AviWriter::open(path, settings, &failure);
    ASSERT_TRUE(writer) << failure.detail.toStdString();
    std::vector<Frame> frames;
    for (int i = 0; i < kFrames; ++i) {
        frames.push_back(specimenFrame(kWidth, kHeight, i));
        ASSERT_TRUE(writer->write(frames.back().view(), i)) << writer->lastError().toStdString();
    }
    ASSERT_TRUE(writer->finish()) << writer->lastError().toStdString();

    const std::optional<test::VideoProbe> probe = probeVideo(path);
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->codec, QString::fromLatin1(c.codecName));
    EXPECT_EQ(probe->tag, QString::fromLatin1(c.tag));
    EXPECT_EQ(probe->width, kWidth);
    EXPECT_EQ(probe->height, kHeight);
    EXPECT_EQ(probe->frames, kFrames);
    EXPECT_EQ(probe->readPackets, kFrames);
    EXPECT_NEAR(probe->duration, kFrames / 5.0, 1e-6);

    for (const int index : {0, kFrames - 1}) {
        const QByteArray decoded = decodeVideoFrame(path, index);
        const Frame &source = frames[std::size_t(index)];
        ASSERT_EQ(std::size_t(decoded.size()), source.byteCount()) << "frame " << index;
        const auto *bytes = reinterpret_cast<const std::uint8_t *>(decoded.constData());
        const double quality = psnr(bytes, source.data(), source.byteCount());
        if (c.lossless) {
            EXPECT_EQ(std::memcmp(bytes, source.data(), source.byteCount()), 0)
                << "frame " << index << " PSNR " << quality;
        } else {
            EXPECT_GE(quality, 35.0) << "frame " << index;
        }
        const Frame upsideDown = flippedVertically(source);
        EXPECT_LT(psnr(bytes, upsideDown.data(), upsideDown.byteCount()), quality - 10)
            << "frame " << index << " is upside down";
    }
}

INSTANTIATE_TEST_SUITE_P(Encoders, AviWriterCodecs,
                         ::testing::Values(CodecCase{AviCodec::Uncompressed, "rawvideo",
                                                     "[0][0][0][0]", true},
                                           CodecCase{AviCodec::MotionJpeg, "mjpeg", "MJPG", false},
                                           CodecCase{AviCodec::Ffv1, "ffv1", "FFV1", true},
                                           CodecCase{AviCodec::Mpeg4, "mpeg4", "XVID", false},
                                           CodecCase{AviCodec::H264, "h264", "H264", false}));

std::uint32_t le32(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<std::uint32_t>(bytes.constData() + at);
}

// The stream of an uncompressed recording is a bottom-up 24-bit bitmap stream: "vids",
// handler 0, scale 1, the rate, a buffer of one frame, the frame rectangle and a 40-byte
// header with a positive height. Rows of an odd width are padded to four bytes.
TEST(AviWriter, UncompressedStreamIsABottomUpBitmapStream)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("raw.avi"));
    AviWriterSettings settings;
    settings.width = 321;
    settings.height = 200;
    settings.rate = 11;
    std::unique_ptr<AviWriter> writer = AviWriter::open(path, settings, nullptr);
    ASSERT_TRUE(writer);
    const Frame frame = specimenFrame(321, 200, 0);
    ASSERT_TRUE(writer->write(Frame(frame).view(), 0));
    ASSERT_TRUE(writer->finish());

    const QByteArray file = test::readAll(path);
    const qsizetype strh = file.indexOf("strh");
    ASSERT_GT(strh, 0);
    const qsizetype h = strh + 8;
    EXPECT_EQ(file.mid(h, 4), QByteArray("vids"));
    EXPECT_EQ(le32(file, h + 4), 0u) << "handler";
    EXPECT_EQ(le32(file, h + 20), 1u) << "scale";
    EXPECT_EQ(le32(file, h + 24), 11u) << "rate";
    const std::uint32_t paddedRow = (321 * 3 + 3) & ~3u;
    EXPECT_EQ(le32(file, h + 36), paddedRow * 200) << "suggested buffer size";
    EXPECT_EQ(qFromLittleEndian<std::uint16_t>(file.constData() + h + 52), 321);
    EXPECT_EQ(qFromLittleEndian<std::uint16_t>(file.constData() + h + 54), 200);

    const qsizetype strf = file.indexOf("strf");
    ASSERT_GT(strf, 0);
    EXPECT_EQ(le32(file, strf + 4), 40u) << "no palette after the header";
    const qsizetype bmi = strf + 8;
    EXPECT_EQ(le32(file, bmi), 40u);
    EXPECT_EQ(qint32(le32(file, bmi + 4)), 321);
    EXPECT_EQ(qint32(le32(file, bmi + 8)), 200) << "positive: rows bottom-up";
    EXPECT_EQ(qFromLittleEndian<std::uint16_t>(file.constData() + bmi + 14), 24);
    EXPECT_EQ(le32(file, bmi + 16), 0u) << "no compression";

    const QByteArray decoded = decodeVideoFrame(path, 0);
    ASSERT_EQ(std::size_t(decoded.size()), frame.byteCount());
    EXPECT_EQ(std::memcmp(decoded.constData(), frame.data(), frame.byteCount()), 0);
}

// Frames that never came leave their positions empty: the file lasts as long as the time
// recorded, and the frames that did come are all there.
TEST(AviWriter, SkippedPositionsKeepTheRecordedTime)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gaps.avi"));
    AviWriterSettings settings;
    settings.width = 160;
    settings.height = 120;
    settings.rate = 5;
    settings.compression.codec = AviCodec::MotionJpeg;
    std::unique_ptr<AviWriter> writer = AviWriter::open(path, settings, nullptr);
    ASSERT_TRUE(writer);
    for (const std::int64_t position : {0, 2, 4, 5, 9}) {
        Frame frame = specimenFrame(160, 120, int(position));
        ASSERT_TRUE(writer->write(frame.view(), position));
    }
    Frame late = specimenFrame(160, 120, 1);
    EXPECT_FALSE(writer->write(late.view(), 9)) << "positions only go forward";
    Frame small(80, 60);
    EXPECT_FALSE(writer->write(small.view(), 10)) << "frames of another size are refused";
    ASSERT_TRUE(writer->finish());
    const std::optional<test::VideoProbe> probe = probeVideo(path);
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->frames, 10);
    EXPECT_EQ(probe->readPackets, 5);
    EXPECT_NEAR(probe->duration, 2.0, 1e-6);
}

TEST(AviWriter, EncodersListUncompressedFirst)
{
    const std::vector<AviEncoderInfo> encoders = availableAviEncoders();
    ASSERT_FALSE(encoders.empty());
    EXPECT_EQ(encoders.front().codec, AviCodec::Uncompressed);
    EXPECT_FALSE(encoders.front().lossy);
    // This FFmpeg was built with all of them (the packages the tree installs).
    for (const AviCodec codec : {AviCodec::MotionJpeg, AviCodec::Ffv1, AviCodec::Mpeg4})
        EXPECT_TRUE(available(codec)) << int(codec);
}

using test::FileSizeLimit;

struct FailureCase {
    const char *name;
    AviStage stage;
    std::function<void(AviWriterSettings &, QString &path)> arrange;
};

void PrintTo(const FailureCase &c, std::ostream *os)
{
    *os << c.name;
}

class AviWriterFailures : public ::testing::TestWithParam<FailureCase> {};

// Each opening step that fails names itself and leaves nothing on disk.
TEST_P(AviWriterFailures, LeaveNoFile)
{
    const FailureCase c = GetParam();
    QTemporaryDir dir;
    AviWriterSettings settings;
    settings.width = 320;
    settings.height = 240;
    settings.rate = 11;
    QString path = dir.filePath(QStringLiteral("Video_N0001.avi"));
    c.arrange(settings, path);
    AviFailure failure;
    {
        std::optional<FileSizeLimit> limit;
        if (c.stage == AviStage::StreamFormat)
            limit.emplace(512);
        EXPECT_FALSE(AviWriter::open(path, settings, &failure));
    }
    EXPECT_EQ(failure.stage, c.stage) << failure.detail.toStdString();
    EXPECT_LT(failure.code, 0);
    EXPECT_FALSE(failure.detail.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList()) << "nothing left";
}

INSTANTIATE_TEST_SUITE_P(
    Steps, AviWriterFailures,
    ::testing::Values(FailureCase{"MissingDirectory", AviStage::OpenFile,
                                  [](AviWriterSettings &, QString &path) {
                                      path = QFileInfo(path).path() + QStringLiteral("/gone/x.avi");
                                  }},
                      FailureCase{"EmptyFrames", AviStage::CreateStream,
                                  [](AviWriterSettings &s, QString &) { s.width = 0; }},
                      FailureCase{"TooWideForAvi", AviStage::CreateStream,
                                  [](AviWriterSettings &s, QString &) { s.width = 70000; }},
                      FailureCase{"EncoderRefusesTheSize", AviStage::Compressor,
                                  [](AviWriterSettings &s, QString &) {
                                      s.width = 8200;
                                      s.height = 16;
                                      s.compression.codec = AviCodec::Mpeg4;
                                  }},
                      FailureCase{"DiskFullAtTheHeaders", AviStage::StreamFormat,
                                  [](AviWriterSettings &, QString &) {}}),
    [](const auto &info) { return std::string(info.param.name); });

// A name that is taken is never replaced: the user's file stays as it was.
TEST(AviWriter, ExistingFileIsNeverReplaced)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test.avi"));
    ASSERT_TRUE(test::writeAll(path, "the user's own video"));
    AviWriterSettings settings;
    settings.width = 64;
    settings.height = 48;
    AviFailure failure;
    EXPECT_FALSE(AviWriter::open(path, settings, &failure));
    EXPECT_EQ(failure.stage, AviStage::OpenFile);
    EXPECT_EQ(test::readAll(path), QByteArray("the user's own video"));
}

// The compressor probe writes outside any given directory and leaves nothing behind.
TEST(AviWriter, ProbeOpensTheEncoderWithoutLeavingAFile)
{
    const QStringList before =
        QDir(QDir::tempPath()).entryList({QStringLiteral("quelmar-probe-*")}, QDir::AllEntries);
    AviWriterSettings settings;
    settings.width = 640;
    settings.height = 480;
    settings.compression.codec = AviCodec::MotionJpeg;
    EXPECT_TRUE(AviWriter::probe(settings));
    settings.width = 8200;
    settings.height = 16;
    settings.compression.codec = AviCodec::Mpeg4;
    AviFailure failure;
    EXPECT_FALSE(AviWriter::probe(settings, &failure));
    EXPECT_EQ(failure.stage, AviStage::Compressor);
    EXPECT_EQ(
        QDir(QDir::tempPath()).entryList({QStringLiteral("quelmar-probe-*")}, QDir::AllEntries),
        before);
}

class KilledWriter : public ::testing::TestWithParam<AviCodec> {};

// A recording whose process is killed stays readable up to its last flush, about a second
// before the end: the headers go to disk first and the data once a second.
TEST_P(KilledWriter, LeavesAFileReadableUpToTheLastSecond)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("killed.avi"));
    QProcess child;
    child.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/avi_kill_child"));
    child.setArguments({path, QString::number(int(GetParam()))});
    child.start();
    ASSERT_TRUE(child.waitForStarted(10000));
    qint64 flushed = 0;
    QByteArray pending;
    while (flushed < 25 && child.state() == QProcess::Running) {
        ASSERT_TRUE(child.waitForReadyRead(20000)) << "no progress from the child";
        pending += child.readAllStandardOutput();
        qsizetype end = 0;
        while ((end = pending.indexOf('\n')) >= 0) {
            flushed = pending.left(end).toLongLong();
            pending.remove(0, end + 1);
        }
    }
    ASSERT_GE(flushed, 25);
    ::kill(pid_t(child.processId()), SIGKILL);
    ASSERT_TRUE(child.waitForFinished(10000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);

    const std::optional<test::VideoProbe> probe = probeVideo(path);
    ASSERT_TRUE(probe) << "ffprobe cannot read the cut file";
    EXPECT_EQ(probe->width, 320);
    EXPECT_GE(probe->readPackets, flushed);
    const QByteArray decoded = decodeVideoFrame(path, int(flushed) - 1);
    EXPECT_EQ(decoded.size(), 320 * 240 * 3) << "ffmpeg decodes the last flushed frame";
}

INSTANTIATE_TEST_SUITE_P(Encoders, KilledWriter,
                         ::testing::Values(AviCodec::Uncompressed, AviCodec::MotionJpeg));

} // namespace
} // namespace quelmar
