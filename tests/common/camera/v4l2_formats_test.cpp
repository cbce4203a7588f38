// The format list built from canned VIDIOC_ENUM_FMT / VIDIOC_ENUM_FRAMESIZES answers.
#include "camera/v4l2/v4l2_formats.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cerrno>
#include <cstdio>

namespace quelmar::v4l2 {
namespace {

v4l2_frmsizeenum discrete(std::uint32_t width, std::uint32_t height)
{
    v4l2_frmsizeenum answer{};
    answer.type = V4L2_FRMSIZE_TYPE_DISCRETE;
    answer.discrete = {width, height};
    return answer;
}

v4l2_frmsizeenum range(std::uint32_t type, v4l2_frmsize_stepwise stepwise)
{
    v4l2_frmsizeenum answer{};
    answer.type = type;
    answer.stepwise = stepwise;
    return answer;
}

struct FakeFormat {
    std::uint32_t fourcc = 0;
    std::vector<v4l2_frmsizeenum> sizes;
    std::uint32_t flags = 0;
};

// Answers the two enumeration ioctls like a driver: entry `index` or EINVAL past the end.
class FakeDevice {
public:
    explicit FakeDevice(std::vector<FakeFormat> formats) : formats_(std::move(formats)) {}

    IoctlFn ioctl()
    {
        return [this](unsigned long request, void *argument) { return answer(request, argument); };
    }
    std::vector<std::uint32_t> sizeQueries; // fourccs whose sizes were asked for

private:
    int answer(unsigned long request, void *argument)
    {
        if (request == VIDIOC_ENUM_FMT) {
            auto *description = static_cast<v4l2_fmtdesc *>(argument);
            if (description->type != V4L2_BUF_TYPE_VIDEO_CAPTURE ||
                description->index >= formats_.size())
                return fail();
            description->pixelformat = formats_[description->index].fourcc;
            description->flags = formats_[description->index].flags;
            return 0;
        }
        if (request == VIDIOC_ENUM_FRAMESIZES) {
            auto *size = static_cast<v4l2_frmsizeenum *>(argument);
            sizeQueries.push_back(size->pixel_format);
            for (const FakeFormat &format : formats_) {
                if (format.fourcc == size->pixel_format && size->index < format.sizes.size()) {
                    const std::uint32_t index = size->index;
                    *size = format.sizes[index];
                    size->index = index;
                    size->pixel_format = format.fourcc;
                    return 0;
                }
            }
            return fail();
        }
        errno = ENOTTY;
        return -1;
    }
    static int fail()
    {
        errno = EINVAL;
        return -1;
    }

