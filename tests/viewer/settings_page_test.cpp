// The settings page, the counter answer and the request targets, cut the device's way.
#include "device/device_http.h"
#include "device/settings_page.h"
#include "device/wifi_network.h"

#include <gtest/gtest.h>

namespace {

using namespace quelmar::viewer;

const QString kPage = QStringLiteral(
    "<script>\r\n\tvar cameraList = \"1,MJPG,640,480#3,MJPG,1280,720\" ;\r\n\r\n\t"
    "var cameraWidth=\"1280\";\r\n\tvar cameraHeight=\"720\";\r\n\t"
    "var ctrlList = [{\"n\":\"B\", \"id\":\"11\", \"t\":\"1\", \"min\":\"-64\", \"max\":\"64\", "
    "\"s\":\"1\", \"def\":\"0\", \"cur\":\"5\"}, {\"n\":\"C\", \"id\":\"12\", \"t\":\"1\", "
    "\"min\":\"0\", \"max\":\"95\", \"s\":\"1\", \"def\":\"32\", \"cur\":\"40\"}, "
    "{\"id\":\"13\"}, {\"n\":\"H\", \"id\":\"14\"}, {\"id\":\"99\"}, {\"n\":\"G\", \"id\":\"16\", "
    "\"t\":\"1\", \"min\":\"72\", \"max\":\"500\", \"s\":\"1\", \"def\":\"100\", \"cur\":\"120\"}, "
    "{\"id\":\"97\"}, {\"id\":\"98\"}, {\"n\":\"S\", \"id\":\"19\", \"t\":\"1\", \"min\":\"0\", "
    "\"max\":\"6\", \"s\":\"1\", \"def\":\"3\", \"cur\":\"4\"}];\r\n\t"
    "var video_idx_save = \"1\";\r\n\tvar video_frame_save = \"15\";\r\n\t"
    "var only_stream = \"0\";\r\n</script>");

TEST(WifiSettingsPage, ReadsSizeIndexRateAndResolutionList)
{
    const WifiPageValues values = WifiSettingsPage::parse(kPage);
    EXPECT_EQ(values.width, 1280);
    EXPECT_EQ(values.height, 720);
    EXPECT_EQ(values.resolutionIndex, 1);
    EXPECT_EQ(values.framesPerSecond, 15);
    EXPECT_EQ(values.resolutions,
              QStringList({QStringLiteral("1,MJPG,640,480"), QStringLiteral("3,MJPG,1280,720")}));
}

TEST(WifiSettingsPage, ReadsTheSixControlsFromTheirEntries)
{
    const CameraControls controls = WifiSettingsPage::parseControls(kPage);
    EXPECT_EQ(controls.brightness, (CameraPropertyInfo{11, -64, 64, 0, 5}));
    EXPECT_EQ(controls.contrast, (CameraPropertyInfo{12, 0, 95, 32, 40}));
    EXPECT_EQ(controls.saturation, (CameraPropertyInfo{})); // entry without field 1: all 0
    EXPECT_EQ(controls.hue, (CameraPropertyInfo{14, 0, 0, 0, 0}));
    EXPECT_EQ(controls.gamma, (CameraPropertyInfo{16, 72, 500, 100, 120}));
    EXPECT_EQ(controls.sharpness, (CameraPropertyInfo{19, 0, 6, 3, 4}));
}

TEST(WifiSettingsPage, UnreadablePageGivesZerosAndEmptyLists)
{
    for (const QString &page :
         {QString(), QStringLiteral("<html>404</html>"), QStringLiteral("] var cameraWidth= [")}) {
        const WifiPageValues values = WifiSettingsPage::parse(page);
        EXPECT_EQ(values.width, 0);
        EXPECT_EQ(values.height, 0);
        EXPECT_EQ(values.resolutionIndex, 0);
        EXPECT_EQ(values.framesPerSecond, 0);
        EXPECT_TRUE(values.resolutions.isEmpty());
        EXPECT_EQ(WifiSettingsPage::parseControls(page).gamma, CameraPropertyInfo{});
    }
}

TEST(WifiSettingsPage, UnusableResolutionEntriesAreLeftOutAndFoundByNumber)
{
    QString page = kPage;
    page.replace(QStringLiteral("1,MJPG,640,480#3,MJPG,1280,720"),
                 QStringLiteral("0,MJPG,320,240#2,MJPG,-5,600#3,MJPG,1280,720#4,x,800,0#"
                                "5,MJPG,1920,1080"));
    const WifiPageValues values = WifiSettingsPage::parse(page);
    EXPECT_EQ(values.resolutions,
              QStringList({QStringLiteral("3,MJPG,1280,720"), QStringLiteral("5,MJPG,1920,1080")}));
    EXPECT_EQ(WifiSettingsPage::entryPosition(values.resolutions, 4), 1);
    EXPECT_EQ(WifiSettingsPage::entryPosition(values.resolutions, 0), -1);
    EXPECT_EQ(WifiSettingsPage::largestSize(values.resolutions), QSize(1920, 1080));
    EXPECT_FALSE(WifiSettingsPage::largestSize({}).isValid());
}

TEST(WifiSettingsPage, APageIsCompleteOnceEveryValueHasCome)
{
    const QByteArray page = kPage.toUtf8();
    EXPECT_TRUE(WifiSettingsPage::isComplete(page));
    EXPECT_FALSE(WifiSettingsPage::isComplete(page.left(page.indexOf("var only_stream"))));
    EXPECT_FALSE(WifiSettingsPage::isComplete(page.left(page.indexOf("];"))));
    EXPECT_FALSE(WifiSettingsPage::isComplete("<html>404</html>"));
}

TEST(WifiSettingsPage, ResolutionEntryGivesIndexAndSize)
{
    const ResolutionChoice choice =
        WifiSettingsPage::parseResolutionEntry(QStringLiteral("3,MJPG,1280,720"));
    EXPECT_EQ(choice.index, 2);
    EXPECT_EQ(choice.width, 1280);
    EXPECT_EQ(choice.height, 720);
    EXPECT_EQ(WifiSettingsPage::parseResolutionEntry(QStringLiteral("junk")).width, 0);
    // Numbers past the int range saturate and name no entry rather than wrapping.
    for (const char *entry : {"-3000000000,MJPG,640,480", "-2147483648,MJPG,640,480",
                              "99999999999999999999,MJPG,640,480"}) {
        SCOPED_TRACE(entry);
        const ResolutionChoice huge =
            WifiSettingsPage::parseResolutionEntry(QString::fromLatin1(entry));
        EXPECT_EQ(huge.isValid(), entry[0] != '-');
    }
    const ResolutionChoice wide =
        WifiSettingsPage::parseResolutionEntry(QStringLiteral("1,MJPG,-3000000000,99999999999"));
    EXPECT_FALSE(wide.isValid());
    EXPECT_EQ(wide.height, 2147483647);
}

struct Lenient {
    const char *text;
    int integer;
    double fraction;
};

class LenientNumbers : public ::testing::TestWithParam<Lenient> {};

TEST_P(LenientNumbers, ReadAsFarAsDigitsGo)
{
    const QString text = QString::fromLatin1(GetParam().text);
    EXPECT_EQ(WifiSettingsPage::lenientInt(text), GetParam().integer);
    EXPECT_DOUBLE_EQ(WifiSettingsPage::lenientDouble(text), GetParam().fraction);
}

INSTANTIATE_TEST_SUITE_P(Texts, LenientNumbers,
                         ::testing::Values(Lenient{"1280", 1280, 1280}, Lenient{"  42\"", 42, 42},
                                           Lenient{"-64", -64, -64}, Lenient{"12.5x", 12, 12.5},
                                           Lenient{"", 0, 0}, Lenient{"abc", 0, 0},
                                           Lenient{"7\r", 7, 7},
                                           Lenient{"-3000000000", -2147483647 - 1, -3e9},
                                           Lenient{"99999999999", 2147483647, 99999999999.0}));

TEST(DeviceHttp, CounterAnswerDropsLineFeedsAndIsCutAt40Bytes)
{
    EXPECT_EQ(DeviceHttp::counterValue("7\n"), 7);
    EXPECT_EQ(DeviceHttp::counterValue("\n8\n"), 8);
    EXPECT_EQ(DeviceHttp::counterValue(""), 0);
    EXPECT_EQ(DeviceHttp::counterValue(QByteArray(39, ' ') + "12"), 1);
}

TEST(DeviceHttp, TargetsCarryDecimalNumbers)
{
    EXPECT_EQ(DeviceHttp::applyTarget(2, 15),
              "/apply.cgi?submit_button=media&change_action=&action=Apply&refresh_ddns=1&"
              "video_port=8899&video_idx=2&video_frame=15&only_stream=0&auth_need=0");
    EXPECT_EQ(DeviceHttp::commandTarget(9963776, -5),
              "/?action=command&dest=0&plugin=0&id=9963776&group=01&value=-5");
}

struct NetworkName {
    std::optional<QString> name;
    bool isMicroscope;
};

class NetworkNames : public ::testing::TestWithParam<NetworkName> {};

TEST(NetworkNamesOfSeveralDevices, AnyOneCounts)
{
    EXPECT_TRUE(onMicroscopeNetwork(FixedWifiNetwork(
        QStringList{QStringLiteral("HomeNet"), QStringLiteral("AIRLOUPE01-lab")})));
    EXPECT_FALSE(onMicroscopeNetwork(FixedWifiNetwork(QStringList{QStringLiteral("HomeNet")})));
    EXPECT_FALSE(onMicroscopeNetwork(FixedWifiNetwork(QStringList{})));
}

TEST_P(NetworkNames, MicroscopeWordAnywhereWithItsCase)
{
    const FixedWifiNetwork network(GetParam().name);
    EXPECT_EQ(onMicroscopeNetwork(network), GetParam().isMicroscope);
}

INSTANTIATE_TEST_SUITE_P(Names, NetworkNames,
                         ::testing::Values(NetworkName{QStringLiteral("AIRLOUPE01"), true},
                                           NetworkName{QStringLiteral("xAIRLOUPE01y"), true},
                                           NetworkName{QStringLiteral("airloupe01"), false},
                                           NetworkName{QStringLiteral("AIRLOUPE0"), false},
                                           NetworkName{QString(), false},
                                           NetworkName{std::nullopt, false}));

} // namespace
