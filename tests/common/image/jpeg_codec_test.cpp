// JPEG: our stills checked by ImageMagick and a Python marker walk, other writers' files
// decoded like ImageMagick decodes them, damaged data refused; failed writes of either codec.
#include "image/bmp_codec.h"
#include "image/jpeg_codec.h"
#include "picture_tools.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace quelmar {
namespace {

using namespace quelmar::test;

// Every frame header before the first scan: marker, precision, height, width, then each
// component's sampling factors, in hexadecimal.
const QString kFrameHeaders = QStringLiteral(R"(
import sys
d, i, out = open(sys.argv[1], 'rb').read(), 2, []
while d[i] == 0xff and d[i + 1] != 0xda:
    marker, length = d[i + 1], d[i + 2] << 8 | d[i + 3]
    if 0xc0 <= marker <= 0xcf and marker not in (0xc4, 0xc8, 0xcc):
        s = d[i + 4:i + 2 + length]
        out += ['%02X' % marker, s[0], s[1] << 8 | s[2], s[3] << 8 | s[4]]
        out += ['%02X' % s[7 + 3 * c] for c in range(s[5])]
    i += 2 + length
print(*out)
)");

struct Still {
    int width, height, quality; // quality 0: the default
};

void PrintTo(const Still &s, std::ostream *os)
{
    *os << s.width << "x" << s.height;
}

class JpegWrite : public ::testing::TestWithParam<Still> {};

TEST_P(JpegWrite, WritesABaselineFileAtTheQuality)
{
    const auto [width, height, quality] = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("still.jpg"));
    Frame frame = gradientFrame(width, height);
    ASSERT_TRUE(quality == 0 ? writeJpeg(path, frame.view())
                             : writeJpeg(path, frame.view(), quality));

    EXPECT_EQ(runTool(kIdentify, {"-format", "%w %h %m %Q %[interlace]", path}),
              QStringLiteral("%1 %2 JPEG %3 None")
                  .arg(width)
                  .arg(height)
                  .arg(quality == 0 ? 90 : quality)
                  .toLatin1());
    // One baseline frame header (SOF0), 8 bits, colour with 4:2:0 chroma.
    EXPECT_EQ(runTool(kPython, {"-c", kFrameHeaders, path}).trimmed(),
              QStringLiteral("C0 8 %1 %2 22 11 11").arg(height).arg(width).toLatin1());
    const std::optional<Frame> seen = decodedByImageMagick(path);
    ASSERT_TRUE(seen);
    EXPECT_LT(meanDifference(*seen, frame), 3.0); // swapped channels would be far off

    // The file is the encoded buffer, written once.
    const QByteArray file = readAll(path);
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.end()),
              encodeJpeg(frame.view(), quality == 0 ? 90 : quality));
}

INSTANTIATE_TEST_SUITE_P(Stills, JpegWrite,
                         ::testing::Values(Still{640, 480, 0}, Still{61, 37, 75}, Still{60, 60, 90},
                                           Still{16, 16, 100}, Still{1, 1, 50}));

TEST(ImageWriteFailure, LeavesNoFileAndSaysWhy)
{
    QTemporaryDir dir;
    Frame frame = gradientFrame(8, 8);
    struct Attempt {
        const char *name;
        std::function<bool(const QString &, QString *)> write;
    };
    const Attempt attempts[] = {
        {"missing/still.bmp", [&](auto &path, auto *e) { return writeBmp(path, frame.view(), e); }},
        {"empty.bmp", [&](auto &path, auto *e) { return writeBmp(path, FrameView{}, e); }},
        {"missing/still.jpg",
         [&](auto &path, auto *e) { return writeJpeg(path, frame.view(), 90, e); }},
        {"empty.jpg", [&](auto &path, auto *e) { return writeJpeg(path, FrameView{}, 90, e); }},
        {"zero.jpg", [&](auto &path, auto *e) { return writeJpeg(path, frame.view(), 0, e); }},
        {"high.jpg", [&](auto &path, auto *e) { return writeJpeg(path, frame.view(), 101, e); }},
        {"huge.jpg",
         [&](auto &path, auto *e) {
             return writeJpeg(path, {frame.data(), 30000, 1}, 90, e);
         }},
    };
    for (const Attempt &attempt : attempts) {
        const QString path = dir.filePath(QString::fromLatin1(attempt.name));
        QString error;
        EXPECT_FALSE(attempt.write(path, &error)) << attempt.name;
        EXPECT_FALSE(error.isEmpty()) << attempt.name;
        EXPECT_FALSE(QFile::exists(path)) << attempt.name;
    }
}

// ---- Other writers ---------------------------------------------------------------------

struct ForeignJpeg {
    const char *name;
    QStringList options;
    bool supported = true;
};

void PrintTo(const ForeignJpeg &c, std::ostream *os)
{
    *os << c.name;
}

