#include "base/language.h"
#include "base/registry_store.h"
#include "base/station_paths.h"
#include "base/station_settings.h"
#include "measure/drawing_styles.h"
#include "measure/pen_dlg.h"
#include "measure/text_setting_dlg.h"
#include "scripted_prompt.h"
#include "temp_home.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

using namespace quelmar::station;
using namespace quelmar::test;

namespace {

TEST(LabelLineHeight, FollowsTheSizeTable)
{
    const std::pair<int, int> table[] = {{-5, 12}, {0, 12},  {1, 13},  {13, 13}, {14, 15},
                                         {16, 17}, {17, 19}, {22, 23}, {48, 35}, {49, 37},
                                         {64, 37}, {65, 72}, {96, 72}, {97, 12}};
    for (const auto &[size, height] : table)
        EXPECT_EQ(labelLineHeight(size), height) << size;
}

TEST(FontStructure, MapsToQFontAndBackUnchanged)
{
    LogFont f = defaultTextFont();
    EXPECT_EQ(f.face(), QStringLiteral("Arial"));
    EXPECT_EQ(f.height, 14);
    f.height = -16;
    f.weight = 700;
    f.italic = 1;
    f.strikeOut = 1;
    const QFont q = toQFont(f);
    EXPECT_EQ(q.pixelSize(), 16);
    EXPECT_EQ(q.weight(), QFont::Bold);
    EXPECT_TRUE(q.italic());
    EXPECT_FALSE(q.underline());
    EXPECT_EQ(fromQFont(q, f), f);
    // A positive height is the cell: the characters are smaller, and the height comes back.
    const LogFont cell = defaultTextFont();
    const QFont cellFont = toQFont(cell);
    EXPECT_LE(cellFont.pixelSize(), 14);
    EXPECT_EQ(fromQFont(cellFont, cell), cell);
    // A font written by the station reads back byte for byte.
    TempHome home;
    ASSERT_TRUE(writeLogFontFile(home.file(QStringLiteral("f.ini")), fromQFont(q, f)));
    EXPECT_EQ(readLogFontFile(home.file(QStringLiteral("f.ini"))), f);
    EXPECT_EQ(fromQColor(toQColor(0x123456)), 0x123456u);
}

class PenDialogTest : public ::testing::Test {
protected:
    TempHome home;
    ScriptedPrompt prompt;
    Language language;
    RegistryStore store{StationPaths::settingsStoreFile()};
    SettingsIo io{store};
    StationSettings settings;
    LogFont labelFont;

    CPenDlg::Context context()
    {
        return {&settings, &io, &labelFont, StationPaths::measureFontFile(), &prompt, &language};
    }
    StationSettings stored()
    {
        StationSettings s;
        RegistryStore again(StationPaths::settingsStoreFile());
        SettingsIo(again).readAll(s);
        return s;
    }
};

TEST_F(PenDialogTest, ATypedWidthBeyondTheSpinIsTakenAndShownSolid)
{
    settings.lineType = 1;
    {
        CPenDlg dialog(context());
        dialog.widthEdit()->setText(QStringLiteral("5"));
        Q_EMIT dialog.widthEdit()->textEdited(QStringLiteral("5"));
        dialog.accept();
    }
    EXPECT_EQ(settings.lineWidth, 5u);
    EXPECT_EQ(stored().lineWidth, 5u);
    EXPECT_EQ(stored().lineType, 1u);
    CPenDlg reopened(context());
    EXPECT_EQ(reopened.styleGroup()->checkedId(), 0); // dashes are drawn solid at width 5
    EXPECT_EQ(shapePen(5, 1, kRed).style(), Qt::SolidLine);
    EXPECT_EQ(shapePen(1, 1, kRed).style(), Qt::DashLine);
}

TEST_F(PenDialogTest, CancelStoresNeitherWidthNorStyle)
{
    const StationSettings before = stored();
    CPenDlg dialog(context());
    dialog.widthEdit()->setText(QStringLiteral("3"));
    Q_EMIT dialog.widthEdit()->textEdited(QStringLiteral("3"));
    dialog.styleGroup()->button(2)->click();
    dialog.reject();
    EXPECT_EQ(settings.lineWidth, 3u); // in use until the program ends
    EXPECT_EQ(settings.lineType, 2u);
    EXPECT_EQ(stored().lineWidth, before.lineWidth);
    EXPECT_EQ(stored().lineType, before.lineType);
}

TEST_F(PenDialogTest, ColourUnitsAndFormatAreStoredAtOnceEvenOnCancel)
{
    prompt.colorAnswers = {QColor(0, 0, 255)};
    prompt.fontAnswers = {FontChoice{toQFont(defaultTextFont()), QColor(0, 128, 0)}};
    CPenDlg dialog(context());
    dialog.chooseColour();
    dialog.chooseFont();
    dialog.unitGroup()->button(3)->click();     // inch
    dialog.decimalsGroup()->button(3)->click(); // 0.00001
    dialog.formatGroup()->button(0)->click();   // bmp
    dialog.reject();
    const StationSettings s = stored();
    EXPECT_EQ(s.lineColor, 0xFF0000u);
    EXPECT_EQ(s.measureTxtColor, 0x008000u);
    EXPECT_EQ(s.unit, QStringLiteral("inch"));
    EXPECT_EQ(s.decimal, 5u);
    EXPECT_EQ(s.imageFormat, 1u);
    EXPECT_EQ(readLogFontFile(StationPaths::measureFontFile()).face(), QStringLiteral("Arial"));

    // The label font's height becomes the size that sets the label line height.
    labelFont.height = -16;
    takeLabelFontSize(settings, io, labelFont);
    EXPECT_EQ(stored().fontSize, 16u);
    EXPECT_EQ(labelLineHeight(int(settings.fontSize)), 17);
}

TEST_F(PenDialogTest, TextDialogStoresItsFontAndColourAtOnce)
{
    LogFont textFont = readTextFont(StationPaths::logFontFile());
    EXPECT_EQ(textFont, defaultTextFont());
    prompt.fontAnswers = {FontChoice{toQFont(defaultTextFont()), QColor(255, 255, 0)}};
    CTextsetting dialog(
        {&settings, &io, &textFont, StationPaths::logFontFile(), &prompt, &language});
    dialog.textEdit()->setPlainText(QStringLiteral("nucleus"));
    dialog.chooseFont();
    EXPECT_EQ(dialog.text(), QStringLiteral("nucleus"));
    EXPECT_EQ(stored().fontColor, 0x00FFFFu);
    EXPECT_EQ(readTextFont(StationPaths::logFontFile()).face(), QStringLiteral("Arial"));
}

} // namespace
