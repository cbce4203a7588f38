// The picture buttons' switching rules, and each operation on frames for both pixel kernels.
#include "library/image_operations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <ostream>
#include <set>

namespace {
std::atomic<long> allocations{0};
}

// Counts the program's allocations, so a test can show the frame path makes none.
void *operator new(std::size_t size)
{
    ++allocations;
    if (void *memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}
void operator delete(void *memory) noexcept
{
    std::free(memory);
}
void operator delete(void *memory, std::size_t) noexcept
{
    std::free(memory);
}

namespace quelmar::station {

void PrintTo(ImageOperations::Kernels kernels, std::ostream *os)
{
    *os << (kernels == ImageOperations::Kernels::Fastest ? "Fastest" : "Portable");
}

namespace {

using Ops = ImageOperations;
using Pixel = std::array<std::uint8_t, 3>; // blue, green, red

constexpr int H = Ops::kHorizontalMirrorButton, V = Ops::kVerticalMirrorButton,
              N = Ops::kNegativeButton, S = Ops::kBinarySegmentationButton, C = Ops::kRgbButton,
              R = Ops::kRedButton, G = Ops::kGreenButton, B = Ops::kBlueButton;
constexpr int kToolChosen = 0; // in a click sequence: a live measuring tool was chosen

struct Clicks {
    const char *name;
    std::vector<int> buttons;
    Ops::Switches switches;
    std::set<int> pressed;
};

void PrintTo(const Clicks &c, std::ostream *os)
{
    *os << c.name;
}

class ButtonRules : public ::testing::TestWithParam<Clicks> {};

TEST_P(ButtonRules, SetSwitchesAndPressedButtons)
{
    Ops operations;
    for (const int button : GetParam().buttons)
        button == kToolChosen ? operations.releaseButtons() : void(operations.press(button));
    EXPECT_EQ(operations.switches(), GetParam().switches);
    for (const int button : Ops::kButtons)
        EXPECT_EQ(operations.isPressed(button), GetParam().pressed.count(button) == 1) << button;
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, ButtonRules,
    ::testing::Values(
        Clicks{"RedThenGreenDropBlue", {R, G}, {.channelMask = 17}, {R, G}},
        Clicks{"ThirdChannelLeavesOnlyItself", {R, G, B}, {.channelMask = 256}, {B}},
        Clicks{"ThirdChannelOtherOrder", {G, B, R}, {.channelMask = 1}, {R}},
        Clicks{"PressedChannelGoesOff", {R, G, G}, {.channelMask = 1}, {R}},
        Clicks{"NegativeEndsRedDisplay", {R, N}, {.negative = true}, {N}},
        Clicks{"ChannelEndsSegmentation", {S, G}, {.channelMask = 16}, {G}},
        Clicks{"RgbSwitchesAllOff", {R, G, C}, {}, {C}},
        Clicks{"PressedRgbReleases", {C, C}, {}, {}},
        Clicks{"PressedOperationReleasesAll", {H, H}, {}, {}},
        Clicks{"OperationReplacesOperation", {H, V}, {.verticalMirror = true}, {V}},
        Clicks{"ToolKeepsOperation", {H, kToolChosen}, {.horizontalMirror = true}, {}},
        Clicks{"ReleasedRunningOperationPressesAgain",
               {H, kToolChosen, H},
               {.horizontalMirror = true},
               {H}},
        Clicks{"ChannelBitsOutliveButtons", {R, kToolChosen, G}, {.channelMask = 17}, {G}},
        Clicks{"OtherCommandIsIgnored", {N, 32776}, {.negative = true}, {N}}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Frames ----------------------------------------------------------------------------

Frame makeFrame(int width, int height, const std::function<Pixel(int, int)> &pixelAt)
{
    Frame frame(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Pixel p = pixelAt(x, y);
            std::copy(p.begin(), p.end(), frame.view().row(y) + 3 * x);
        }
    }
    return frame;
}

Pixel at(const Frame &frame, int x, int y)
{
    const std::uint8_t *p = frame.data() + (std::size_t(y) * frame.width() + x) * 3;
    return {p[0], p[1], p[2]};
}

Pixel patterned(int x, int y)
{
    return {std::uint8_t(x * 7 + y * 3), std::uint8_t(x * 13 + 101 * y + 5),
            std::uint8_t(x * 31 + y * 17 + 200)};
}

struct Operation {
    const char *name;
    std::vector<int> buttons;
    std::function<Pixel(const Frame &, int, int)> expected; // from the camera frame
};

void PrintTo(const Operation &o, std::ostream *os)
{
    *os << o.name;
}

class FrameOperation : public ::testing::TestWithParam<std::tuple<Ops::Kernels, Operation>> {};

TEST_P(FrameOperation, ChangesEveryPixelAsDefined)
{
    const auto &[kernels, operation] = GetParam();
    Ops operations(kernels);
    for (const int button : operation.buttons)
        operations.press(button);
    // Whole 16-pixel blocks, remainders, one pixel, odd and even heights.
    for (const auto &[width, height] : {std::pair{1, 1}, {16, 2}, {37, 5}, {50, 4}, {5, 37}}) {
        const Frame camera = makeFrame(width, height, patterned);
        Frame frame = camera;
        operations.apply(frame.view());
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(at(frame, x, y), operation.expected(camera, x, y))
                    << width << "x" << height << " at " << x << "," << y;
        }
    }
}

Pixel blue(Pixel p)
{
    return {p[0], p[0], p[0]};
}
Pixel green(Pixel p)
{
    return {p[1], p[1], p[1]};
}
Pixel red(Pixel p)
{
    return {p[2], p[2], p[2]};
}

INSTANTIATE_TEST_SUITE_P(
    Kernels, FrameOperation,
    ::testing::
        Combine(
            ::testing::Values(Ops::Kernels::Fastest, Ops::Kernels::Portable),
            ::testing::Values(
                Operation{"Mirror",
                          {H},
                          [](auto &f, int x, int y) { return at(f, f.width() - 1 - x, y); }},
                Operation{"HalfTurn",
                          {V},
                          [](auto &f, int x, int y) {
                              return at(f, f.width() - 1 - x, f.height() - 1 - y);
                          }},
                Operation{
                    "Negative",
                    {N},
                    [](auto &f, int x, int y) {
                        const Pixel p = at(f, x, y);
                        return Pixel{std::uint8_t(~p[0]), std::uint8_t(~p[1]), std::uint8_t(~p[2])};
                    }},
                Operation{"Red", {R}, [](auto &f, int x, int y) { return red(at(f, x, y)); }},
                Operation{"Green", {G}, [](auto &f, int x, int y) { return green(at(f, x, y)); }},
                Operation{"Blue", {B}, [](auto &f, int x, int y) { return blue(at(f, x, y)); }},
                Operation{
                    "RedGreen",
                    {R, G},
                    [](auto &f, int x, int y) { return Pixel{0, at(f, x, y)[1], at(f, x, y)[2]}; }},
                Operation{
                    "RedBlue",
                    {R, B},
                    [](auto &f, int x, int y) { return Pixel{at(f, x, y)[0], 0, at(f, x, y)[2]}; }},
                Operation{"GreenBlue",
                          {G, B},
                          [](auto &f, int x,
                             int y) { return Pixel{at(f, x, y)[0], at(f, x, y)[1], 0}; }})),
    [](const auto &info) {
        return std::string(std::get<1>(info.param).name) +
               (std::get<0>(info.param) == Ops::Kernels::Fastest ? "Fastest" : "Portable");
    });

class Segmentation : public ::testing::TestWithParam<Ops::Kernels> {
protected:
    Ops operations{GetParam()};
};

TEST_P(Segmentation, UniformGreyTurnsWhite)
{
    operations.press(S);
    Frame frame = makeFrame(37, 5, [](int, int) { return Pixel{90, 90, 90}; });
    operations.apply(frame.view());
    EXPECT_EQ(frame.byteCount(),
              std::size_t(std::count(frame.data(), frame.data() + frame.byteCount(), 255)));
}

// Grey levels 40..60 and 180..220: every split between the groups is equally good, so the
// first, 60, is the threshold, and grey 60 itself is white.
TEST_P(Segmentation, SplitsABimodalPicture)
{
    operations.press(S);
    auto level = [](int x, int y) { return std::uint8_t(y % 2 == 0 ? 40 + x % 21 : 180 + x % 41); };
    Frame frame = makeFrame(83, 6, [&](int x, int y) {
        return Pixel{level(x, y), level(x, y), level(x, y)};
    });
    operations.apply(frame.view());
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 83; ++x) {
            const std::uint8_t shown = level(x, y) < 60 ? 0 : 255;
            ASSERT_EQ(at(frame, x, y), (Pixel{shown, shown, shown})) << x << "," << y;
        }
    }
}

// The kernels use integers and redo only exact divisions in double; every colour must still
// come out as the double formula gives it.
TEST_P(Segmentation, GreyValueMatchesTheDoubleFormulaForEveryColour)
{
    Frame frame(4096, 4096);
    for (int colour = 0; colour < (1 << 24); ++colour)
        std::memcpy(frame.data() + 3 * std::size_t(colour), &colour, 3); // little-endian: B, G, R
    std::vector<std::uint8_t> grey(std::size_t(1) << 24);
    operations.greyValues(frame.view(), grey.data());
    int mismatches = 0;
    for (int colour = 0; colour < (1 << 24); ++colour) {
        const int b = colour & 255, g = colour >> 8 & 255, r = colour >> 16;
        const int expected = (int)(g * 0.59 + b * 0.11 + r * 0.3 + 0.5);
        if (grey[std::size_t(colour)] != expected && ++mismatches <= 5)
            ADD_FAILURE() << "b " << b << " g " << g << " r " << r << " gives "
                          << int(grey[std::size_t(colour)]) << ", not " << expected;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_P(Segmentation, SameFrameSizeAllocatesNothing)
{
    Frame frame = makeFrame(37, 5, patterned);
    for (const int button : {H, V, S, N, R}) {
        operations.press(button);
        operations.apply(frame.view()); // may grow the scratch buffers
        const long before = allocations.load();
        operations.apply(frame.view());
        EXPECT_EQ(allocations.load(), before) << button;
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, Segmentation,
                         ::testing::Values(Ops::Kernels::Fastest, Ops::Kernels::Portable));

struct Histogram {
    const char *name;
    std::vector<std::pair<int, std::uint32_t>> counts; // grey value, pixels
    int threshold;
};

void PrintTo(const Histogram &h, std::ostream *os)
{
    *os << h.name;
}

class OtsuThreshold : public ::testing::TestWithParam<Histogram> {};

TEST_P(OtsuThreshold, IsTheFirstBestSplit)
{
    std::array<std::uint32_t, 256> histogram{};
    for (const auto &[value, pixels] : GetParam().counts)
        histogram[std::size_t(value)] = pixels;
    EXPECT_EQ(Ops::otsuThreshold(histogram), GetParam().threshold);
}

INSTANTIATE_TEST_SUITE_P(
    Histograms, OtsuThreshold,
    ::testing::Values(Histogram{"TwoSpikes", {{50, 500}, {200, 500}}, 50},
                      Histogram{"UnevenGroups", {{10, 900}, {20, 50}, {230, 50}}, 20},
                      Histogram{"WidestGap", {{20, 300}, {30, 300}, {220, 300}}, 30}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace quelmar::station
