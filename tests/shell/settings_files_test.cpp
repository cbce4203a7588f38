#include "base/cap_config.h"
#include "base/ini_file.h"
#include "base/log_font.h"
#include "temp_home.h"

#include <QtEndian>
#include <gtest/gtest.h>

using namespace quelmar::station;
using quelmar::test::readAll;
using quelmar::test::TempHome;
using quelmar::test::writeAll;

namespace {

LogFont boldArial()
{
    LogFont f;
    f.height = -16;
    f.weight = 700;
    f.italic = 1;
    f.charSet = 1;
    f.setFace(QStringLiteral("Arial"));
    return f;
}

TEST(FontFile, IsWrittenAsTheStructureEncodingWithChecksum)
{
    TempHome home;
    const QString path = home.file(QStringLiteral("Measurefont.ini"));
    ASSERT_TRUE(writeLogFontFile(path, boldArial()));
    const QByteArray expectedHex = "F0FFFFFF" + QByteArray(24, '0') + "BC020000" +
                                   "0100000100000000" + "41007200690061006C00" +
                                   QByteArray(108, '0') + "96";
    ASSERT_EQ(expectedHex.size(), 186);
    EXPECT_EQ(readAll(path), "[FONT]\r\nLOGFONT=" + expectedHex + "\r\n");
    EXPECT_EQ(readLogFontFile(path), boldArial());
}

TEST(FontFile, RewritingKeepsOtherLinesAndReplacesTheValue)
{
    TempHome home;
    const QString path = home.file(QStringLiteral("logfont.ini"));
    writeAll(path, "[Other]\r\nx=1\r\n[font]\r\nlogfont=00\r\n");
    ASSERT_TRUE(writeLogFontFile(path, boldArial()));
    const QByteArray text = readAll(path);
    EXPECT_TRUE(text.startsWith("[Other]\r\nx=1\r\n[font]\r\nLOGFONT=F0FFFFFF"));
    EXPECT_EQ(text.count("LOGFONT"), 1);
    EXPECT_EQ(readLogFontFile(path), boldArial());
}

TEST(FontFile, DamageLeavesTheFontZero)
{
    TempHome home;
    const QString path = home.file(QStringLiteral("logfont.ini"));
    ASSERT_TRUE(writeLogFontFile(path, boldArial()));
    const QByteArray good = readAll(path);

    QByteArray wrongSum = good;
    wrongSum[wrongSum.indexOf("\r\n", 10) - 1] =
        wrongSum[wrongSum.indexOf("\r\n", 10) - 1] == '6' ? '7' : '6';
    QByteArray shorter = good;
    shorter.remove(20, 2);
    QByteArray notHex = good;
    notHex[20] = 'G';
    for (const QByteArray &bad : {wrongSum, shorter, notHex, QByteArray("[FONT]\r\n")}) {
        writeAll(path, bad);
        EXPECT_TRUE(readLogFontFile(path).isZero()) << bad.constData();
    }
    EXPECT_TRUE(readLogFontFile(home.file(QStringLiteral("missing.ini"))).isZero());
}

TEST(CapConfigFile, HasTheEightyEightByteLayout)
{
    TempHome home;
    const QString path = home.file(QStringLiteral("CapConfig.dat"));
    CapConfig c;
    c.target = {0, 0, 2592, 1944};
    c.avgTimePerFrame = 5000000;
    c.bitRate = 80621568;
    c.bmi.width = 2592;
    c.bmi.height = 1944;
    c.bmi.bitCount = 16;
    c.bmi.compression = 0x32595559; // "YUY2"
    c.bmi.sizeImage = 2592 * 1944 * 2;
    ASSERT_TRUE(writeCapConfig(path, c));

    const QByteArray bytes = readAll(path);
    ASSERT_EQ(bytes.size(), 88);
    const auto u32 = [&](int off) { return qFromLittleEndian<quint32>(bytes.constData() + off); };
    EXPECT_EQ(u32(24), 2592u);
    EXPECT_EQ(u32(32), 80621568u);
    EXPECT_EQ(qFromLittleEndian<qint64>(bytes.constData() + 40), 5000000);
    EXPECT_EQ(u32(48), 40u);
    EXPECT_EQ(u32(52), 2592u);
    EXPECT_EQ(u32(56), 1944u);
    EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 60), 1);
    EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 62), 16);
    EXPECT_EQ(bytes.mid(64, 4), "YUY2");
    EXPECT_EQ(readCapConfig(path), c);

    writeAll(path, bytes.left(87));
    EXPECT_FALSE(readCapConfig(path).has_value());
    EXPECT_FALSE(readCapConfig(home.file(QStringLiteral("none.dat"))).has_value());
}

class IniFileTest : public ::testing::Test {
protected:
    TempHome home;
    QString path = home.file(QStringLiteral("CalibrationIni.ini"));
    CIniFile ini;

    void load(const QByteArray &text)
    {
        writeAll(path, text);
        ASSERT_TRUE(ini.Load(path));
    }
};

TEST_F(IniFileTest, SectionIgnoresCaseAndBlanksKeyMatchesAsSubstring)
{
    load("  [Scale]  \r\n//60=comment\r\n160=1.5\r\n60=2.5\r\n[Other]\r\n60=9\r\n");
    EXPECT_EQ(ini.Read(QStringLiteral("scale"), QStringLiteral("60")), QStringLiteral("1.5"));
    EXPECT_EQ(ini.Find(QStringLiteral("SCALE"), QStringLiteral("60")), 3);
    EXPECT_FALSE(ini.Read(QStringLiteral("Scale"), QStringLiteral("Sixty")).has_value());
    EXPECT_FALSE(ini.Read(QStringLiteral("Scale"), QStringLiteral("comment")).has_value());
    EXPECT_FALSE(ini.Read(QStringLiteral("Missing"), QStringLiteral("60")).has_value());
    // The key is matched with exact case.
    load("[Units]\r\nMM=1\r\n");
    EXPECT_FALSE(ini.Read(QStringLiteral("Units"), QStringLiteral("mm")).has_value());
}

TEST_F(IniFileTest, BracketEndsTheSection)
{
    load("[A]\r\nx=1\r\n[B]\r\nkey=2\r\n");
    EXPECT_FALSE(ini.Read(QStringLiteral("A"), QStringLiteral("key")).has_value());
    EXPECT_EQ(ini.Read(QStringLiteral("B"), QStringLiteral("key")), QStringLiteral("2"));
}

TEST_F(IniFileTest, WriteReplacesAddsAndAppendsThenWritesTheWholeFile)
{
    load("[A]\nx=1\n\n[B]\ny=2\n");
    ASSERT_TRUE(ini.Write(QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("7")));
    ASSERT_TRUE(ini.Write(QStringLiteral("A"), QStringLiteral("z"), QStringLiteral("3")));
    ASSERT_TRUE(ini.Write(QStringLiteral("C"), QStringLiteral("w"), QStringLiteral("4")));
    EXPECT_EQ(readAll(path), "[A]\nx=7\nz=3\n\n[B]\ny=2\n[C]\nw=4\n");

    load("");
    ASSERT_TRUE(ini.Write(QStringLiteral("Scale"), QStringLiteral("60"), QStringLiteral("1.0")));
    EXPECT_EQ(readAll(path), "[Scale]\n60=1.0\n");

    CIniFile unloaded;
    EXPECT_FALSE(unloaded.Load(home.file(QStringLiteral("absent.ini"))));
    EXPECT_FALSE(unloaded.Write(QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("1")));
}

} // namespace
