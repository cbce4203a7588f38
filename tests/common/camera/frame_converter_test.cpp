// Conversion of native YUYV and MJPG frames to packed BGR24, against a device that only
// answers VIDIOC_QUERYCAP (libv4lconvert needs no more to convert).
#include "camera/v4l2/frame_converter.h"
#include "converter_without_device.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>

namespace quelmar::v4l2 {
namespace {

using fake::converterWithoutDevice;
using fake::nativeFormat;

// libv4lconvert keeps luma in its studio range (16..235), so primaries land up to 20 off.
constexpr int yuyvTolerance = 24;

struct Bgr {
    int b, g, r;
};
struct Yuv {
    unsigned char y, u, v;
};

// Rows of YUYV pixel pairs, one colour per row.
std::vector<unsigned char> yuyvRows(int width, const std::vector<Yuv> &rows)
{
    std::vector<unsigned char> bytes;
    for (const Yuv &colour : rows) {
        for (int pair = 0; pair < width / 2; ++pair)
            bytes.insert(bytes.end(), {colour.y, colour.u, colour.y, colour.v});
    }
    return bytes;
}

::testing::AssertionResult near(FrameView picture, int x, int y, Bgr expected, int tolerance)
{
    const std::uint8_t *pixel = picture.row(y) + std::size_t(x) * 3;
    const Bgr got{pixel[0], pixel[1], pixel[2]};
    if (std::abs(got.b - expected.b) <= tolerance && std::abs(got.g - expected.g) <= tolerance &&
        std::abs(got.r - expected.r) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "pixel (" << x << "," << y << ") is B" << got.b << " G" << got.g << " R" << got.r
           << ", expected B" << expected.b << " G" << expected.g << " R" << expected.r;
}

class FrameConverterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        converter = converterWithoutDevice();
        ASSERT_NE(converter, nullptr);
    }
    std::unique_ptr<FrameConverter> converter;
};

struct ColourCase {
    const char *name;
    Yuv yuv;
    Bgr bgr;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ColourCase &c, std::ostream *out)
{
    *out << c.name;
}

class YuyvColour : public FrameConverterTest, public ::testing::WithParamInterface<ColourCase> {};

TEST_P(YuyvColour, ComesOutInBlueGreenRedOrder)
{
    ASSERT_TRUE(converter->setSource(nativeFormat(V4L2_PIX_FMT_YUYV, 8, 2)));
    std::vector<unsigned char> frame = yuyvRows(8, {GetParam().yuv, GetParam().yuv});
    ASSERT_TRUE(converter->convert(frame)) << converter->lastError();
    const FrameView picture = converter->picture();
    ASSERT_EQ(picture.width, 8);
    ASSERT_EQ(picture.height, 2);
    EXPECT_TRUE(near(picture, 0, 0, GetParam().bgr, yuyvTolerance));
    EXPECT_TRUE(near(picture, 7, 1, GetParam().bgr, yuyvTolerance));
}

INSTANTIATE_TEST_SUITE_P(Colours, YuyvColour,
                         ::testing::Values(ColourCase{"Red", {81, 90, 240}, {0, 0, 255}},
                                           ColourCase{"Green", {145, 54, 34}, {0, 255, 0}},
                                           ColourCase{"Blue", {41, 240, 110}, {255, 0, 0}},
                                           ColourCase{"White", {235, 128, 128}, {255, 255, 255}},
                                           ColourCase{"Black", {16, 128, 128}, {0, 0, 0}}),
                         [](const ::testing::TestParamInfo<ColourCase> &info) {
                             return info.param.name;
                         });

TEST_F(FrameConverterTest, YuyvRowsStayTopDown)
{
    ASSERT_TRUE(converter->setSource(nativeFormat(V4L2_PIX_FMT_YUYV, 4, 2)));
    std::vector<unsigned char> frame = yuyvRows(4, {{81, 90, 240}, {41, 240, 110}});
    ASSERT_TRUE(converter->convert(frame));
    EXPECT_TRUE(near(converter->picture(), 1, 0, {0, 0, 255}, yuyvTolerance));
    EXPECT_TRUE(near(converter->picture(), 1, 1, {255, 0, 0}, yuyvTolerance));
}

TEST_F(FrameConverterTest, TheSamePictureBufferServesEveryFrame)
{
    ASSERT_TRUE(converter->setSource(nativeFormat(V4L2_PIX_FMT_YUYV, 16, 8)));
    std::vector<unsigned char> frame = yuyvRows(16, std::vector<Yuv>(8, {235, 128, 128}));
    ASSERT_TRUE(converter->convert(frame));
    const std::uint8_t *first = converter->picture().data;
    ASSERT_TRUE(converter->convert(frame));
    EXPECT_EQ(converter->picture().data, first);
}

TEST_F(FrameConverterTest, AShortYuyvFrameIsSkipped)
{
    ASSERT_TRUE(converter->setSource(nativeFormat(V4L2_PIX_FMT_YUYV, 8, 4)));
    std::vector<unsigned char> frame = yuyvRows(8, std::vector<Yuv>(3, {235, 128, 128}));
    EXPECT_FALSE(converter->convert(frame));
    EXPECT_FALSE(converter->convert({}));
}

QByteArray jpegOfTwoHalves(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(Qt::red);
    for (int y = height / 2; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, Qt::blue);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return bytes;
}

TEST_F(FrameConverterTest, DecodesMjpg)
{
    QByteArray jpeg = jpegOfTwoHalves(32, 32);
    ASSERT_FALSE(jpeg.isEmpty()) << "Qt cannot write JPEG";
    ASSERT_TRUE(converter->setSource(nativeFormat(V4L2_PIX_FMT_MJPEG, 32, 32)));
    ASSERT_TRUE(converter->convert(
        std::span(reinterpret_cast<unsigned char *>(jpeg.data()), std::size_t(jpeg.size()))))
        << converter->lastError();
    EXPECT_TRUE(near(converter->picture(), 16, 4, {0, 0, 255}, 24));
    EXPECT_TRUE(near(converter->picture(), 16, 28, {255, 0, 0}, 24));
}

TEST_F(FrameConverterTest, ACorruptMjpgFrameIsSkippedAndTheNextOneDecodes)
{
    ASSERT_TRUE(converter->setSource(nativeFormat(V4L2_PIX_FMT_MJPEG, 32, 32)));
    std::vector<unsigned char> corrupt(200, 0x55);
    corrupt[0] = 0xff;
    corrupt[1] = 0xd8;
    EXPECT_FALSE(converter->convert(corrupt));
    EXPECT_FALSE(converter->lastError().empty());

    QByteArray jpeg = jpegOfTwoHalves(32, 32);
    EXPECT_TRUE(converter->convert(
        std::span(reinterpret_cast<unsigned char *>(jpeg.data()), std::size_t(jpeg.size()))));
}

TEST_F(FrameConverterTest, RefusesFormatsItCannotDecode)
{
    EXPECT_FALSE(converter->setSource(nativeFormat(V4L2_PIX_FMT_H264, 640, 480)));
    EXPECT_FALSE(converter->setSource(nativeFormat(V4L2_PIX_FMT_YUYV, 0, 480)));
    EXPECT_FALSE(converter->setSource(nativeFormat(V4L2_PIX_FMT_YUYV, 100000, 100000)));
    // Nothing was accepted, so there is nothing to convert into.
    std::vector<unsigned char> frame(64, 128);
    EXPECT_FALSE(converter->convert(frame));
}

} // namespace
} // namespace quelmar::v4l2
