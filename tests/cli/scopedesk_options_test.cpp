// ScopeDesk's command line read in process: its two options, Qt's window options passing
// through, and the refusals with status 2.
#include "shell/scopedesk_options.h"

#include <gtest/gtest.h>

namespace {

using namespace quelmar;
using namespace quelmar::station;

std::variant<ScopeDeskOptions, cli::EarlyExit> parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("scopedesk"));
    return parseScopeDeskCommandLine(arguments);
}

struct Accepted {
    const char *name;
    QStringList arguments;
    bool demoCamera;
    bool exitWhenShown;
};

class ScopeDeskAccepts : public ::testing::TestWithParam<Accepted> {};

TEST_P(ScopeDeskAccepts, ReadsTheOptions)
{
    const auto parsed = parse(GetParam().arguments);
    const auto *options = std::get_if<ScopeDeskOptions>(&parsed);
    ASSERT_NE(options, nullptr) << std::get<cli::EarlyExit>(parsed).text.toStdString();
    EXPECT_EQ(options->demoCamera, GetParam().demoCamera);
    EXPECT_EQ(options->exitWhenShown, GetParam().exitWhenShown);
    EXPECT_TRUE(options->demoCameraSizes.empty());
    EXPECT_EQ(options->demoButtonSeconds, 0);
}

TEST(ScopeDeskOptions, TheDemoCameraTakesSizesAndAButtonPeriod)
{
    const auto parsed = parse(
        {"--demo-camera", "--demo-camera-sizes", "1280x1024, 640x480", "--demo-button-every=10"});
    const auto *options = std::get_if<ScopeDeskOptions>(&parsed);
    ASSERT_NE(options, nullptr) << std::get<cli::EarlyExit>(parsed).text.toStdString();
    EXPECT_EQ(options->demoCameraSizes, (std::vector<QSize>{{1280, 1024}, {640, 480}}));
    EXPECT_EQ(options->demoButtonSeconds, 10);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScopeDeskAccepts,
    ::testing::Values(Accepted{"Nothing", {}, false, false},
                      Accepted{"DemoCamera", {"--demo-camera"}, true, false},
                      Accepted{"StartupMeasurement", {"--exit-when-shown"}, false, true},
                      Accepted{"Both", {"--exit-when-shown", "--demo-camera"}, true, true},
                      Accepted{"QtWindowOptions",
                               {"-platform", "offscreen", "--demo-camera", "-stylesheet=a.qss"},
                               true,
                               false}),
    [](const auto &info) { return std::string(info.param.name); });

struct Early {
    const char *name;
    QStringList arguments;
    int code;
    const char *text;
};

class ScopeDeskEarlyExit : public ::testing::TestWithParam<Early> {};

TEST_P(ScopeDeskEarlyExit, EndsTheRunWithItsStatusAndText)
{
    const auto parsed = parse(GetParam().arguments);
    const auto *early = std::get_if<cli::EarlyExit>(&parsed);
    ASSERT_NE(early, nullptr);
    EXPECT_EQ(early->code, GetParam().code);
    EXPECT_TRUE(early->text.contains(QString::fromUtf8(GetParam().text)))
        << early->text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScopeDeskEarlyExit,
    ::testing::Values(
        Early{"Help", {"--help"}, 0, "--demo-camera"},
        Early{"QuestionMarkHelp", {"-?"}, 0, "--exit-when-shown"},
        Early{"Version", {"-v"}, 0, "scopedesk "},
        Early{"UnknownOption", {"--demo"}, 2, "scopedesk: Unknown option 'demo'."},
        Early{"ShortOptionsAreNotBundled", {"-dc"}, 2, "Unknown option 'dc'"},
        Early{"FlagWithValue", {"--demo-camera=1"}, 2, "Unexpected value after"},
        Early{"StrayArgument", {"/dev/video0"}, 2, "unexpected argument \"/dev/video0\""},
        Early{"SizesWithoutDemo", {"--demo-camera-sizes", "640x480"}, 2, "needs --demo-camera"},
        Early{"ButtonWithoutDemo", {"--demo-button-every", "5"}, 2, "needs --demo-camera"},
        Early{"SizeNotASize",
              {"--demo-camera", "--demo-camera-sizes", "1280x1024,big"},
              2,
              "sizes such as 1280x1024,640x480, not \"1280x1024,big\""},
        Early{"SizeTooSmall", {"--demo-camera", "--demo-camera-sizes", "8x8"}, 2, "not \"8x8\""},
        Early{"ButtonZero",
              {"--demo-camera", "--demo-button-every", "0"},
              2,
              "seconds from 1 to 3600, not \"0\""}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
