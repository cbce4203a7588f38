// Choosing the camera's button among the input devices udev lists, and reading its presses.
#include "camera/v4l2/camera_button.h"

#include <gtest/gtest.h>

#include <ostream>

#include <fcntl.h>
#include <unistd.h>

namespace quelmar::v4l2 {
namespace {

// KEY_CAMERA (212) alone, as the kernel prints it with 64-bit and with 32-bit words.
constexpr const char *cameraKeyOnly64 = "100000 0 0 0";
constexpr const char *cameraKeyOnly32 = "100000 0 0 0 0 0 0";
// A keyboard: many keys below 212, none at 212.
constexpr const char *keyboard64 = "ffefffff 0 fffffffffffffffe";
constexpr const char *webcamUsb = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2";
constexpr const char *otherUsb = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-3";

struct BitmapCase {
    const char *name;
    const char *bitmap;
    unsigned key;
    unsigned wordBits;
    bool expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const BitmapCase &c, std::ostream *out)
{
    *out << c.name;
}

class KeyBitmap : public testing::TestWithParam<BitmapCase> {};

TEST_P(KeyBitmap, FindsTheKeyBit)
{
    const BitmapCase &c = GetParam();
    EXPECT_EQ(keyBitmapHas(c.bitmap, c.key, c.wordBits), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Bitmaps, KeyBitmap,
    testing::Values(BitmapCase{"CameraKey64", cameraKeyOnly64, KEY_CAMERA, 64, true},
                    BitmapCase{"CameraKey32", cameraKeyOnly32, KEY_CAMERA, 32, true},
                    BitmapCase{"WordSizeMatters", cameraKeyOnly32, KEY_CAMERA, 64, false},
                    BitmapCase{"TrailingNewline", "100000 0 0 0\n", KEY_CAMERA, 64, true},
                    BitmapCase{"NeighbourBitIsNotTheKey", "80000 0 0 0", KEY_CAMERA, 64, false},
                    BitmapCase{"Keyboard", keyboard64, KEY_CAMERA, 64, false},
                    BitmapCase{"KeyboardHasEscape", keyboard64, KEY_ESC, 64, true},
                    BitmapCase{"TooFewWords", "ffffffffffffffff", KEY_CAMERA, 64, false},
                    BitmapCase{"Zero", "0", KEY_CAMERA, 64, false},
                    BitmapCase{"Empty", "", KEY_CAMERA, 64, false},
                    BitmapCase{"Garbage", "1zz000 0 0 0", KEY_CAMERA, 64, false}),
    [](const testing::TestParamInfo<BitmapCase> &info) { return info.param.name; });

TEST(CameraButton, EventNodesAreRecognisedByName)
{
    EXPECT_TRUE(isEventNode("/dev/input/event0"));
    EXPECT_TRUE(isEventNode("/dev/input/event17"));
    EXPECT_FALSE(isEventNode("/dev/input/event"));
    EXPECT_FALSE(isEventNode("/dev/input/mouse0"));
    EXPECT_FALSE(isEventNode("/dev/input/js0"));
    EXPECT_FALSE(isEventNode("/dev/input/event1a"));
    EXPECT_FALSE(isEventNode(""));
}

TEST(CameraButton, ChoosesTheEventNodeWithTheCameraKeyOnTheSameUsbDevice)
{
    const std::vector<InputCandidate> inputs{
        {"", webcamUsb, cameraKeyOnly64},                  // the inputN device itself
        {"/dev/input/event3", otherUsb, cameraKeyOnly64},  // another camera's button
        {"/dev/input/event4", webcamUsb, keyboard64},      // same device, no camera key
        {"/dev/input/mouse1", webcamUsb, cameraKeyOnly64}, // not an evdev node
        {"/dev/input/event5", webcamUsb, cameraKeyOnly64}, // the button
        {"/dev/input/event6", "", cameraKeyOnly64},        // not on USB at all
    };
    EXPECT_EQ(buttonCandidates(webcamUsb, inputs), std::vector<std::string>{"/dev/input/event5"});
    EXPECT_EQ(buttonCandidates(otherUsb, inputs), std::vector<std::string>{"/dev/input/event3"});
}

TEST(CameraButton, KeepsUdevsOrderAmongSeveralCandidates)
{
    const std::vector<InputCandidate> inputs{{"/dev/input/event9", webcamUsb, cameraKeyOnly64},
                                             {"/dev/input/event2", webcamUsb, cameraKeyOnly64}};
    EXPECT_EQ(buttonCandidates(webcamUsb, inputs),
              (std::vector<std::string>{"/dev/input/event9", "/dev/input/event2"}));
}

TEST(CameraButton, AVideoNodeOffUsbHasNoButton)
{
    const std::vector<InputCandidate> inputs{{"/dev/input/event6", "", cameraKeyOnly64}};
    EXPECT_TRUE(buttonCandidates("", inputs).empty());
}

input_event event(unsigned short type, unsigned short code, int value)
{
    input_event e{};
    e.type = type;
    e.code = code;
    e.value = value;
    return e;
}

TEST(CameraButton, CountsPressesButNotReleasesRepeatsOrOtherKeys)
{
    const std::vector<input_event> events{
        event(EV_KEY, KEY_CAMERA, 1), event(EV_SYN, SYN_REPORT, 0), event(EV_KEY, KEY_CAMERA, 2),
        event(EV_KEY, KEY_CAMERA, 0), event(EV_KEY, KEY_ENTER, 1),  event(EV_MSC, KEY_CAMERA, 1),
        event(EV_KEY, KEY_CAMERA, 1), event(EV_SYN, SYN_REPORT, 0)};
    EXPECT_EQ(cameraButtonPresses(events), 2);
    EXPECT_EQ(cameraButtonPresses({}), 0);
}

TEST(CameraButton, NothingThatIsNotADeviceIsTakenForAButton)
{
    int ends[2] = {-1, -1};
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    const UniqueFd reading(ends[0]);
    const UniqueFd writing(ends[1]);
    EXPECT_FALSE(reportsCameraKey(reading.get()));
    EXPECT_FALSE(openCameraButton(reading.get()).valid());
    EXPECT_FALSE(openCameraButton(-1).valid());
}

} // namespace
} // namespace quelmar::v4l2
