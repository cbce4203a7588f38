#include "base/registry_store.h"
#include "base/station_paths.h"
#include "base/station_settings.h"
#include "temp_home.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace quelmar::station;
using quelmar::test::TempHome;

namespace {

struct Stored {
    const char *key;
    const char *name;
    std::uint32_t value;
};

TEST(SettingsStore, FirstStartWritesEveryDefaultButTheImageFormat)
{
    TempHome home;
    RegistryStore store(StationPaths::settingsStoreFile());
    SettingsIo io(store);
    ASSERT_TRUE(io.createDefaults());

    const Stored dwords[] = {
        {"font", "fontcolor", 255},       {"font", "LineColor", 255},
        {"font", "MeasureTxtColor", 255}, {"font", "fontsize", 16},
        {"font", "Linewidth", 2},         {"font", "Linetype", 0},
        {"LanguageID", "LanID", 0},       {"LanguageID", "SubLanIDD", 0},
        {"LanguageID", "SWITCH", 0},      {"Units", "decimal", 3},
    };
    for (const Stored &s : dwords) {
        const QString key = QStringLiteral("SOFTWARE\\kelvarEx\\") + QLatin1String(s.key);
        EXPECT_EQ(store.readDword(key, QLatin1String(s.name)), s.value) << s.name;
    }
    EXPECT_EQ(store.readString(keys::units, QStringLiteral("unit")), QStringLiteral("mm"));
    EXPECT_FALSE(store.readDword(keys::language, QStringLiteral("ImageFormat")).has_value());

    StationSettings s;
    io.readAll(s);
    EXPECT_FALSE(s.stillsAsBmp()) << "without ImageFormat, stills are JPEG";
    EXPECT_EQ(s.lineWidth, 2u);

    // A second start writes nothing, even over changed values.
    store.writeDword(keys::font, QStringLiteral("fontsize"), 30);
    EXPECT_FALSE(io.createDefaults());
    EXPECT_EQ(store.readDword(keys::font, QStringLiteral("fontsize")), 30u);
}

TEST(SettingsStore, ExistingKeyKeepsBuiltInValuesForMissingOnes)
{
    TempHome home;
    RegistryStore store(StationPaths::settingsStoreFile());
    store.writeDword(keys::font, QStringLiteral("LineColor"), 0x00FF00);
    SettingsIo io(store);
    EXPECT_FALSE(io.createDefaults());

    StationSettings s;
    io.readAll(s);
    EXPECT_EQ(s.measureTxtColor, 19u);
    EXPECT_EQ(s.lineColor, 0x00FF00u);
    EXPECT_EQ(s.lineWidth, 1u);
    EXPECT_EQ(s.imageFormat, 2u);
}

TEST(SettingsStore, ValueOfTheOtherTypeIsIgnored)
{
    TempHome home;
    RegistryStore store(StationPaths::settingsStoreFile());
    store.writeString(keys::font, QStringLiteral("fontsize"), QStringLiteral("20"));
    store.writeDword(keys::units, QStringLiteral("unit"), 5);
    StationSettings s;
    SettingsIo(store).readAll(s);
    EXPECT_EQ(s.fontSize, 16u);
    EXPECT_EQ(s.unit, QStringLiteral("mm"));
}

TEST(SettingsStore, WritersGroupTheirValuesAndRoundTrip)
{
    TempHome home;
    RegistryStore store(StationPaths::settingsStoreFile());
    SettingsIo io(store);
    StationSettings w;
    w.lanId = 25;
    w.subLanId = 0;
    w.unit = QStringLiteral("inch");
    w.decimal = 5;
    w.lineWidth = 4;
    w.lineType = 3;
    io.writeLanguage(w);
    io.writeUnits(w);
    io.writeLine(w);
    io.writeImageFormat(StationSettings{.imageFormat = 1});

    StationSettings r;
    io.readAll(r);
    EXPECT_EQ(r.lanId, 25);
    EXPECT_EQ(r.unit, QStringLiteral("inch"));
    EXPECT_EQ(r.decimal, 5u);
    EXPECT_EQ(r.lineWidth, 4u);
    EXPECT_EQ(r.lineType, 3u);
    EXPECT_TRUE(r.stillsAsBmp());
}

TEST(SettingsStore, DamagedFileReadsAsMissingValuesAndIsReplacedWhole)
{
    TempHome home;
    const QString path = StationPaths::settingsStoreFile();
    for (const QByteArray &junk :
         {QByteArray("\x00\xff\x13garbage[[[", 14),
          QByteArray("[SOFTWARE\\kelvarEx\\font]\n\"LineColor\"=dword:zz\n"),
          QByteArray("[SOFTWARE\\kelvarEx\\font]\n\"LineColor\"=\"unterminated\n")}) {
        ASSERT_TRUE(quelmar::test::writeAll(path, junk));
        RegistryStore store(path);
        StationSettings s;
        SettingsIo(store).readAll(s);
        EXPECT_EQ(s.lineColor, 255u);
        EXPECT_TRUE(store.writeDword(keys::font, QStringLiteral("Linetype"), 2));
        EXPECT_EQ(store.readDword(keys::font, QStringLiteral("Linetype")), 2u);
    }
    // Atomic replacement leaves no temporary files behind.
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files),
              QStringList{QStringLiteral("settings.reg")});
}

} // namespace