class JpegRead : public ::testing::TestWithParam<ForeignJpeg> {};

TEST_P(JpegRead, DecodesLikeImageMagickOrRefuses)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.jpg"));
    ASSERT_TRUE(writtenByImageMagick(gradientFrame(33, 17), dir.filePath("picture.raw"),
                                     GetParam().options, path));
    QString error;
    const std::optional<Frame> decoded = readJpeg(path, &error);
    ASSERT_EQ(decoded.has_value(), GetParam().supported) << error.toStdString();
    if (decoded) {
        const std::optional<Frame> reference = decodedByImageMagick(path);
        ASSERT_TRUE(reference);
        EXPECT_LE(maxDifference(*decoded, *reference), 1);
    } else {
        EXPECT_FALSE(error.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Writers, JpegRead,
    ::testing::Values(ForeignJpeg{"Baseline", {"-quality", "90"}},
                      ForeignJpeg{"FullChroma", {"-sampling-factor", "1x1"}},
                      ForeignJpeg{"Progressive", {"-interlace", "Plane"}},
                      ForeignJpeg{"Greyscale", {"-colorspace", "Gray"}},
                      ForeignJpeg{"OptimisedTables", {"-define", "jpeg:optimize-coding=true"}},
                      ForeignJpeg{"CmykIsRefused", {"-colorspace", "CMYK"}, false}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Damaged data ----------------------------------------------------------------------

// Offset of the first segment with `marker` before the scan, or -1.
int segmentOffset(const QByteArray &jpeg, int marker)
{
    for (int i = 2; i + 4 <= jpeg.size() && jpeg[i] == char(0xff) && jpeg[i + 1] != char(0xda);
         i += 2 + (std::uint8_t(jpeg[i + 2]) << 8 | std::uint8_t(jpeg[i + 3]))) {
        if (jpeg[i + 1] == char(marker))
            return i;
    }
    return -1;
}

struct Damage {
    const char *name;
    std::function<void(QByteArray &)> apply;
};

void PrintTo(const Damage &d, std::ostream *os)
{
    *os << d.name;
}

class JpegDamage : public ::testing::TestWithParam<Damage> {};

TEST_P(JpegDamage, IsRefused)
{
    Frame frame = gradientFrame(64, 48);
    const std::vector<std::uint8_t> good = encodeJpeg(frame.view()).value();
    ASSERT_TRUE(decodeJpeg(good.data(), good.size()));
    QByteArray bytes(reinterpret_cast<const char *>(good.data()), qsizetype(good.size()));
    GetParam().apply(bytes);
    // An exact-size copy: under the sanitizer a read past the end is a reported error.
    const std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    QString error;
    EXPECT_FALSE(decodeJpeg(data.data(), data.size(), &error));
    EXPECT_FALSE(error.isEmpty());
}

// A 16-bit big-endian value into the frame header, `offset` bytes past its marker.
auto frameHeaderField(int offset, int value)
{
    return [=](QByteArray &b) {
        const int sof = segmentOffset(b, 0xc0);
        b[sof + offset] = char(value >> 8);
        b[sof + offset + 1] = char(value);
    };
}

INSTANTIATE_TEST_SUITE_P(
    Damages, JpegDamage,
    ::testing::Values(Damage{"Empty", [](QByteArray &b) { b.clear(); }},
                      Damage{"CutInHeaders", [](QByteArray &b) { b.truncate(100); }},
                      Damage{"CutInScan", [](QByteArray &b) { b.truncate(b.size() / 2 + 300); }},
                      Damage{"NoEndMarker", [](QByteArray &b) { b.chop(2); }},
                      Damage{
                          "EndMarkerInScan",
                          [](QByteArray &b) { b.replace(b.size() / 2 + 300, 2, "\xff\xd9", 2); }},
                      Damage{"HeightHuge", frameHeaderField(5, 30000)},
                      Damage{"WidthHuge", frameHeaderField(7, 65535)},
                      Damage{"HeightZero", frameHeaderField(5, 0)},
                      Damage{"HuffmanTableGarbage",
                             [](QByteArray &b) {
                                 b.replace(segmentOffset(b, 0xc4) + 5, 16, QByteArray(16, '\xff'));
                             }},
                      Damage{"NotAJpeg", [](QByteArray &b) { b.replace(0, 2, "BM"); }}),
    [](const auto &info) { return std::string(info.param.name); });

// Bytes that are no marker, between two segments: libjpeg skips them with a warning and the
// picture is whole, so it is decoded as ImageMagick decodes the undamaged file.
class JpegStrayBytes : public ::testing::TestWithParam<Damage> {};

TEST_P(JpegStrayBytes, AreSkipped)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("clean.jpg"));
    ASSERT_TRUE(writeJpeg(path, gradientFrame(64, 48).view()));
    const std::optional<Frame> reference = decodedByImageMagick(path);
    ASSERT_TRUE(reference);
    QByteArray bytes = readAll(path);
    GetParam().apply(bytes);
    const std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    QString error;
    const std::optional<Frame> decoded = decodeJpeg(data.data(), data.size(), &error);
    ASSERT_TRUE(decoded) << error.toStdString();
    EXPECT_LE(maxDifference(*decoded, *reference), 1);
}

auto strayBytesBefore(int marker)
{
    return [=](QByteArray &b) {
        const int at =
            marker == 0xd9 ? int(b.size()) - 2 : int(b.indexOf(QByteArray("\xff") + char(marker)));
        b.insert(at, "\x00\x01junk", 6);
    };
}

INSTANTIATE_TEST_SUITE_P(Recoverable, JpegStrayBytes,
                         ::testing::Values(Damage{"BeforeHuffmanTable", strayBytesBefore(0xc4)},
                                           Damage{"BeforeScan", strayBytesBefore(0xda)},
                                           Damage{"BeforeEndMarker", strayBytesBefore(0xd9)}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(JpegSizeLimit, PicturesBeyondTheGivenSizeAreRefusedFromTheirHeader)
{
    Frame frame = gradientFrame(64, 48);
    const std::vector<std::uint8_t> good = encodeJpeg(frame.view()).value();
    EXPECT_TRUE(decodeJpeg(good.data(), good.size(), QSize(64, 48)));
    QString error;
    EXPECT_FALSE(decodeJpeg(good.data(), good.size(), QSize(63, 48), &error));
    EXPECT_TRUE(error.contains(u"64 x 48")) << error.toStdString();
    EXPECT_FALSE(decodeJpeg(good.data(), good.size(), QSize(64, 47)));
    // A header claiming 20000 x 20000 passes the general limit but not a device's own.
    QByteArray bytes(reinterpret_cast<const char *>(good.data()), qsizetype(good.size()));
    frameHeaderField(5, 20000)(bytes);
    frameHeaderField(7, 20000)(bytes);
    const std::vector<std::uint8_t> huge(bytes.begin(), bytes.end());
    error.clear();
    EXPECT_FALSE(decodeJpeg(huge.data(), huge.size(), QSize(1920, 1080), &error));
    EXPECT_TRUE(error.contains(u"20000 x 20000")) << error.toStdString();
}

// A small real picture whose frame header claims 20000 x 20000 would take 1.2 GB and seconds;
// the header is refused at once for its pixel count or for the few bytes that follow it,
// while the most compressible real camera picture (flat grey at quality 1) still decodes.
TEST(JpegSizeLimit, DecompressionBombsAreRefusedAndFlatCameraPicturesKept)
{
    Frame flat = makeFrame(3264, 2448, [](int, int, std::uint8_t *p) { p[0] = p[1] = p[2] = 128; });
    const std::vector<std::uint8_t> small = encodeJpeg(flat.view(), 1).value();
    const std::optional<Frame> back = decodeJpeg(small.data(), small.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width(), 3264);
    // A byte per 8 luma blocks is the bound; the most compressible real picture keeps a
    // margin of four times that and more.
    EXPECT_GT(small.size(), 4 * (3264 / 8) * (2448 / 8) / 8);

    const std::vector<std::uint8_t> tiny = encodeJpeg(gradientFrame(16, 16).view(), 50).value();
    const auto claiming = [&](int width, int height) {
        QByteArray bytes(reinterpret_cast<const char *>(tiny.data()), qsizetype(tiny.size()));
        frameHeaderField(5, height)(bytes);
        frameHeaderField(7, width)(bytes);
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    };
    QString error;
    const std::vector<std::uint8_t> bomb = claiming(20000, 20000);
    EXPECT_LT(bomb.size(), 1000u);
    EXPECT_FALSE(decodeJpeg(bomb.data(), bomb.size(), &error));
    EXPECT_TRUE(error.contains(u"over the 64000000 pixels")) << error.toStdString();
    const std::vector<std::uint8_t> under = claiming(8000, 8000);
    EXPECT_FALSE(decodeJpeg(under.data(), under.size(), &error));
    EXPECT_TRUE(error.contains(u"cannot hold a 8000 x 8000 picture")) << error.toStdString();
    const std::vector<std::uint8_t> camera = claiming(3264, 2448);
    EXPECT_FALSE(decodeJpeg(camera.data(), camera.size(), &error));
    EXPECT_TRUE(error.contains(u"cannot hold")) << error.toStdString();
}

TEST(JpegRandomBytes, AreRefused)
{
    std::mt19937 random(1995);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> data(1 + random() % 4096);
        for (std::uint8_t &byte : data)
            byte = std::uint8_t(random());
        if (round % 2 == 1 && data.size() >= 2) // get past the start marker
            data[0] = 0xff, data[1] = 0xd8;
        EXPECT_FALSE(decodeJpeg(data.data(), data.size())) << round;
    }
}

} // namespace
} // namespace quelmar
