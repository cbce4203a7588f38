// Nearest-pixel scaling: which source pixel each target pixel shows.
#include "image/resample.h"
#include "picture_tools.h"

#include <gtest/gtest.h>

namespace quelmar {
namespace {

using Point = std::pair<int, int>;

// Each pixel holds its own coordinates (12 bits each), so a target pixel tells its source.
Frame coordinateFrame(int width, int height)
{
    return test::makeFrame(width, height, [](int x, int y, std::uint8_t *p) {
        p[0] = std::uint8_t(x);
        p[1] = std::uint8_t(y);
        p[2] = std::uint8_t(x >> 8 | (y >> 8) << 4);
    });
}

Point sourceOf(const Frame &frame, Point target)
{
    const std::uint8_t *p =
        frame.data() + (std::size_t(target.second) * frame.width() + target.first) * 3;
    return {p[0] | (p[2] & 15) << 8, p[1] | (p[2] >> 4) << 8};
}

struct Scaling {
    Point from, to;
    std::vector<std::pair<Point, Point>> samples; // target pixel, source pixel under its centre
};

void PrintTo(const Scaling &s, std::ostream *os)
{
    *os << s.from.first << "x" << s.from.second << " to " << s.to.first << "x" << s.to.second;
}

class ResizeNearest : public ::testing::TestWithParam<Scaling> {};

TEST_P(ResizeNearest, TakesThePixelUnderEachCentre)
{
    const Scaling &s = GetParam();
    Frame source = coordinateFrame(s.from.first, s.from.second);
    const Frame scaled = resizeNearest(source.view(), s.to.first, s.to.second);
    ASSERT_EQ(Point(scaled.width(), scaled.height()), s.to);
    for (const auto &[target, from] : s.samples)
        EXPECT_EQ(sourceOf(scaled, target), from);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ResizeNearest,
    ::testing::Values(
        Scaling{{4, 4}, {2, 2}, {{{0, 0}, {1, 1}}, {{1, 0}, {3, 1}}, {{1, 1}, {3, 3}}}},
        Scaling{{2, 2}, {4, 4}, {{{1, 1}, {0, 0}}, {{2, 1}, {1, 0}}, {{3, 3}, {1, 1}}}},
        Scaling{{640, 480}, {60, 60}, {{{0, 0}, {5, 4}}, {{59, 59}, {634, 476}}}},
        Scaling{{3264, 2448}, {60, 60}, {{{0, 0}, {27, 20}}, {{59, 59}, {3236, 2427}}}},
        Scaling{{1, 1}, {60, 60}, {{{59, 59}, {0, 0}}}},
        Scaling{{3, 1}, {3, 1}, {{{0, 0}, {0, 0}}, {{2, 0}, {2, 0}}}}));

TEST(ResizeNearestEdges, EmptyInOrOutGivesEmpty)
{
    Frame source = coordinateFrame(4, 4);
    EXPECT_TRUE(resizeNearest(FrameView{}, 60, 60).empty());
    EXPECT_TRUE(resizeNearest(source.view(), 0, 60).empty());
}

TEST(ResizeNearestEdges, ReusesTheTargetBuffer)
{
    Frame source = coordinateFrame(320, 240);
    Frame target;
    resizeNearest(source.view(), 80, 60, target);
    const std::uint8_t *buffer = target.data();
    resizeNearest(source.view(), 60, 60, target);
    EXPECT_EQ(target.data(), buffer);
    EXPECT_EQ(sourceOf(target, {59, 59}), Point(317, 238));
}

} // namespace
} // namespace quelmar
