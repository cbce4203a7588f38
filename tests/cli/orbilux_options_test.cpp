// Orbilux's command line read in process: every option in use, the environment under the
// options, and the refusals (unknown options, bad ports, a share without its directory,
// options that do not fit together), each with its message and status 2.
#include "app/orbilux_options.h"
#include "device/device_address.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace quelmar;
using namespace quelmar::viewer;

// "%DIR%" in an argument stands for an existing directory, "%FILE%" for a plain file.
class OrbiluxCommandLine {
public:
    OrbiluxCommandLine()
    {
        QFile file(dir_.filePath(QStringLiteral("plain.txt")));
        file.open(QIODevice::WriteOnly);
    }

    std::variant<OrbiluxOptions, cli::EarlyExit>
    parse(QStringList arguments, const QProcessEnvironment &environment = {}) const
    {
        arguments.replaceInStrings(QStringLiteral("%DIR%"), dir_.path());
        arguments.replaceInStrings(QStringLiteral("%FILE%"), dir_.filePath("plain.txt"));
        arguments.prepend(QStringLiteral("/usr/bin/orbilux"));
        return parseOrbiluxCommandLine(arguments, environment);
    }
    OrbiluxOptions options(const QStringList &arguments,
                           const QProcessEnvironment &environment = {}) const
    {
        const auto parsed = parse(arguments, environment);
        if (const auto *early = std::get_if<cli::EarlyExit>(&parsed)) {
            ADD_FAILURE() << early->text.toStdString();
            return {};
        }
        return std::get<OrbiluxOptions>(parsed);
    }
    QString dir() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

TEST(OrbiluxOptions, NothingGivenOpensTheWindowOnTheDefaultDevice)
{
    const OrbiluxOptions options = OrbiluxCommandLine().options({});
    EXPECT_FALSE(options.ftpServe);
    EXPECT_EQ(options.device.host, QString::fromLatin1(DeviceAddress::kDefaultHost));
    EXPECT_EQ(options.device.webPort, 80);
    EXPECT_EQ(options.device.streamPort, 8899);
    EXPECT_TRUE(options.wifiNetworkName.isEmpty());
    EXPECT_EQ(options.ftpAddress, QHostAddress(QHostAddress::Any));
    EXPECT_FALSE(options.connectWifi);
    EXPECT_FALSE(options.connectUsb);
    EXPECT_FALSE(options.demoCamera);
    EXPECT_FALSE(options.record);
    EXPECT_FALSE(options.exitAfter);
    EXPECT_FALSE(options.sharePort);
}

TEST(OrbiluxOptions, TheDemoCameraRunRecordsFromUsb)
{
    const OrbiluxOptions options = OrbiluxCommandLine().options(
        {"--demo-camera", "--connect-usb", "--record", "--exit-after", "6"});
    EXPECT_TRUE(options.demoCamera);
    EXPECT_TRUE(options.connectUsb);
    EXPECT_FALSE(options.connectWifi);
    EXPECT_TRUE(options.record);
}

TEST(OrbiluxOptions, TheSimulatorRunOfTheMakefileAndTheBenchmarks)
{
    const OrbiluxOptions options = OrbiluxCommandLine().options(
        {"--wifi-host", "127.0.0.1", "--wifi-web-port", "18080", "--wifi-stream-port=18899",
         "--wifi-network-name", "AIRLOUPE01-simulator", "--connect-wifi", "--record",
         "--exit-after", "2.5", "--ftp-address", "127.0.0.1", "--share-port", "2121"});
    EXPECT_FALSE(options.ftpServe);
    EXPECT_EQ(options.device.host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(options.device.webPort, 18080);
    EXPECT_EQ(options.device.streamPort, 18899);
    EXPECT_EQ(options.wifiNetworkName, QStringLiteral("AIRLOUPE01-simulator"));
    EXPECT_TRUE(options.connectWifi);
    EXPECT_TRUE(options.record);
    ASSERT_TRUE(options.exitAfter);
    EXPECT_DOUBLE_EQ(*options.exitAfter, 2.5);
    EXPECT_EQ(options.ftpAddress, QHostAddress(QHostAddress::LocalHost));
    EXPECT_EQ(options.sharePort, quint16(2121));
}

TEST(OrbiluxOptions, EnvironmentFillsInAndOptionsWin)
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("ORBILUX_WIFI_HOST"), QStringLiteral("scope.test"));
    environment.insert(QStringLiteral("ORBILUX_WIFI_WEB_PORT"), QStringLiteral("8080"));
    environment.insert(QStringLiteral("ORBILUX_WIFI_STREAM_PORT"), QStringLiteral("99999"));
    environment.insert(QStringLiteral("ORBILUX_WIFI_NETWORK_NAME"), QStringLiteral("FromEnv"));
    const OrbiluxCommandLine line;

