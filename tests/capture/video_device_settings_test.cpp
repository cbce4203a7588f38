// The video settings without the dialog, on a played V4L2 camera: the rows and exposure read
// from its controls, slider, spin-button and automatic-mode writes, Default, rows the camera
// lacks; and the device, pixel-format and size lists.
#include "capture/video_device_settings.h"

#include "fake_v4l2_device.h"

#include <camera/v4l2/v4l2_controls.h>

#include <gtest/gtest.h>

#include <ostream>

using namespace quelmar::station;
using namespace quelmar;

namespace {

enum Row { Brightness, Contrast, Saturation, Sharpness, Gamma, Hue, WhiteBalance };

class DeviceSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { device.controls = test::typicalControls(); }
    VideoDeviceSettings read()
    {
        device.written.clear();
        VideoDeviceSettings settings(&controls);
        return settings;
    }
    using Writes = std::vector<std::pair<std::uint32_t, int>>;

    test::FakeV4l2Device device;
    v4l2::V4l2Controls controls{device.ioctl()};
};

TEST_F(DeviceSettingsTest, RowsAndExposureComeFromTheCamera)
{
    const VideoDeviceSettings settings = read();
    EXPECT_TRUE(settings.row(Brightness).present);
    EXPECT_EQ(settings.row(Brightness).value, 5);
    EXPECT_EQ(settings.row(Gamma).step, 10);
    EXPECT_EQ(settings.row(Gamma).maximum, 500);
    // The white balance check box starts from the camera's mode.
    EXPECT_TRUE(settings.row(WhiteBalance).automatic);
    EXPECT_EQ(settings.row(WhiteBalance).value, 5000);
    EXPECT_TRUE(settings.exposure().present);
    EXPECT_TRUE(settings.exposure().automatic);
    EXPECT_EQ(settings.exposure().value, 400);

    device.controls[V4L2_CID_AUTO_WHITE_BALANCE].value = 0;
    EXPECT_FALSE(read().row(WhiteBalance).automatic);
    EXPECT_TRUE(device.written.empty()) << "reading writes nothing";
}

TEST_F(DeviceSettingsTest, ARowTheCameraLacksIsDisabledTheOthersStay)
{
    device.controls.erase(V4L2_CID_GAMMA);
    device.controls.erase(V4L2_CID_HUE);
    VideoDeviceSettings settings = read();
    EXPECT_FALSE(settings.row(Gamma).present);
    EXPECT_FALSE(settings.row(Hue).present);
    EXPECT_TRUE(settings.row(Saturation).present);
    settings.moveRow(Gamma, 200);
    settings.stepRow(Hue, +1);
    EXPECT_TRUE(device.written.empty());

    // Without any camera properties nothing is present, and nothing is written anywhere.
    VideoDeviceSettings none(nullptr);
    for (int row = Brightness; row <= WhiteBalance; ++row)
        EXPECT_FALSE(none.row(row).present) << row;
    EXPECT_FALSE(none.exposure().present);
    none.restoreDefaults();
    none.toggleExposureAutomatic();
}

TEST_F(DeviceSettingsTest, SlidersAndSpinButtonsKeepToTheControlsStep)
{
    VideoDeviceSettings settings = read();
    EXPECT_EQ(settings.moveRow(Gamma, 333), 330);
    EXPECT_EQ(settings.stepRow(Gamma, +1), 340);
    EXPECT_EQ(settings.stepRow(Gamma, -1), 330);
    EXPECT_EQ(device.written,
              (Writes{{V4L2_CID_GAMMA, 330}, {V4L2_CID_GAMMA, 340}, {V4L2_CID_GAMMA, 330}}));
    EXPECT_EQ(settings.moveRow(Brightness, 999), 64);
    device.written.clear();
    EXPECT_EQ(settings.stepRow(Brightness, +1), 64) << "at the end of the range";
    EXPECT_TRUE(device.written.empty());
}

TEST_F(DeviceSettingsTest, WhiteBalanceFollowsItsCheckBox)
{
    VideoDeviceSettings settings = read();
    // Automatic: the camera takes no temperature, and nobody is told.
    EXPECT_EQ(settings.moveRow(WhiteBalance, 3000), 3000);
    EXPECT_TRUE(device.written.empty());

    // Unchecked: the value shown goes to the camera in manual mode.
    EXPECT_EQ(settings.setWhiteBalanceAutomatic(false), 3000);
    EXPECT_EQ(device.written, (Writes{{V4L2_CID_AUTO_WHITE_BALANCE, 0},
                                      {V4L2_CID_WHITE_BALANCE_TEMPERATURE, 3000}}));
    EXPECT_EQ(settings.moveRow(WhiteBalance, 4001), 4000);
    EXPECT_EQ(device.controls[V4L2_CID_WHITE_BALANCE_TEMPERATURE].value, 4000);

    // Checked: the default shows and the camera chooses.
    EXPECT_EQ(settings.setWhiteBalanceAutomatic(true), 4600);
    EXPECT_EQ(device.controls[V4L2_CID_AUTO_WHITE_BALANCE].value, 1);
    EXPECT_TRUE(settings.row(WhiteBalance).automatic);
}

