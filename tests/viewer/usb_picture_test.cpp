// The USB pictures: smoothed scaling to 640 x 480 BGRA, and the adjustment filters.
#include "device/usb_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

using namespace quelmar::viewer;
using quelmar::Frame;

// A picture with every channel of every pixel different across the frame.
Frame pattern(int width, int height)
{
    Frame frame(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t *row = frame.view().row(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = std::uint8_t((x * 7 + y * 3) & 0xff);
            row[3 * x + 1] = std::uint8_t((x * 2 + y * 11 + 40) & 0xff);
            row[3 * x + 2] = std::uint8_t((x * 5 + y * 5 + 90) & 0xff);
        }
    }
    return frame;
}

std::vector<std::uint8_t> scaled(const Frame &source, int width, int height)
{
    std::vector<std::uint8_t> target(std::size_t(width) * height * 4, 0);
    PictureScaler scaler;
    Frame copy = source;
    scaler.scale(copy.view(), target.data(), width, height, width * 4);
    return target;
}

// Every 256th value of the colour cube, as BGRA.
std::vector<std::uint8_t> colourCube()
{
    std::vector<std::uint8_t> pixels;
    for (int b = 0; b < 256; b += 15)
        for (int g = 0; g < 256; g += 15)
            for (int r = 0; r < 256; r += 15)
                pixels.insert(pixels.end(),
                              {std::uint8_t(b), std::uint8_t(g), std::uint8_t(r), 255});
    return pixels;
}

std::vector<std::uint8_t> filtered(std::vector<std::uint8_t> pixels, const PictureAdjustments &a)
{
    PictureFilter filter;
    filter.setAdjustments(a);
    const int count = int(pixels.size() / 4);
    filter.apply(pixels.data(), count, 1, std::ptrdiff_t(pixels.size()));
    return pixels;
}

TEST(UsbPictureScaler, SameSizeCopiesExactlyAndShrinkingAverages)
{
    const Frame source = pattern(640, 480);
    const std::vector<std::uint8_t> same = scaled(source, 640, 480);
    bool exact = true;
    for (int y = 0; y < 480 && exact; ++y) {
        Frame copy = source;
        const std::uint8_t *in = copy.view().row(y);
        for (int x = 0; x < 640; ++x) {
            const std::uint8_t *out = &same[(std::size_t(y) * 640 + x) * 4];
            exact = exact && out[0] == in[3 * x] && out[1] == in[3 * x + 1] &&
                    out[2] == in[3 * x + 2] && out[3] == 255;
        }
    }
    EXPECT_TRUE(exact);

    // Columns of 0 and 255 in turn average to mid-grey when three become one; a nearest pick
    // would give 0 or 255.
    Frame stripes(1920, 1080);
    for (int y = 0; y < 1080; ++y)
        for (int x = 0; x < 1920; ++x)
            std::fill_n(stripes.view().row(y) + 3 * x, 3, std::uint8_t(x % 2 ? 255 : 0));
    const std::vector<std::uint8_t> shrunk = scaled(stripes, 640, 480);
    for (const std::size_t at :
         {std::size_t(0), std::size_t(640 * 240 + 320) * 4, (std::size_t(640) * 480 - 1) * 4}) {
        EXPECT_NEAR(shrunk[at], 127.5, 43.0) << at; // 1 or 2 of 3 columns are white
        EXPECT_NE(shrunk[at], 0);
        EXPECT_NE(shrunk[at], 255);
    }
    // A flat colour stays exactly that colour, at any ratio, up or down.
    for (const auto &[w, h] : {std::pair{1920, 1080}, std::pair{2592, 1944}, std::pair{320, 240}}) {
        Frame flat(w, h);
        for (std::size_t i = 0; i < flat.byteCount(); i += 3) {
            flat.data()[i] = 10;
            flat.data()[i + 1] = 200;
            flat.data()[i + 2] = 77;
        }
        const std::vector<std::uint8_t> out = scaled(flat, 640, 480);
        bool same = true;
        for (std::size_t i = 0; i < out.size(); i += 4)
            same = same && out[i] == 10 && out[i + 1] == 200 && out[i + 2] == 77;
        EXPECT_TRUE(same) << w << "x" << h;
    }
}

