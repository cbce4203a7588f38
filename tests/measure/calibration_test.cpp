#include "base/language.h"
#include "measure/calibration.h"
#include "measure/calibration_dlg.h"
#include "measure/geometry.h"
#include "scripted_prompt.h"
#include "temp_home.h"

#include <QLineEdit>
#include <gtest/gtest.h>

using namespace quelmar::station;
using namespace quelmar::test;

namespace {

class CalibrationTest : public ::testing::Test {
protected:
    TempHome home;
    CalibrationFile file{home.file(QStringLiteral("CalibrationIni.ini"))};
    MeasureScale scale{file};
    const double pf = pixelFactor(1, {640, 480}, QStringLiteral("mm"), false);

    QString lineText(double pixels, int decimals = 3)
    {
        return formatValue(toLength(pixels, {pf, scale.scale(), decimals, "mm"}), decimals);
    }
};

TEST(PixelFactor, FollowsClassPhotoSizeUnitAndMode)
{
    EXPECT_DOUBLE_EQ(pixelFactor(1, {640, 480}, "mm", false), 63.829787234 * 0.001);
    EXPECT_DOUBLE_EQ(pixelFactor(3, {1920, 1080}, "cm", false), 57.507987 * 0.0001);
    EXPECT_DOUBLE_EQ(pixelFactor(3, {2592, 1944}, "mm", true), 100.0 * 0.001 / 4.05);
    EXPECT_DOUBLE_EQ(pixelFactor(2, {1280, 960}, "inch", true), 63.829787234 * 0.0000394 * 0.5);
    EXPECT_DOUBLE_EQ(pixelFactor(4, {1000, 1000}, "mil", true), 66.666667 * 0.0394);
    EXPECT_DOUBLE_EQ(pixelFactor(0, {640, 480}, "inch", true), 0.001); // no camera: no unit
    // Without a camera, full-size mode still works at the photo's resolution: a feature
    // 405 pixels long there is 100 pixels in the fit-mode working picture, and both agree.
    EXPECT_DOUBLE_EQ(pixelFactor(0, {2592, 1944}, "mm", true), 0.001 / 4.05);
    EXPECT_EQ(formatValue(405 * pixelFactor(0, {2592, 1944}, "mm", true), 3),
              formatValue(100 * pixelFactor(0, {2592, 1944}, "mm", false), 3));
}

TEST_F(CalibrationTest, AnUncalibratedMagnificationIsTheScale)
{
    scale.setMagnificationText(QStringLiteral("60"));
    EXPECT_TRUE(scale.scaleText().isEmpty());
    ASSERT_EQ(scale.choose(), 60.0);
    EXPECT_EQ(lineText(100), QStringLiteral("1.064"));
}

TEST_F(CalibrationTest, CalibratingAgainstOneMillimetreStoresOneDecimal)
{
    scale.setMagnificationText(QStringLiteral("60"));
    ASSERT_TRUE(scale.choose(true));
    const MeasureScale::Calibrated done = scale.finishCalibration(200, pf, 1.0, 3);
    EXPECT_EQ(done.lineValue, QStringLiteral("1.000"));
    EXPECT_TRUE(done.stored);
    // 200 x 0.063829787234 x 10 / 1 = 127.659...; stored and used with one decimal.
    EXPECT_EQ(scale.scaleText(), QStringLiteral("127.7"));
    EXPECT_EQ(scale.scale(), 127.7);
    EXPECT_EQ(readAll(home.file(QStringLiteral("CalibrationIni.ini"))),
              QByteArray("[60]\n60=127.7\n"));
    // The next 200-pixel line is measured with the one-decimal scale: 0.99968...
    EXPECT_EQ(lineText(200), QStringLiteral("1.000"));
    EXPECT_EQ(lineText(200, 5), QStringLiteral("0.99968"));

    // Typing the magnification again brings the scale back; another one clears the box.
    scale.setMagnificationText(QStringLiteral("100"));
    EXPECT_TRUE(scale.scaleText().isEmpty());
    EXPECT_EQ(scale.choose(), 100.0);
    scale.setMagnificationText(QStringLiteral("60"));
    EXPECT_EQ(scale.scaleText(), QStringLiteral("127.7"));
}

TEST_F(CalibrationTest, ACalibrationThatGivesNoUsableScaleChangesNothing)
{
    scale.setMagnificationText(QStringLiteral("60"));
    scale.choose(true);
    // A line of no length, and a distance so small that the scale overflows.
    const MeasureScale::Calibrated empty = scale.finishCalibration(0, pf, 1.0, 3);
    EXPECT_EQ(empty.lineValue, QStringLiteral("0.000"));
    EXPECT_TRUE(empty.refused);
    EXPECT_EQ(scale.finishCalibration(200, pf, 1e-307, 3).lineValue, QStringLiteral("2.128"));
    // 1 pixel against 100 mm gives 0.0064, which would be stored as "0.0" and silently read
    // back as no scale.
    const MeasureScale::Calibrated tiny = scale.finishCalibration(1, pf, 100.0, 3);
    EXPECT_TRUE(tiny.refused);
    EXPECT_FALSE(tiny.stored);
    EXPECT_EQ(scale.scale(), 60.0);
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("CalibrationIni.ini"))));
    // The smallest scale that survives its one-decimal text is taken, and no value it
    // produces overflows.
    EXPECT_FALSE(isUsableScale(0.0499));
    EXPECT_TRUE(isUsableScale(0.05));
    EXPECT_FALSE(isUsableScale(1e-160)); // an area would print "inf"
    EXPECT_TRUE(std::isfinite(toArea(3264.0 * 2448, {7.88, 0.05, 3, "mil"})));
    // A stored scale whose square is no number reads as no scale.
    writeAll(home.file(QStringLiteral("CalibrationIni.ini")), "[60]\n60=1e-200\n");
    scale.setMagnificationText(QStringLiteral("60"));
    EXPECT_EQ(scale.choose(), 60.0);
}

