// Register access to class-4 cameras through the stand-in chip library: the hexadecimal texts,
// the messages, the enable sequence, the 500 ms poll with its press-and-release rule, turning
// off and closing, a library that is missing or finds no camera, and the snapshot item of a
// window with a class-4 demo camera.
#include "capture/camera_chip.h"
#include "capture/chip_snapshot_button.h"
#include "capture/video_cap_wnd.h"

#include "base/command_ids.h"
#include "demo_station.h"
#include "scripted_prompt.h"
#include "sunplus_stand_in.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <memory>
#include <optional>
#include <ostream>

using namespace quelmar::station;
using namespace quelmar;

namespace {

const QString kStandIn = QStringLiteral(QUELMAR_CHIP_STAND_IN);

// The test's own handle on the stand-in: the same library the station loads, so both see the
// same registers and call log.
class StandIn {
public:
    StandIn() : handle_(dlopen(QUELMAR_CHIP_STAND_IN, RTLD_NOW | RTLD_LOCAL)) {}
    ~StandIn()
    {
        if (handle_)
            dlclose(handle_);
    }
    StandIn(const StandIn &) = delete;
    StandIn &operator=(const StandIn &) = delete;

    bool loaded() const { return handle_ != nullptr; }
    void reset() const { call<decltype(&StandIn_Reset)>("StandIn_Reset")(); }
    void setInitResult(int r) const
    {
        call<decltype(&StandIn_SetInitResult)>("StandIn_SetInitResult")(r);
    }
    void setReadResult(int r) const
    {
        call<decltype(&StandIn_SetReadResult)>("StandIn_SetReadResult")(r);
    }
    void setButton(unsigned char s) const
    {
        call<decltype(&StandIn_SetButton)>("StandIn_SetButton")(s);
    }
    QString calls() const
    {
        return QString::fromLatin1(call<decltype(&StandIn_Calls)>("StandIn_Calls")());
    }

private:
    template <typename Function> Function call(const char *name) const
    {
        return reinterpret_cast<Function>(dlsym(handle_, name));
    }
    void *handle_;
};

struct HexCase {
    const char *text;
    std::optional<std::uint32_t> value;
};

void PrintTo(const HexCase &c, std::ostream *out)
{
    *out << '"' << c.text << '"';
}

class HexText : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexText, ReadsDigitsAndBlanksLeftToRight)
{
    EXPECT_EQ(parseHexText(QString::fromUtf8(GetParam().text)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HexText,
    ::testing::Values(HexCase{"", 0}, HexCase{"2058", 0x2058}, HexCase{"ff", 0xff},
                      HexCase{"aBcD", 0xabcd}, HexCase{" 1", 0x1}, HexCase{"1 ", 0x10},
                      HexCase{"  ", 0}, HexCase{"12345678", 0x12345678},
                      HexCase{"FFFFFFFF", 0xffffffff}, HexCase{"123456789", std::nullopt},
                      HexCase{"0x10", std::nullopt}, HexCase{"g", std::nullopt},
                      HexCase{"-1", std::nullopt}, HexCase{"1\t", std::nullopt},
                      HexCase{"\xd9\xa3", std::nullopt})); // an Arabic-Indic three

TEST(RegisterTexts, AddressesBelow0x10000ValuesBelow0x100)
{
    EXPECT_EQ(parseRegisterAddress(u"FFFF"), 0xffff);
    EXPECT_EQ(parseRegisterAddress(u"0000FFFF"), 0xffff) << "length is no limit, the value is";
    EXPECT_FALSE(parseRegisterAddress(u"10000"));
    EXPECT_EQ(parseRegisterValue(u"FF"), 0xff);
    EXPECT_EQ(parseRegisterValue(u"0FF"), 0xff);
    EXPECT_FALSE(parseRegisterValue(u"100"));
    EXPECT_EQ(parseRegisterValue(u""), 0);
}

class ChipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(standIn.loaded()) << dlerror();
        standIn.reset();
    }

    StandIn standIn;
    test::ScriptedPrompt prompt;
    CameraChip chip{prompt, {kStandIn}};
    bool inPreview = true;
    int stills = 0;
    int rechecks = 0;
    ChipSnapshotButton button{
        chip, {[this] { return inPreview; }, [this] { ++stills; }, [this] { ++rechecks; }}};

    void pollWith(unsigned char state)
    {
        standIn.setButton(state);
        button.poll();
    }
};

