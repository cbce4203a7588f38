// BMP: our files read by Python and ImageMagick, other writers' files read by us, damaged
// files refused without reading past the data.
#include "image/bmp_codec.h"
#include "picture_tools.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace quelmar {
namespace {

using namespace quelmar::test;

// File length, then the file and info header fields as Python's struct module reads them.
const QString kHeaderFields = QStringLiteral(R"(
import struct, sys
d = open(sys.argv[1], 'rb').read()
print(len(d), *struct.unpack_from('<2sIHHIIiiHHIIiiII', d)[1:])
)");

class BmpWrite : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(BmpWrite, WritesAStandardBottomUpFile)
{
    const auto [width, height] = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("still.bmp"));
    Frame frame = gradientFrame(width, height);
    ASSERT_TRUE(writeBmp(path, frame.view()));

    const int stride = (width * 3 + 3) / 4 * 4, pixels = stride * height;
    // length, size, 2 reserved, offset; header size, width, height (bottom-up), planes, bits,
    // compression, image size, resolution, colours
    const QString expected = QStringLiteral("%1 %1 0 0 54 40 %2 %3 1 24 0 %4 0 0 0 0")
                                 .arg(54 + pixels)
                                 .arg(width)
                                 .arg(height)
                                 .arg(pixels);
    EXPECT_EQ(runTool(kPython, {QStringLiteral("-c"), kHeaderFields, path}).trimmed(),
              expected.toLatin1());
    const std::optional<Frame> seen = decodedByImageMagick(path);
    ASSERT_TRUE(seen);
    EXPECT_EQ(maxDifference(*seen, frame), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, BmpWrite,
                         ::testing::Values(std::pair{1, 1}, std::pair{5, 3}, std::pair{60, 60},
                                           std::pair{641, 7}));

// ---- Other writers ---------------------------------------------------------------------

// Python writes what ImageMagick does not: top-down rows, 32 bits without bit fields.
const QString kPythonBmp = QStringLiteral(R"(
import struct, sys
raw, out, w, h, bits, top_down = sys.argv[1:]
w, h, bits, bgr = int(w), int(h), int(bits), open(raw, 'rb').read()
rows = []
for y in range(h):
    line = bgr[y * w * 3:(y + 1) * w * 3]
    if bits == 32:
        line = b''.join(line[i:i + 3] + b'\x7f' for i in range(0, len(line), 3))
    rows.append(line + b'\0' * (-len(line) % 4))
if top_down == '0':
    rows.reverse()
px = b''.join(rows)
info = struct.pack('<IiiHHIIiiII', 40, w, -h if top_down == '1' else h, 1, bits, 0, len(px), 0, 0, 0, 0)
open(out, 'wb').write(b'BM' + struct.pack('<IHHI', 54 + len(px), 0, 0, 54) + info + px)
)");

// 50 x 30 with `colours` colours (0: a full-colour gradient), so palette writers stay exact.
Frame picture(int colours)
{
    if (colours == 0)
        return gradientFrame(50, 30);
    return makeFrame(50, 30, [&](int x, int y, std::uint8_t *p) {
        const int i = (x + 3 * y) % colours;
        p[0] = std::uint8_t(i * 37 + 11);
        p[1] = std::uint8_t(i * 91 + 3);
        p[2] = std::uint8_t(i * 53 + 200);
    });
}

struct ForeignBmp {
    const char *name;
    int colours;
    QStringList options; // ImageMagick's, the last one the format; empty: Python writes
    int bits;
    bool topDown;
};

void PrintTo(const ForeignBmp &c, std::ostream *os)
{
    *os << c.name;
}

class BmpRead : public ::testing::TestWithParam<ForeignBmp> {};

TEST_P(BmpRead, DecodesLikeImageMagick)
{
    const ForeignBmp &c = GetParam();
    QTemporaryDir dir;
    const QString raw = dir.filePath(QStringLiteral("picture.raw"));
    const QString path = dir.filePath(QStringLiteral("picture.bmp"));
    const Frame frame = picture(c.colours);
    QStringList options = c.options;
    if (!options.isEmpty()) {
        ASSERT_TRUE(writtenByImageMagick(frame, raw, options, options.takeLast() + path));
    } else {
        ASSERT_TRUE(writeAll(raw, QByteArray(reinterpret_cast<const char *>(frame.data()),
                                             qsizetype(frame.byteCount()))));
        runTool(kPython, {QStringLiteral("-c"), kPythonBmp, raw, path, "50", "30",
                          QString::number(c.bits), c.topDown ? "1" : "0"});
    }
    const QByteArray bytes = readAll(path);
    ASSERT_GT(bytes.size(), 54);
    ASSERT_EQ(int(bytes[28]), c.bits) << "the writer chose another depth";
    ASSERT_EQ(bytes[25] == char(0xff), c.topDown);

    QString error;
    const std::optional<Frame> decoded = readBmp(path, &error);
    ASSERT_TRUE(decoded) << error.toStdString();
    const std::optional<Frame> reference = decodedByImageMagick(path);
    ASSERT_TRUE(reference);
    EXPECT_EQ(maxDifference(*decoded, *reference), 0);
    EXPECT_EQ(maxDifference(*decoded, frame), 0);
    // A thumbnail read from byte 14 on is the same picture.
    const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.constData()) + 14;
    const std::optional<Frame> dib = decodeDib(data, std::size_t(bytes.size()) - 14);
    ASSERT_TRUE(dib);
    EXPECT_EQ(maxDifference(*dib, frame), 0);
}

