// A still of the strip opened in the photo window through the main window: the double click,
// the shared scale and pen, the Print button through the library, and the main window's boxes
// afterwards.
#include "base/command_ids.h"
#include "library/media_library.h"
#include "library/picture_show.h"
#include "library/small_picture_wnd.h"
#include "library/thumbnail_lists.h"
#include "main_window_fixture.h"
#include "measure/calibration.h"
#include "measure/sub_picture.h"
#include "measure/text_setting_dlg.h"

#include <image/jpeg_codec.h>

#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

using namespace quelmar::station;

namespace {

using quelmar::test::MainWindowTest;

// A specimen-like still: dark rings on a light ground.
quelmar::Frame specimen(int width, int height)
{
    quelmar::Frame frame(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int dx = x - width / 2;
            const int dy = y - height / 2;
            const int ring = (dx * dx + dy * dy) / 900 % 9;
            std::uint8_t *p = frame.view().row(y) + x * 3;
            p[0] = std::uint8_t(150 + ring * 8);
            p[1] = std::uint8_t(190 + ring * 4);
            p[2] = std::uint8_t(170 + ring * 6);
        }
    return frame;
}

void clickAll(QWidget *canvas, std::initializer_list<QPoint> points)
{
    for (const QPoint &p : points)
        QTest::mouseClick(canvas, Qt::LeftButton, {}, p);
}

// Shapes for every tab of the measurement list and a text; the rectangle is left selected
// and turned by its buttons.
void drawEveryKind(CPictureShow &photo, CSubPicture *canvas)
{
    photo.onCommand(photo::MeasureLine);
    clickAll(canvas, {{40, 60}, {250, 80}, {150, 50}});
    photo.onCommand(photo::MeasureRectangle);
    clickAll(canvas, {{300, 60}, {450, 170}, {455, 175}});
    photo.onCommand(photo::MeasurePolygon);
    clickAll(canvas, {{60, 250}, {200, 230}, {230, 380}});
    QTest::mouseDClick(canvas, Qt::LeftButton, {}, {230, 380});
    clickAll(canvas, {{40, 390}});
    photo.onCommand(photo::MeasureRadiusCircle);
    clickAll(canvas, {{380, 310}, {440, 330}, {450, 360}});
    photo.onCommand(photo::MeasureThreePointAngle);
    clickAll(canvas, {{620, 250}, {520, 300}, {600, 400}, {560, 330}});
    photo.onCommand(photo::Select);
    clickAll(canvas, {{470, 20}});
    photo.onCommand(photo::Text); // the text dialog is answered "stained cells"
    photo.onCommand(photo::Select);
    clickAll(canvas, {{375, 115}});
    for (int i = 0; i < 12; ++i)
        QTest::mouseClick(canvas->adjustButton(Adjust::RotateMore), Qt::LeftButton);
}

TEST_F(MainWindowTest, AStillOfTheStripOpensInThePhotoWindow)
{
    const QString pictures = home.file(QStringLiteral("Quelmar files2/Default/Picture"));
    QDir().mkpath(pictures + QStringLiteral("/tmp"));
    const QString fullSize = pictures + QStringLiteral("/tmp/Still_N0001.jpg");
    ASSERT_TRUE(quelmar::writeJpeg(fullSize, specimen(1280, 960).view()));
    ASSERT_TRUE(
        quelmar::writeJpeg(pictures + QStringLiteral("/Still_N0001.jpg"), specimen(60, 60).view()));
    open();
    window->show();
    CSmallPictureWnd *strip = window->library()->strip();
    ASSERT_EQ(strip->shown().count(), 1);

    bool shown = false;
    prompt.onDialog = [&](QDialog &d) {
        if (auto *text = dynamic_cast<CTextsetting *>(&d)) {
            text->textEdit()->setPlainText(QStringLiteral("stained cells"));
            return int(QDialog::Accepted);
        }
        auto *photo = dynamic_cast<CPictureShow *>(&d);
        if (!photo)
            return int(QDialog::Rejected);
        shown = true;
        EXPECT_EQ(photo->path(), fullSize);
        EXPECT_TRUE(photo->hasCanvas());
        EXPECT_EQ(photo->parentWidget(), window.get());
        // The boxes start from the station's magnification; the photo window types its own.
        EXPECT_EQ(photo->magnificationBox()->text(), QStringLiteral("60"));
        photo->magnificationBox()->setText(QStringLiteral("40"));
        auto *canvas = photo->canvasArea()->findChild<CSubPicture *>();
        EXPECT_NE(canvas, nullptr);
        if (!canvas)
            return int(QDialog::Rejected);
        photo->show();
        drawEveryKind(*photo, canvas);
        EXPECT_EQ(canvas->tools().list().count(), 6);
        EXPECT_NEAR(canvas->tools().list().at(1)->rotation, 12 * 3.1415926 / 180, 1e-5);
        EXPECT_EQ(canvas->tools().list().at(0)->labelLineHeight, 17); // the station's pen
        // No printer in this station: the library's print path says so.
        photo->onCommand(photo::Print);
        EXPECT_EQ(prompt.lastText(), QStringLiteral("No printer found!"));
        return int(QDialog::Rejected);
    };
    QTest::mouseDClick(strip, Qt::LeftButton, {}, thumbnailCell(0, strip->clientSize()).center());
    QTRY_VERIFY(shown);
    // The main window's boxes hold the scale again; the scale chosen in the photo window stays.
    EXPECT_EQ(window->measureScale().magnificationText(), QStringLiteral("60"));
    EXPECT_DOUBLE_EQ(window->measureScale().scale(), 40.0);
}

} // namespace