TEST_F(ChipTest, RegisterMessagesForBadTextsAndAMissingInitialisation)
{
    EXPECT_FALSE(chip.readRegister(QStringLiteral("12345")));
    ASSERT_EQ(prompt.messages.size(), 1U);
    EXPECT_EQ(prompt.messages[0].title, QStringLiteral("Error"));
    EXPECT_EQ(prompt.messages[0].text,
              QStringLiteral("Incorrect register address, its character can only be 0~9, a~f "
                             "(A~F), its length can only <= 4"));
    chip.writeRegister(QStringLiteral("2041"), QStringLiteral("1FF"));
    EXPECT_EQ(prompt.lastText(),
              QStringLiteral("Incorrect register value, its character can only be 0~9, a~f "
                             "(A~F), its length can only <= 2"));

    EXPECT_FALSE(chip.readRegister(QStringLiteral("2058")));
    EXPECT_EQ(prompt.messages.back().title, QString());
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Get ASIC Register fail, not initial?"));
    EXPECT_EQ(chip.status(), QStringLiteral("Get ASIC Register fail, not initial? \r\n"));
    chip.writeRegister(QStringLiteral("2041"), QStringLiteral("1"));
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Set ASIC Register fail, not initial?"));
    EXPECT_EQ(prompt.messages.size(), 4U);
    EXPECT_EQ(standIn.calls(), QString()) << "nothing reached the library";
}

TEST_F(ChipTest, EnablingInitialisesArmsTheButtonRebuildsAndPolls)
{
    button.toggle();
    EXPECT_TRUE(button.isOn());
    EXPECT_TRUE(button.isPolling());
    EXPECT_EQ(standIn.calls(), QStringLiteral("Init\nSet 2041 01\n"));
    EXPECT_EQ(chip.status(), QStringLiteral("Set ASIC Register ok.\r\n"));
    EXPECT_EQ(rechecks, 1);
    EXPECT_TRUE(prompt.messages.empty());

    button.poll();
    EXPECT_TRUE(standIn.calls().endsWith(QStringLiteral("Get 2058\n")));
    EXPECT_EQ(chip.status(), QStringLiteral("Get ASIC Register ok.\r\n"));
}

TEST_F(ChipTest, APressAndItsReleaseGiveOneStill)
{
    button.toggle();
    pollWith(ChipSnapshotButton::kPressed);
    EXPECT_TRUE(button.isArmed());
    EXPECT_EQ(stills, 0);
    pollWith(ChipSnapshotButton::kReleased);
    EXPECT_EQ(stills, 1);
    EXPECT_FALSE(button.isArmed());
    pollWith(ChipSnapshotButton::kReleased);
    pollWith(0);
    EXPECT_EQ(stills, 1);
}

TEST_F(ChipTest, AReleaseWithoutAPressGivesNothing)
{
    button.toggle();
    for (int poll = 0; poll < 3; ++poll)
        pollWith(ChipSnapshotButton::kReleased);
    EXPECT_EQ(stills, 0);
}

TEST_F(ChipTest, HoldingTheButtonGivesOneStillWhenItIsReleased)
{
    button.toggle();
    for (int poll = 0; poll < 6; ++poll)
        pollWith(ChipSnapshotButton::kPressed);
    EXPECT_EQ(stills, 0);
    pollWith(ChipSnapshotButton::kReleased);
    EXPECT_EQ(stills, 1);
}

TEST_F(ChipTest, PressesOutsideThePreviewTakeNoStill)
{
    button.toggle();
    inPreview = false;
    pollWith(ChipSnapshotButton::kPressed);
    pollWith(ChipSnapshotButton::kReleased);
    EXPECT_EQ(stills, 0);
    EXPECT_FALSE(button.isArmed()) << "the press is spent, not kept for later";
    inPreview = true;
    pollWith(ChipSnapshotButton::kReleased);
    EXPECT_EQ(stills, 0);
}

TEST_F(ChipTest, AFailedReadChangesNothing)
{
    button.toggle();
    pollWith(ChipSnapshotButton::kPressed);
    standIn.setReadResult(-5);
    pollWith(ChipSnapshotButton::kReleased);
    EXPECT_EQ(stills, 0);
    EXPECT_TRUE(button.isArmed());
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_TRUE(button.isPolling());
    standIn.setReadResult(0);
    pollWith(ChipSnapshotButton::kReleased);
    EXPECT_EQ(stills, 1);
}

TEST_F(ChipTest, TurningOffUninitialisesAndForgetsAHalfPress)
{
    button.toggle();
    pollWith(ChipSnapshotButton::kPressed);
    button.toggle();
    EXPECT_FALSE(button.isOn());
    EXPECT_FALSE(button.isPolling());
    EXPECT_FALSE(button.isArmed());
    EXPECT_TRUE(standIn.calls().endsWith(QStringLiteral("UnInit\n")));
    EXPECT_EQ(chip.status(), QStringLiteral("Sunplus camera uninitial ok.\r\n"));

    // On again: the old press does not complete with the first release.
    button.toggle();
    pollWith(ChipSnapshotButton::kReleased);
    EXPECT_EQ(stills, 0);

    button.turnOff(); // closing the station
    EXPECT_FALSE(button.isOn());
    EXPECT_FALSE(button.isPolling());
    chip.uninitialise();
    EXPECT_EQ(chip.status(), QStringLiteral("Sunplus camera not initial.\r\n"));
}

TEST_F(ChipTest, ACameraTheLibraryDoesNotFindLeavesTheSwitchOff)
{
    standIn.setInitResult(1);
    button.toggle();
    EXPECT_FALSE(button.isOn());
    EXPECT_FALSE(button.isPolling());
    EXPECT_EQ(chip.status(), QStringLiteral("Sunplus camera is not found.\r\n"));
    EXPECT_EQ(standIn.calls(), QStringLiteral("Init\n"));
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(rechecks, 0);
}