    const OrbiluxOptions fromEnvironment = line.options({}, environment);
    EXPECT_EQ(fromEnvironment.device.host, QStringLiteral("scope.test"));
    EXPECT_EQ(fromEnvironment.device.webPort, 8080);
    EXPECT_EQ(fromEnvironment.device.streamPort, 8899); // an unusable value is ignored
    EXPECT_EQ(fromEnvironment.wifiNetworkName, QStringLiteral("FromEnv"));

    const OrbiluxOptions overridden = line.options(
        {"--wifi-host=127.0.0.1", "--wifi-web-port", "81", "--wifi-network-name", "FromOption"},
        environment);
    EXPECT_EQ(overridden.device.host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(overridden.device.webPort, 81);
    EXPECT_EQ(overridden.wifiNetworkName, QStringLiteral("FromOption"));
}

TEST(OrbiluxOptions, FtpServeSharesTheDirectoryOnThePortAndAddressGiven)
{
    const OrbiluxCommandLine line;
    const OrbiluxOptions given =
        line.options({"--ftp-serve", "%DIR%", "--port", "2200", "--ftp-address", "::1"});
    ASSERT_TRUE(given.ftpServe);
    EXPECT_EQ(given.ftpServe->dir, line.dir());
    EXPECT_EQ(given.ftpServe->port, 2200);
    EXPECT_EQ(given.ftpServe->address, QHostAddress(QHostAddress::LocalHostIPv6));

    const OrbiluxOptions defaults = line.options({"--ftp-serve=%DIR%"});
    ASSERT_TRUE(defaults.ftpServe);
    EXPECT_EQ(defaults.ftpServe->port, kDefaultFtpPort);
    EXPECT_EQ(defaults.ftpServe->address, QHostAddress(QHostAddress::Any));
}

TEST(OrbiluxOptions, QtWindowOptionsPassThrough)
{
    const OrbiluxOptions options = OrbiluxCommandLine().options(
        {"-platform", "offscreen", "-style", "Fusion", "-reverse", "--connect-wifi"});
    EXPECT_TRUE(options.connectWifi);
}

struct Early {
    const char *name;
    QStringList arguments;
    int code;
    const char *text; // contained in what is printed
};

class OrbiluxEarlyExit : public ::testing::TestWithParam<Early> {};

TEST_P(OrbiluxEarlyExit, EndsTheRunWithItsStatusAndText)
{
    const auto parsed = OrbiluxCommandLine().parse(GetParam().arguments);
    const auto *early = std::get_if<cli::EarlyExit>(&parsed);
    ASSERT_NE(early, nullptr);
    EXPECT_EQ(early->code, GetParam().code);
    EXPECT_TRUE(early->text.contains(QString::fromUtf8(GetParam().text)))
        << early->text.toStdString();
    EXPECT_TRUE(early->text.endsWith(u'\n'));
    if (early->code != 0) {
        EXPECT_TRUE(early->text.startsWith(QStringLiteral("orbilux: ")));
        EXPECT_TRUE(early->text.contains(QStringLiteral("Try 'orbilux --help'")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OrbiluxEarlyExit,
    ::testing::Values(
        Early{"Help", {"--help"}, 0, "Usage: orbilux [options]"},
        Early{"ShortHelp", {"-h", "--connect-wifi"}, 0, "--wifi-stream-port <N>"},
        Early{"Version", {"--version"}, 0, "orbilux "},
        Early{"UnknownOption", {"--bogus"}, 2, "Unknown option 'bogus'"},
        Early{"HelpDoesNotHideAnUnknownOption", {"--help", "--bogus"}, 2, "Unknown option"},
        Early{"StrayArgument", {"picture.jpg"}, 2, "unexpected argument \"picture.jpg\""},
        Early{"FlagWithValue", {"--connect-wifi=yes"}, 2, "Unexpected value after"},
        Early{"NoDirectory", {"--ftp-serve"}, 2, "Missing value after '--ftp-serve'"},
        Early{"OptionTakenForDirectory",
              {"--ftp-serve", "--port", "21"},
              2,
              "--ftp-serve is missing its value: \"--port\" is an option."},
        Early{"QtOptionTakenForHost",
              {"--wifi-host", "-platform", "xcb"},
              2,
              "--wifi-host is missing its value"},
        Early{"EmptyDirectory", {"--ftp-serve="}, 2, "--ftp-serve needs the directory"},
        Early{"MissingDirectory", {"--ftp-serve", "%DIR%/gone"}, 2, "does not exist"},
        Early{"FileForDirectory", {"--ftp-serve", "%FILE%"}, 2, "is not a directory"},
        Early{"PortZero",
              {"--ftp-serve", "%DIR%", "--port", "0"},
              2,
              "--port needs a port number from 1 to 65535, not \"0\""},
        Early{"PortTooHigh", {"--ftp-serve=%DIR%", "--port=65536"}, 2, "not \"65536\""},
        Early{"PortNegative", {"--ftp-serve", "%DIR%", "--port", "-1"}, 2, "not \"-1\""},
        Early{"PortNotANumber", {"--ftp-serve", "%DIR%", "--port", "ftp"}, 2, "not \"ftp\""},
        Early{"PortWithoutValue",
              {"--ftp-serve", "%DIR%", "--port"},
              2,
              "Missing value after '--port'"},
        Early{"PortWithoutShare", {"--port", "2121"}, 2, "--port applies to --ftp-serve"},
        Early{"SharePortWithShare",
              {"--ftp-serve", "%DIR%", "--share-port", "2121"},
              2,
              "--share-port does not apply to --ftp-serve"},
        Early{"SharePortZero", {"--share-port", "0"}, 2, "--share-port needs a port number"},
        Early{"BadAddress",
              {"--ftp-serve", "%DIR%", "--ftp-address", "nowhere"},
              2,
              "nowhere is not an IP address"},
        Early{"BadAddressForTheWindow", {"--ftp-address", "300.1.1.1"}, 2, "not an IP address"},
        Early{"WindowOptionWithShare",
              {"--ftp-serve", "%DIR%", "--connect-wifi"},
              2,
              "--connect-wifi does not apply to --ftp-serve"},
        Early{"DemoCameraWithShare",
              {"--ftp-serve", "%DIR%", "--demo-camera"},
              2,
              "--demo-camera does not apply to --ftp-serve"},
        Early{"BothCameras",
              {"--connect-wifi", "--connect-usb"},
              2,
              "--connect-wifi and --connect-usb exclude each other"},
        Early{"RecordWithShare",
              {"--ftp-serve", "%DIR%", "--record"},
              2,
              "--record does not apply to --ftp-serve"},
        Early{"ExitAfterWithShare",
              {"--ftp-serve", "%DIR%", "--exit-after", "1"},
              2,
              "--exit-after does not apply"},
        Early{"WebPortNotANumber",
              {"--wifi-web-port", "http"},
              2,
              "--wifi-web-port needs a port number from 1 to 65535, not \"http\""},
        Early{"StreamPortTooHigh",
              {"--wifi-stream-port=70000"},
              2,
              "--wifi-stream-port needs a port number"},
        Early{"EmptyHost", {"--wifi-host", " "}, 2, "--wifi-host needs a host"},
        Early{"ExitAfterZero", {"--exit-after", "0"}, 2, "--exit-after needs a number"},
        Early{"ExitAfterText", {"--exit-after", "soon"}, 2, "not \"soon\""},
        Early{"ExitAfterNotANumber", {"--exit-after", "nan"}, 2, "not \"nan\""},
        Early{"ExitAfterForever", {"--exit-after", "inf"}, 2, "not \"inf\""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(OrbiluxOptions, HelpListsEveryOptionInUse)
{
    const auto parsed = OrbiluxCommandLine().parse({"--help"});
    const QString help = std::get<cli::EarlyExit>(parsed).text;
    for (const char *option :
         {"--ftp-serve <DIR>", "--port <N>", "--ftp-address <A>", "--wifi-host <HOST>",
          "--wifi-web-port <N>", "--wifi-stream-port <N>", "--wifi-network-name <NAME>",
          "--connect-wifi", "--connect-usb", "--demo-camera", "--record", "--exit-after <SECONDS>",
          "--share-port <N>", "--help", "--version", "ORBILUX_HOME", "ORBILUX_WIFI_NETWORK_NAME"})
        EXPECT_TRUE(help.contains(QString::fromLatin1(option))) << option;
    EXPECT_FALSE(help.contains(QStringLiteral("platformpluginpath"))); // Qt's stay hidden
}

} // namespace