const QString kPalette = QStringLiteral("Palette"), kNone = QStringLiteral("None");

INSTANTIATE_TEST_SUITE_P(
    Writers, BmpRead,
    ::testing::Values(
        ForeignBmp{"TrueColour", 0, {"BMP3:"}, 24, false},
        ForeignBmp{"Alpha32BitFields", 0, {"-alpha", "on", "BMP:"}, 32, false},
        ForeignBmp{"Palette8V5", 40, {"-type", kPalette, "-compress", kNone, "BMP:"}, 8, false},
        ForeignBmp{"Palette4", 10, {"-type", kPalette, "-compress", kNone, "BMP3:"}, 4, false},
        ForeignBmp{"Palette1", 2, {"-type", kPalette, "BMP3:"}, 1, false},
        ForeignBmp{"TopDown24", 0, {}, 24, true}, ForeignBmp{"TopDown32", 0, {}, 32, true}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Damaged files ---------------------------------------------------------------------

enum class Base { Ours24, Palette8, BitFields32 };

struct Damage {
    const char *name;
    Base base;
    int offset; // where `value` goes (32 bits, little-endian); -1: cut the file to `value` bytes
    std::uint32_t value;
    bool alsoAsDib = true; // the damage lies in the part a DIB has too
};

void PrintTo(const Damage &d, std::ostream *os)
{
    *os << d.name;
}

class BmpDamage : public ::testing::TestWithParam<Damage> {};

TEST_P(BmpDamage, IsRefused)
{
    const Damage &d = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("base.bmp"));
    const QString raw = dir.filePath(QStringLiteral("base.raw"));
    Frame frame = gradientFrame(7, 5);
    switch (d.base) {
    case Base::Ours24:
        ASSERT_TRUE(writeBmp(path, frame.view()));
        break;
    case Base::Palette8:
        ASSERT_TRUE(writtenByImageMagick(picture(40), raw, {"-type", kPalette, "-compress", kNone},
                                         "BMP3:" + path));
        break;
    case Base::BitFields32:
        ASSERT_TRUE(writtenByImageMagick(frame, raw, {"-alpha", "on"}, "BMP:" + path));
        break;
    }
    QByteArray bytes = readAll(path);
    ASSERT_TRUE(decodeBmp(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                          std::size_t(bytes.size())));
    if (d.offset < 0)
        bytes.truncate(int(d.value));
    else
        bytes.replace(d.offset, 4, reinterpret_cast<const char *>(&d.value), 4);
    // An exact-size copy: under the sanitizer a read past the end is a reported error.
    const std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    QString error;
    EXPECT_FALSE(decodeBmp(data.data(), data.size(), &error));
    EXPECT_FALSE(error.isEmpty());
    if (d.alsoAsDib && data.size() >= 14) {
        EXPECT_FALSE(decodeDib(data.data() + 14, data.size() - 14));
    }
}

constexpr int kCut = -1;

INSTANTIATE_TEST_SUITE_P(
    Damages, BmpDamage,
    ::testing::Values(Damage{"CutInInfoHeader", Base::Ours24, kCut, 30},
                      Damage{"CutInPixels", Base::Ours24, kCut, 120},
                      Damage{"CutInPalette", Base::Palette8, kCut, 300},
                      Damage{"NotBm", Base::Ours24, 0, 0x12344d50, false},
                      Damage{"PixelsPastTheEnd", Base::Ours24, 10, 1000000, false},
                      Damage{"PixelsInHeader", Base::Ours24, 10, 20, false},
                      Damage{"PixelsInPalette", Base::Palette8, 10, 154, false},
                      Damage{"InfoHeaderSizeHuge", Base::Ours24, 14, 0xfffffff0},
                      Damage{"WidthNegative", Base::Ours24, 18, std::uint32_t(-7)},
                      Damage{"WidthHuge", Base::Ours24, 18, 100000},
                      Damage{"WidthBeyondData", Base::Ours24, 18, 9},
                      Damage{"HeightZero", Base::Ours24, 22, 0},
                      Damage{"HeightMostNegative", Base::Ours24, 22, 0x80000000},
                      Damage{"HeightBeyondData", Base::Ours24, 22, 6},
                      Damage{"TwoPlanes", Base::Ours24, 26, 0x00180002},
                      Damage{"SixteenBits", Base::Ours24, 26, 0x00100001},
                      Damage{"ImageSizeClaimsMore", Base::Ours24, 34, 0xffffff00},
                      Damage{"PaletteTooLong", Base::Palette8, 46, 1000},
                      Damage{"MaskNotAByte", Base::BitFields32, 54, 0x00ff0f00},
                      Damage{"MasksOverlap", Base::BitFields32, 58, 0x00ff0000}),
    [](const auto &info) { return std::string(info.param.name); });

// A 1-bit file holds 24 pixels where the frame holds one, so a whole 8 MB file may still ask
// for more than the pixel budget: it is refused from the header.
TEST(BmpSizeLimit, OneBitFilesOverThePixelBudgetAreRefused)
{
    const std::uint32_t width = 8001, height = 8000, stride = (width + 31) / 32 * 4;
    const std::uint32_t offset = 14 + 40 + 8;
    std::vector<std::uint8_t> data(offset + std::size_t(stride) * height, 0);
    const auto put = [&](std::size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            data[at + i] = std::uint8_t(value >> (8 * i));
    };
    data[0] = 'B', data[1] = 'M';
    put(2, std::uint32_t(data.size()), 4);
    put(10, offset, 4);
    put(14, 40, 4);
    put(18, width, 4);
    put(22, height, 4);
    put(26, 1, 2);
    put(28, 1, 2);
    put(50, 0xffffff, 4); // the second palette entry: white
    QString error;
    EXPECT_FALSE(decodeBmp(data.data(), data.size(), &error));
    EXPECT_TRUE(error.contains(u"over the 64000000 pixels")) << error.toStdString();
    put(18, 1000, 4); // narrower: within the budget, and the same bytes hold it
    const std::optional<Frame> narrow = decodeBmp(data.data(), data.size(), &error);
    ASSERT_TRUE(narrow) << error.toStdString();
    EXPECT_EQ(narrow->width(), 1000);
}

TEST(BmpRandomBytes, AreRefused)
{
    std::mt19937 random(20240611);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> data(random() % 4096);
        for (std::uint8_t &byte : data)
            byte = std::uint8_t(random());
        if (round % 2 == 1 && data.size() >= 2) // get past the signature into the headers
            data[0] = 'B', data[1] = 'M';
        EXPECT_FALSE(decodeBmp(data.data(), data.size())) << round;
        EXPECT_FALSE(decodeDib(data.data(), data.size())) << round;
    }
}

} // namespace
} // namespace quelmar