    std::vector<FakeFormat> formats_;
};

constexpr auto Yuyv = PixelFormat::Yuyv;
constexpr auto Mjpg = PixelFormat::Mjpg;

TEST(V4l2Formats, KeepsYuyvAndMjpgSizesInTheCamerasOrder)
{
    FakeDevice camera({{V4L2_PIX_FMT_MJPEG, {discrete(1280, 1024), discrete(640, 480)}},
                       {V4L2_PIX_FMT_H264, {discrete(1920, 1080)}},
                       {V4L2_PIX_FMT_YUYV, {discrete(640, 480), discrete(320, 240)}},
                       {V4L2_PIX_FMT_GREY, {discrete(800, 600)}}});
    const std::vector<CaptureFormat> expected{
        {1280, 1024, Mjpg}, {640, 480, Mjpg}, {640, 480, Yuyv}, {320, 240, Yuyv}};
    EXPECT_EQ(enumerateFormats(camera.ioctl()), expected);
    // Formats the station cannot decode are not even asked for their sizes.
    EXPECT_EQ(camera.sizeQueries, (std::vector<std::uint32_t>{
                                      V4L2_PIX_FMT_MJPEG, V4L2_PIX_FMT_MJPEG, V4L2_PIX_FMT_MJPEG,
                                      V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_YUYV}));
}

TEST(V4l2Formats, LeavesOutEmulatedRepeatedAndEmptySizes)
{
    FakeDevice camera(
        {{V4L2_PIX_FMT_YUYV, {discrete(640, 480), discrete(0, 0), discrete(640, 480)}},
         {V4L2_PIX_FMT_MJPEG, {discrete(1600, 1200)}, V4L2_FMT_FLAG_EMULATED}});
    EXPECT_EQ(enumerateFormats(camera.ioctl()), (std::vector<CaptureFormat>{{640, 480, Yuyv}}));
}

TEST(V4l2Formats, ExpandsAStepwiseRangeIntoCommonSizes)
{
    FakeDevice camera(
        {{V4L2_PIX_FMT_YUYV, {range(V4L2_FRMSIZE_TYPE_STEPWISE, {320, 1296, 16, 240, 976, 8})}}});
    const std::vector<CaptureFormat> expected{
        {320, 240, Yuyv},  {352, 288, Yuyv},  {640, 480, Yuyv},  {800, 600, Yuyv},
        {1024, 768, Yuyv}, {1280, 720, Yuyv}, {1280, 960, Yuyv}, {1296, 976, Yuyv}};
    EXPECT_EQ(enumerateFormats(camera.ioctl()), expected);
}

TEST(V4l2Formats, AFormatWithoutSizesDoesNotHideTheOthers)
{
    FakeDevice camera({{V4L2_PIX_FMT_MJPEG, {}}, {V4L2_PIX_FMT_YUYV, {discrete(352, 288)}}});
    EXPECT_EQ(enumerateFormats(camera.ioctl()), (std::vector<CaptureFormat>{{352, 288, Yuyv}}));
}

TEST(V4l2Formats, NoFormatsFromADeviceThatAnswersNothing)
{
    FakeDevice camera({});
    EXPECT_TRUE(enumerateFormats(camera.ioctl()).empty());
}

TEST(V4l2Formats, AListThatNeverEndsIsCutOff)
{
    const IoctlFn endless = [](unsigned long request, void *argument) {
        if (request == VIDIOC_ENUM_FMT)
            static_cast<v4l2_fmtdesc *>(argument)->pixelformat = V4L2_PIX_FMT_YUYV;
        if (request == VIDIOC_ENUM_FRAMESIZES) {
            auto *size = static_cast<v4l2_frmsizeenum *>(argument);
            size->type = V4L2_FRMSIZE_TYPE_DISCRETE;
            size->discrete = {640 + size->index, 480};
        }
        return 0;
    };
    const std::vector<CaptureFormat> formats = enumerateFormats(endless);
    EXPECT_FALSE(formats.empty());
    EXPECT_LE(formats.size(), 256U);
}

// What the viewer's settings tab shows: the driver's format names and the frame intervals
// per size, discrete ones one by one and a range as one entry.
TEST(V4l2Formats, NamesAndFrameIntervalsAsTheDriverGivesThem)
{
    const auto device = [](unsigned long request, void *argument) {
        if (request == VIDIOC_ENUM_FMT) {
            auto *d = static_cast<v4l2_fmtdesc *>(argument);
            if (d->index > 1)
                return errno = EINVAL, -1;
            d->pixelformat = d->index == 0 ? V4L2_PIX_FMT_YUYV : V4L2_PIX_FMT_MJPEG;
            const char *name = d->index == 0 ? "YUYV 4:2:2" : "Motion-JPEG";
            std::snprintf(reinterpret_cast<char *>(d->description), sizeof(d->description), "%s",
                          name);
            return 0;
        }
        if (request == VIDIOC_ENUM_FRAMEINTERVALS) {
            auto *f = static_cast<v4l2_frmivalenum *>(argument);
            if (f->pixel_format == V4L2_PIX_FMT_MJPEG) {
                if (f->index > 0)
                    return errno = EINVAL, -1;
                f->type = V4L2_FRMIVAL_TYPE_CONTINUOUS;
                f->stepwise.min = {1, 30};
                f->stepwise.max = {2, 15};
                return 0;
            }
            if (f->width != 640 || f->index > 2)
                return errno = EINVAL, -1;
            const std::uint32_t denominators[] = {30, 15, 0}; // the last is unusable
            f->type = V4L2_FRMIVAL_TYPE_DISCRETE;
            f->discrete = {1, denominators[f->index]};
            return 0;
        }
        return errno = ENOTTY, -1;
    };
    EXPECT_EQ(formatDescription(device, PixelFormat::Mjpg), QStringLiteral("Motion-JPEG"));
    EXPECT_EQ(formatDescription(device, PixelFormat::Yuyv), QStringLiteral("YUYV 4:2:2"));
    EXPECT_EQ(enumerateFrameIntervals(device, {640, 480, PixelFormat::Yuyv}),
              (std::vector<FrameIntervalRange>{{{1, 30}, {1, 30}}, {{1, 15}, {1, 15}}}));
    EXPECT_EQ(enumerateFrameIntervals(device, {1280, 720, PixelFormat::Mjpg}),
              (std::vector<FrameIntervalRange>{{{1, 30}, {2, 15}}}));
    EXPECT_TRUE(enumerateFrameIntervals(device, {800, 600, PixelFormat::Yuyv}).empty());
    EXPECT_FALSE(formatDescription([](unsigned long, void *) { return errno = ENOTTY, -1; },
                                   PixelFormat::Mjpg));
}

TEST(V4l2Formats, FourccsMapBothWays)
{
    EXPECT_EQ(pixelFormatFromFourcc(V4L2_PIX_FMT_YUYV), Yuyv);
    EXPECT_EQ(pixelFormatFromFourcc(V4L2_PIX_FMT_MJPEG), Mjpg);
    EXPECT_EQ(pixelFormatFromFourcc(V4L2_PIX_FMT_JPEG), std::nullopt);
    EXPECT_EQ(pixelFormatFromFourcc(V4L2_PIX_FMT_NV12), std::nullopt);
    EXPECT_EQ(fourccFromPixelFormat(Yuyv), std::uint32_t(V4L2_PIX_FMT_YUYV));
    EXPECT_EQ(fourccFromPixelFormat(Mjpg), std::uint32_t(V4L2_PIX_FMT_MJPEG));
}

struct RangeCase {
    const char *name;
    v4l2_frmsize_stepwise range;
    std::vector<FrameSize> expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const RangeCase &c, std::ostream *out)
{
    *out << c.name;
}

class SizesInRange : public testing::TestWithParam<RangeCase> {};

TEST_P(SizesInRange, OffersCommonSizesOnTheGridThenTheLargest)
{
    EXPECT_EQ(sizesInRange(GetParam().range), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, SizesInRange,
    testing::Values(
        RangeCase{"SmallSensor",
                  {160, 640, 1, 120, 480, 1},
                  {{160, 120}, {176, 144}, {320, 240}, {352, 288}, {640, 480}}},
        RangeCase{"CoarseGrid",
                  {640, 2560, 640, 480, 1920, 480},
                  {{640, 480}, {1280, 960}, {2560, 1920}}},
        RangeCase{"NothingCommonFits", {100, 130, 2, 100, 110, 2}, {{130, 110}}},
        RangeCase{"ZeroStepMeansAnySize", {320, 352, 0, 240, 288, 0}, {{320, 240}, {352, 288}}},
        RangeCase{"Broken", {640, 320, 1, 480, 240, 1}, {}},
        RangeCase{"Empty", {0, 0, 0, 0, 0, 0}, {}}),
    [](const testing::TestParamInfo<RangeCase> &info) { return info.param.name; });

} // namespace
} // namespace quelmar::v4l2