TEST(ChipLibrary, AMissingLibraryIsReportedAndTheSwitchStaysOff)
{
    test::ScriptedPrompt prompt;
    CameraChip chip(prompt, {QStringLiteral("/nonexistent/libSunplusCamera.so")});
    ChipSnapshotButton button(chip, {});
    button.toggle();
    EXPECT_FALSE(button.isOn());
    EXPECT_FALSE(button.isPolling());
    ASSERT_EQ(prompt.messages.size(), 1U);
    EXPECT_EQ(prompt.messages[0].title, QString());
    EXPECT_EQ(prompt.messages[0].text, QStringLiteral("Can't find libSunplusCamera.so!"));
    EXPECT_EQ(chip.status(), QStringLiteral("Can't find libSunplusCamera.so!\r\n"));
    EXPECT_FALSE(chip.isLoaded());
    EXPECT_EQ(CameraChip::defaultLibraryPaths().front(), QStringLiteral("libSunplusCamera.so"));
}

// A window whose camera is of sensor class 4 (widest 3264), started at 640 x 480.
SyntheticCameraOptions classFourCamera()
{
    SyntheticCameraOptions options;
    options.formats = {{640, 480, PixelFormat::Mjpg},
                       {1280, 960, PixelFormat::Mjpg},
                       {3264, 2448, PixelFormat::Mjpg}};
    return options;
}

QString snapshotItemText(CScopeDeskDlg &window)
{
    for (QAction *menu : window.menuBar()->actions())
        for (QAction *item : menu->menu()->actions())
            if (item->data().toInt() == cmd::SnapshotSwitch)
                return item->text();
    return {};
}

TEST(ChipWindow, TheSnapshotItemOfAClassFourCameraDrivesTheChip)
{
    StandIn standIn;
    ASSERT_TRUE(standIn.loaded());
    standIn.reset();
    test::DemoStation station(classFourCamera(), {kStandIn});
    CScopeDeskDlg &window = *station.window;
    ASSERT_TRUE(window.isConnected());
    ASSERT_EQ(window.sensorClass(), 4);
    EXPECT_EQ(snapshotItemText(window), QStringLiteral("Snapshot Enable"));

    const int rechecks = window.recheckCount();
    window.onCommand(cmd::SnapshotSwitch);
    EXPECT_EQ(snapshotItemText(window), QStringLiteral("Snapshot Disable"));
    EXPECT_EQ(window.recheckCount(), rechecks + 1) << "the capture graph is rebuilt";
    EXPECT_TRUE(window.isConnected());

    QSignalSpy saved(&window, &CScopeDeskDlg::stillSaved);
    standIn.setButton(ChipSnapshotButton::kPressed);
    window.chipButton().poll();
    standIn.setButton(ChipSnapshotButton::kReleased);
    window.chipButton().poll();
    ASSERT_TRUE(saved.wait(5000));

    window.onCommand(cmd::SnapshotSwitch);
    EXPECT_EQ(snapshotItemText(window), QStringLiteral("Snapshot Enable"));
    EXPECT_TRUE(standIn.calls().endsWith(QStringLiteral("UnInit\n")));
}

TEST(ChipWindow, WithoutTheLibraryTheItemKeepsSnapshotEnable)
{
    test::DemoStation station(classFourCamera(), {QStringLiteral("/nonexistent/libX.so")});
    CScopeDeskDlg &window = *station.window;
    ASSERT_EQ(window.sensorClass(), 4);
    window.onCommand(cmd::SnapshotSwitch);
    EXPECT_EQ(station.prompt.lastText(), QStringLiteral("Can't find libSunplusCamera.so!"));
    EXPECT_EQ(snapshotItemText(window), QStringLiteral("Snapshot Enable"));
    EXPECT_FALSE(window.chipButton().isPolling());
    // The camera's own button gives nothing either way on class 4.
    station.hub->pressButton();
    EXPECT_FALSE(window.captureState().stillRequested);
}

// Class 4 has one size for both resolution commands in its table; Low takes 2592 x 1944.
TEST(ChipWindow, TheResolutionCommandsOfAClassFourCamera)
{
    SyntheticCameraOptions camera = classFourCamera();
    camera.formats.insert(camera.formats.begin() + 2, {2592, 1944, PixelFormat::Mjpg});
    test::DemoStation station(camera, {QStringLiteral("/nonexistent/libX.so")});
    CScopeDeskDlg &window = *station.window;
    ASSERT_EQ(window.sensorClass(), 4);
    const auto size = [&] {
        const CapConfig &config = window.capture()->capConfig();
        return QSize(config.bmi.width, config.bmi.height);
    };
    window.onCommand(cmd::LowResolution);
    EXPECT_EQ(size(), QSize(2592, 1944));
    window.onCommand(cmd::HighResolution);
    EXPECT_EQ(size(), QSize(3264, 2448));
    EXPECT_TRUE(window.isConnected());
}

} // namespace