TEST_F(DeviceSettingsTest, TheExposureButtonShowsTheValueItWrote)
{
    VideoDeviceSettings settings = read();
    EXPECT_EQ(settings.toggleExposureAutomatic(), 250);
    EXPECT_FALSE(settings.exposure().automatic);
    EXPECT_EQ(settings.exposure().value, 250);
    EXPECT_EQ(device.extendedWrites, std::vector<int>{2}) << "mode and value in one request";
    EXPECT_EQ(device.controls[V4L2_CID_EXPOSURE_AUTO].value, V4L2_EXPOSURE_MANUAL);
    EXPECT_EQ(device.controls[V4L2_CID_EXPOSURE_ABSOLUTE].value, 250);
    EXPECT_EQ(settings.moveExposure(800), 800);
    EXPECT_EQ(device.controls[V4L2_CID_EXPOSURE_ABSOLUTE].value, 800);

    EXPECT_EQ(settings.toggleExposureAutomatic(), 250);
    EXPECT_TRUE(settings.exposure().automatic);
    EXPECT_EQ(device.controls[V4L2_CID_EXPOSURE_AUTO].value, V4L2_EXPOSURE_APERTURE_PRIORITY);
    device.written.clear();
    settings.moveExposure(900); // automatic: refused, not reported
    EXPECT_TRUE(device.written.empty());
}

TEST_F(DeviceSettingsTest, ExposureWithoutBothModesIsNotOffered)
{
    device.controls[V4L2_CID_EXPOSURE_AUTO].menu = {V4L2_EXPOSURE_MANUAL};
    EXPECT_FALSE(read().exposure().present);
    device.controls.erase(V4L2_CID_EXPOSURE_ABSOLUTE);
    EXPECT_FALSE(read().exposure().present);
    EXPECT_TRUE(read().row(Brightness).present) << "the rows stay";
}

TEST_F(DeviceSettingsTest, DefaultRestoresEveryRowAndSlidersStillReachTheCamera)
{
    device.controls[V4L2_CID_AUTO_WHITE_BALANCE].value = 0;
    VideoDeviceSettings settings = read();
    settings.restoreDefaults();
    for (int row = Brightness; row <= WhiteBalance; ++row)
        EXPECT_EQ(settings.row(row).value, settings.row(row).defaultValue) << row;
    EXPECT_EQ(device.controls[V4L2_CID_BRIGHTNESS].value, 0);
    EXPECT_EQ(device.controls[V4L2_CID_GAMMA].value, 300);
    EXPECT_EQ(device.controls[V4L2_CID_HUE].value, 0);
    EXPECT_EQ(device.controls[V4L2_CID_AUTO_WHITE_BALANCE].value, 1);
    EXPECT_TRUE(settings.row(WhiteBalance).automatic);
    EXPECT_EQ(device.controls[V4L2_CID_EXPOSURE_AUTO].value, V4L2_EXPOSURE_APERTURE_PRIORITY)
        << "Default leaves exposure alone";

    // Brightness to hue have no automatic mode to swallow later moves.
    settings.moveRow(Brightness, 12);
    settings.moveRow(Hue, -7);
    EXPECT_EQ(device.controls[V4L2_CID_BRIGHTNESS].value, 12);
    EXPECT_EQ(device.controls[V4L2_CID_HUE].value, -7);
}

TEST(DeviceList, EntriesMapToTheRecordsWithANameInOrder)
{
    std::vector<DeviceRecord> records(4);
    records[0].friendlyName = QStringLiteral("Integrated Webcam");
    records[2].friendlyName = QStringLiteral("USB Microscope");
    records[3].friendlyName = QStringLiteral("Second Microscope");
    EXPECT_EQ(listedDeviceRecords(records), (std::vector<int>{0, 2, 3}));
    EXPECT_TRUE(listedDeviceRecords({}).empty());
}

struct FormatCase {
    int sensorClass;
    int selected; // 0 YUY2, 1 MJPEG
    bool enabled;
};

void PrintTo(const FormatCase &c, std::ostream *out)
{
    *out << "class " << c.sensorClass;
}

class PixelFormatList : public ::testing::TestWithParam<FormatCase> {};

TEST_P(PixelFormatList, FollowsTheSensorClass)
{
    const PixelFormatListState state = pixelFormatListFor(GetParam().sensorClass);
    EXPECT_EQ(kPixelFormatNames.at(state.selected), kPixelFormatNames.at(GetParam().selected));
    EXPECT_EQ(state.enabled, GetParam().enabled);
}

INSTANTIATE_TEST_SUITE_P(Classes, PixelFormatList,
                         ::testing::Values(FormatCase{1, 1, true}, FormatCase{2, 0, false},
                                           FormatCase{3, 1, true}, FormatCase{4, 1, true},
                                           FormatCase{5, 0, false}));

TEST(CaptureSizeText, IsWidthXHeightAndReadsBack)
{
    EXPECT_EQ(captureSizeText(1280, 960), QStringLiteral("1280X960"));
    EXPECT_EQ(parseCaptureSizeText(QStringLiteral("2592X1944")), QSize(2592, 1944));
    for (const char *bad : {"", "1280", "1280x960", "X960", "1280X", "0X480", "12X34X56", "aXb"})
        EXPECT_FALSE(parseCaptureSizeText(QString::fromLatin1(bad))) << bad;
}

} // namespace
