// The picture properties of a V4L2 camera against a played device: which control each
// property maps to, ranges and values, automatic modes with sparse menus, writes refused while
// automatic or held by another program, and properties the camera lacks.
#include "camera/v4l2/v4l2_controls.h"

#include "fake_v4l2_device.h"

#include <gtest/gtest.h>

#include <ostream>

namespace quelmar::v4l2 {
namespace {

using test::FakeControl;
using test::FakeV4l2Device;

class V4l2ControlsTest : public testing::Test {
protected:
    void SetUp() override { device.controls = test::typicalControls(); }

    FakeV4l2Device device;
    V4l2Controls controls{device.ioctl()};
};

struct PlainCase {
    const char *name;
    CameraControl control;
    std::uint32_t id;
};

void PrintTo(const PlainCase &c, std::ostream *out)
{
    *out << c.name;
}

class PlainProperty : public V4l2ControlsTest, public testing::WithParamInterface<PlainCase> {};

TEST_P(PlainProperty, ReadsAndWritesItsOwnControl)
{
    const PlainCase &c = GetParam();
    FakeControl &fake = device.controls[c.id];
    const std::optional<ControlRange> range = controls.range(c.control);
    ASSERT_TRUE(range);
    EXPECT_EQ(*range,
              (ControlRange{fake.minimum, fake.maximum, fake.step, fake.defaultValue, false}));
    EXPECT_EQ(controls.state(c.control), (ControlState{fake.value, false}));

    EXPECT_EQ(controls.setValue(c.control, fake.maximum), ControlWrite::Done);
    ASSERT_FALSE(device.written.empty());
    EXPECT_EQ(device.written.back(), std::make_pair(c.id, fake.maximum));
    // No automatic mode to switch.
    EXPECT_EQ(controls.setAutomatic(c.control, true, 0), ControlWrite::Missing);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PlainProperty,
    testing::Values(PlainCase{"Brightness", CameraControl::Brightness, V4L2_CID_BRIGHTNESS},
                    PlainCase{"Contrast", CameraControl::Contrast, V4L2_CID_CONTRAST},
                    PlainCase{"Saturation", CameraControl::Saturation, V4L2_CID_SATURATION},
                    PlainCase{"Sharpness", CameraControl::Sharpness, V4L2_CID_SHARPNESS},
                    PlainCase{"Gamma", CameraControl::Gamma, V4L2_CID_GAMMA},
                    PlainCase{"Hue", CameraControl::Hue, V4L2_CID_HUE}),
    [](const testing::TestParamInfo<PlainCase> &info) { return info.param.name; });

TEST_F(V4l2ControlsTest, MissingOrDisabledControlsAreNoProperties)
{
    device.controls.erase(V4L2_CID_GAMMA);
    device.controls[V4L2_CID_HUE].flags = V4L2_CTRL_FLAG_DISABLED;
    for (const CameraControl control : {CameraControl::Gamma, CameraControl::Hue}) {
        EXPECT_FALSE(controls.range(control));
        EXPECT_FALSE(controls.state(control));
        EXPECT_EQ(controls.setValue(control, 1), ControlWrite::Missing);
    }
    EXPECT_TRUE(device.written.empty());
    EXPECT_TRUE(controls.range(CameraControl::Brightness));
}

TEST_F(V4l2ControlsTest, AStepOfZeroCountsAsOne)
{
    device.controls[V4L2_CID_CONTRAST].step = 0;
    EXPECT_EQ(controls.range(CameraControl::Contrast)->step, 1);
}

TEST_F(V4l2ControlsTest, WhiteBalanceIsTheTemperatureUnderAutomaticWhiteBalance)
{
    const ControlRange range = *controls.range(CameraControl::WhiteBalance);
    EXPECT_EQ(range, (ControlRange{2800, 6500, 10, 4600, true}));
    EXPECT_EQ(controls.state(CameraControl::WhiteBalance), (ControlState{5000, true}));

    // Automatic: the temperature is inactive and not written at all.
    EXPECT_EQ(controls.setValue(CameraControl::WhiteBalance, 3000), ControlWrite::Refused);
    EXPECT_TRUE(device.written.empty());

    // Manual with a value: mode and value in one request, mode first.
    EXPECT_EQ(controls.setAutomatic(CameraControl::WhiteBalance, false, 3500), ControlWrite::Done);
    EXPECT_EQ(device.extendedWrites, std::vector<int>{2});
    EXPECT_EQ(device.written,
              (std::vector<std::pair<std::uint32_t, int>>{
                  {V4L2_CID_AUTO_WHITE_BALANCE, 0}, {V4L2_CID_WHITE_BALANCE_TEMPERATURE, 3500}}));
    EXPECT_EQ(controls.setValue(CameraControl::WhiteBalance, 4000), ControlWrite::Done);
    EXPECT_EQ(controls.state(CameraControl::WhiteBalance), (ControlState{4000, false}));

    EXPECT_EQ(controls.setAutomatic(CameraControl::WhiteBalance, true, 0), ControlWrite::Done);
    EXPECT_EQ(device.controls[V4L2_CID_AUTO_WHITE_BALANCE].value, 1);
}

TEST_F(V4l2ControlsTest, AutomaticExposureIsApertureOrFullAutomaticManualIsManual)
{
    // The usual webcam: only manual and aperture priority.
    EXPECT_TRUE(controls.range(CameraControl::Exposure)->hasAutomatic);
    EXPECT_TRUE(controls.state(CameraControl::Exposure)->automatic);
    EXPECT_EQ(controls.setAutomatic(CameraControl::Exposure, false, 250), ControlWrite::Done);
    EXPECT_EQ(device.controls[V4L2_CID_EXPOSURE_AUTO].value, V4L2_EXPOSURE_MANUAL);
    EXPECT_EQ(device.controls[V4L2_CID_EXPOSURE_ABSOLUTE].value, 250);
    EXPECT_EQ(controls.manualExposure(), 250);
    EXPECT_EQ(controls.setAutomatic(CameraControl::Exposure, true, 0), ControlWrite::Done);
    EXPECT_EQ(device.controls[V4L2_CID_EXPOSURE_AUTO].value, V4L2_EXPOSURE_APERTURE_PRIORITY);
    EXPECT_FALSE(controls.manualExposure());

    // A camera that offers full automatic gets it.
    device.controls[V4L2_CID_EXPOSURE_AUTO].menu.insert(V4L2_EXPOSURE_AUTO);
    EXPECT_EQ(controls.setAutomatic(CameraControl::Exposure, true, 0), ControlWrite::Done);
    EXPECT_EQ(device.controls[V4L2_CID_EXPOSURE_AUTO].value, V4L2_EXPOSURE_AUTO);
    EXPECT_TRUE(controls.state(CameraControl::Exposure)->automatic);
}

TEST_F(V4l2ControlsTest, ExposureWithoutBothModesHasNoAutomatic)
{
    // Shutter priority alone is neither automatic nor manual exposure time.
    device.controls[V4L2_CID_EXPOSURE_AUTO].menu = {V4L2_EXPOSURE_SHUTTER_PRIORITY};
    EXPECT_FALSE(controls.range(CameraControl::Exposure)->hasAutomatic);
    EXPECT_EQ(controls.setAutomatic(CameraControl::Exposure, false, 10), ControlWrite::Missing);

    device.controls.erase(V4L2_CID_EXPOSURE_AUTO);
    device.controls[V4L2_CID_EXPOSURE_ABSOLUTE].master = 0;
    EXPECT_FALSE(controls.range(CameraControl::Exposure)->hasAutomatic);
    EXPECT_FALSE(controls.state(CameraControl::Exposure)->automatic);
}

TEST_F(V4l2ControlsTest, WritesRefusedByTheCameraAreRefusalsNotFailures)
{
    device.controls[V4L2_CID_BRIGHTNESS].grabbed = true;
    EXPECT_EQ(controls.setValue(CameraControl::Brightness, 3), ControlWrite::Refused);
    // The driver's word counts when the mode was not known to be automatic.
    device.errors[VIDIOC_G_CTRL] = EIO;
    EXPECT_EQ(controls.setValue(CameraControl::WhiteBalance, 3000), ControlWrite::Refused);
    device.errors.erase(VIDIOC_G_CTRL);
    device.errors[VIDIOC_S_CTRL] = ERANGE;
    EXPECT_EQ(controls.setValue(CameraControl::Contrast, 3), ControlWrite::Failed);
    EXPECT_EQ(writeOutcome(EBUSY), ControlWrite::Refused);
    EXPECT_EQ(writeOutcome(EACCES), ControlWrite::Refused);
    EXPECT_EQ(writeOutcome(ENODEV), ControlWrite::Failed);
}

TEST_F(V4l2ControlsTest, DriversWithoutExtendedRequestsGetTheModeThenTheValue)
{
    device.extendedControls = false;
    EXPECT_EQ(controls.setAutomatic(CameraControl::Exposure, false, 600), ControlWrite::Done);
    EXPECT_EQ(device.written, (std::vector<std::pair<std::uint32_t, int>>{
                                  {V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL},
                                  {V4L2_CID_EXPOSURE_ABSOLUTE, 600}}));
}

TEST_F(V4l2ControlsTest, AWriteOnlyControlShowsItsDefault)
{
    device.errors[VIDIOC_G_CTRL] = EACCES;
    EXPECT_EQ(controls.state(CameraControl::Brightness)->value, 0);
}

} // namespace
} // namespace quelmar::v4l2