TEST_F(CalibrationTest, BlanksAroundTheMagnificationFindTheSameEntry)
{
    for (const char *typed : {" 60", "60 ", " 60 "}) {
        scale.setMagnificationText(QString::fromLatin1(typed));
        ASSERT_TRUE(scale.choose(true));
        EXPECT_TRUE(scale.finishCalibration(200, pf, 1.0, 3).stored);
    }
    EXPECT_EQ(readAll(home.file(QStringLiteral("CalibrationIni.ini"))),
              QByteArray("[60]\n60=127.7\n"));
    scale.setMagnificationText(QStringLiteral("\t60 "));
    EXPECT_EQ(scale.scaleText(), QStringLiteral("127.7"));
    EXPECT_FALSE(file.store(QStringLiteral("  "), QStringLiteral("1.0")));
}

TEST_F(CalibrationTest, CancelKeepsTheScaleAndMeasuresTheLine)
{
    scale.setMagnificationText(QStringLiteral("60"));
    scale.choose(true);
    const MeasureScale::Calibrated cancelled = scale.finishCalibration(100, pf, std::nullopt, 3);
    EXPECT_EQ(cancelled.lineValue, QStringLiteral("1.064"));
    EXPECT_FALSE(cancelled.stored);
    EXPECT_EQ(scale.scale(), 60.0);
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("CalibrationIni.ini"))));
}

TEST(ScaleChoice, ScaleBoxThenMagnificationElseNothing)
{
    TempHome home;
    CalibrationFile file(home.file(QStringLiteral("c.ini")));
    MeasureScale scale(file);
    EXPECT_FALSE(scale.choose());
    scale.setMagnificationText(QStringLiteral("abc"));
    EXPECT_FALSE(scale.choose());
    scale.setMagnificationText(QStringLiteral("-60")); // no negative lengths
    EXPECT_FALSE(scale.choose());
    scale.setMagnificationText(QStringLiteral("60x"));
    scale.setScaleText(QStringLiteral("171.3"));
    EXPECT_EQ(scale.choose(), 171.3);
    EXPECT_EQ(scale.choose(true), 60.0); // calibration starts from the magnification
    scale.setScaleText(QStringLiteral("1e999"));
    EXPECT_EQ(scale.choose(), 60.0);
}

TEST(ActualDistance, MillimetresInTheUnitOrRefused)
{
    EXPECT_EQ(actualDistanceInUnit("25.4", "inch"), 1.0);
    EXPECT_DOUBLE_EQ(*actualDistanceInUnit("1", "mil"), 5000.0 / 127);
    EXPECT_DOUBLE_EQ(*actualDistanceInUnit("3", "cm"), 0.3);
    EXPECT_EQ(actualDistanceInUnit("2.5mm", "mm"), 2.5);
    for (const char *bad : {"", "0", "abc", "-1", "nan", "inf"})
        EXPECT_FALSE(actualDistanceInUnit(QString::fromLatin1(bad), "mm")) << bad;
}

TEST(CalibrationDialog, AsksAgainUntilANumberIsTyped)
{
    ScriptedPrompt prompt;
    const Language language;
    CCabrationDlg dialog(language, prompt, QStringLiteral("T"), QStringLiteral("inch"));
    dialog.distanceEdit()->setText(QStringLiteral("0"));
    dialog.accept();
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Please enter digital!"));
    EXPECT_NE(dialog.result(), int(QDialog::Accepted));
    dialog.distanceEdit()->setText(QStringLiteral("25.4"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_EQ(dialog.actualDistance(), 1.0);
}

TEST(CalibrationFileLookup, KeysAreTheExactMagnificationText)
{
    TempHome home;
    const QString path = home.file(QStringLiteral("c.ini"));
    writeAll(path, "// comment 60=1\n[60]\n60=171.3\n[160]\n160=9.0\n");
    CalibrationFile file(path);
    EXPECT_EQ(file.lookup(QStringLiteral("60")), QStringLiteral("171.3"));
    EXPECT_EQ(file.lookup(QStringLiteral("160")), QStringLiteral("9.0"));
    EXPECT_TRUE(file.lookup(QStringLiteral("60.0")).isEmpty());
    ASSERT_TRUE(file.store(QStringLiteral("60"), QStringLiteral("180.0")));
    EXPECT_EQ(file.lookup(QStringLiteral("60")), QStringLiteral("180.0"));
    EXPECT_EQ(file.lookup(QStringLiteral("160")), QStringLiteral("9.0"));
}

} // namespace