TEST(UsbPictureFilter, NeutralValuesAndAFullHueTurnLeaveEveryPixel)
{
    const std::vector<std::uint8_t> cube = colourCube();
    PictureAdjustments neutral;
    neutral.brightnessSet = neutral.contrastSet = neutral.saturationSet = true;
    neutral.hueSet = neutral.gammaSet = true;
    EXPECT_EQ(filtered(cube, neutral), cube);

    PictureAdjustments fullTurn;
    fullTurn.hueSet = true;
    fullTurn.hue = float(2 * std::numbers::pi);
    EXPECT_EQ(filtered(cube, fullTurn), cube);

    // An unset gamma is 1: moving brightness to 0 alone changes nothing.
    PictureAdjustments brightnessOnly;
    brightnessOnly.brightnessSet = true;
    brightnessOnly.gamma = 0.75f; // not set, so not applied
    EXPECT_EQ(filtered(cube, brightnessOnly), cube);
}

TEST(UsbPictureFilter, EachAdjustmentDoesWhatItsNameSays)
{
    const auto one = [](std::uint8_t b, std::uint8_t g, std::uint8_t r, PictureAdjustments a) {
        return filtered({b, g, r, 255}, a);
    };
    using Pixel = std::vector<std::uint8_t>;

    PictureAdjustments hue;
    hue.hueSet = true;
    hue.hue = 1.0f;
    // Grey stays grey; a colour turns about the grey axis, keeping the sum of its channels,
    // red towards green for a positive angle.
    EXPECT_EQ(one(90, 90, 90, hue), (Pixel{90, 90, 90, 255}));
    const Pixel turned = one(100, 100, 180, hue);
    EXPECT_NEAR(turned[0] + turned[1] + turned[2], 380, 2);
    EXPECT_GT(turned[1], turned[0]);
    EXPECT_LT(turned[2], 180);
    // A third of a turn moves red to green.
    hue.hue = float(2 * std::numbers::pi / 3);
    EXPECT_EQ(one(0, 0, 200, hue), (Pixel{0, 200, 0, 255}));

    PictureAdjustments saturation;
    saturation.saturationSet = true;
    saturation.saturation = 0;
    const Pixel grey = one(40, 120, 200, saturation);
    const int luma = int(std::lround(0.2126 * 200 + 0.7152 * 120 + 0.0722 * 40));
    EXPECT_EQ(grey, (Pixel{std::uint8_t(luma), std::uint8_t(luma), std::uint8_t(luma), 255}));

    PictureAdjustments brightness;
    brightness.brightnessSet = true;
    brightness.brightness = 0.2f;
    EXPECT_EQ(one(0, 100, 250, brightness), (Pixel{51, 151, 255, 255})); // clamped once at white

    PictureAdjustments contrast;
    contrast.contrastSet = true;
    contrast.contrast = 3; // 3 p - 255
    EXPECT_EQ(one(0, 100, 120, contrast), (Pixel{0, 45, 105, 255}));

    PictureAdjustments gamma;
    gamma.gammaSet = true;
    gamma.gamma = 2;
    EXPECT_EQ(one(0, 128, 255, gamma), (Pixel{0, 64, 255, 255}));
}

TEST(UsbPictureMaker, PassesUnfilteredWithoutFlagsAndReusesItsPictures)
{
    Frame source = pattern(1280, 960);
    const std::vector<std::uint8_t> expected = scaled(source, 640, 480);
    UsbPictureMaker maker;
    PictureAdjustments sharpOnly; // the sharpness slider sets nothing that reaches USB frames
    sharpOnly.hue = 2.0f;         // a value without its flag is not applied either
    const QImage first = maker.make(source.view(), sharpOnly);
    ASSERT_EQ(first.size(), QSize(640, 480));
    bool same = true;
    for (int y = 0; y < 480; ++y)
        same = same && std::equal(expected.begin() + std::ptrdiff_t(y) * 640 * 4,
                                  expected.begin() + std::ptrdiff_t(y + 1) * 640 * 4,
                                  first.constScanLine(y));
    EXPECT_TRUE(same);

    // Once a receiver lets a picture go, its pixels are written again without a new buffer.
    UsbPictureMaker pool;
    const uchar *bits = nullptr;
    {
        const QImage shown = pool.make(source.view(), {});
        bits = shown.constBits();
    }
    const QImage again = pool.make(source.view(), {});
    EXPECT_EQ(again.constBits(), bits);
    const QImage other = pool.make(source.view(), {}); // `again` is still held
    EXPECT_NE(other.constBits(), bits);
    PictureAdjustments hue;
    hue.hueSet = true;
    hue.hue = 1.0f;
    const QImage turned = maker.make(source.view(), hue);
    EXPECT_NE(turned, again);
}

} // namespace
