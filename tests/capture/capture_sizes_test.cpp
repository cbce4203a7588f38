#include "capture/capture_sizes.h"

#include <gtest/gtest.h>

using namespace quelmar::station;
using quelmar::CaptureFormat;
using PF = quelmar::PixelFormat;

namespace {

TEST(CaptureSizeTable, FiltersDeduplicatesKeepingTheFirstFormatAndSortsStably)
{
    const std::vector<CaptureFormat> offered = {
        {1280, 960, PF::Mjpg}, {640, 480, PF::Yuyv},  {160, 120, PF::Yuyv},  {320, 200, PF::Yuyv},
        {640, 480, PF::Mjpg},  {1280, 720, PF::Yuyv}, {1280, 960, PF::Yuyv}, {320, 240, PF::Yuyv},
    };
    const std::vector<CaptureSize> expected = {
        {320, 240, PF::Yuyv}, {640, 480, PF::Yuyv}, {1280, 960, PF::Mjpg}, {1280, 720, PF::Yuyv}};
    EXPECT_EQ(buildCaptureSizeTable(offered), expected);
}

TEST(CaptureSizeTable, NeverHoldsMoreThanSixteenEntries)
{
    std::vector<CaptureFormat> many;
    for (int i = 0; i < 40; ++i)
        many.push_back({400 + 16 * i, 300 + 12 * i, PF::Yuyv});
    EXPECT_EQ(buildCaptureSizeTable(many).size(), 16u);
}

struct ClassCase {
    std::vector<int> widths;
    int expected;
};

class SensorClassTable : public ::testing::TestWithParam<ClassCase> {};

TEST_P(SensorClassTable, FollowsTheWidestEntry)
{
    std::vector<CaptureSize> table;
    for (int w : GetParam().widths)
        table.push_back({w, w * 3 / 4, PF::Yuyv});
    EXPECT_EQ(sensorClassFor(table, 0), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, SensorClassTable,
                         ::testing::Values(ClassCase{{320, 352, 640, 1280}, 5},
                                           ClassCase{{352, 640, 800, 1024, 1280}, 1},
                                           ClassCase{{640, 1280}, 1},
                                           ClassCase{{640, 1280, 1600}, 2},
                                           ClassCase{{640, 2048, 2592}, 3},
                                           ClassCase{{640, 3264}, 4}, ClassCase{{640, 1920}, 0}));

TEST(SizeConstants, OverlayScaleAndFrameRate)
{
    EXPECT_DOUBLE_EQ(overlayScaleFor(640, 480), 1.0);
    EXPECT_DOUBLE_EQ(overlayScaleFor(1920, 1080), 2.25);
    EXPECT_DOUBLE_EQ(overlayScaleFor(2592, 1944), 4.05);
    EXPECT_DOUBLE_EQ(overlayScaleFor(1000, 1000), 1.0);
    EXPECT_EQ(frameRateFor(640, 360), 11);
    EXPECT_EQ(frameRateFor(2592, 1944), 2);
    EXPECT_EQ(frameRateFor(1234, 567), 11);
}

} // namespace
