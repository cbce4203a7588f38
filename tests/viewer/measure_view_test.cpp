// The measurement view as a widget: the one y flip at the mouse and the one when painting,
// which buttons and moves count, the text field, stills with their marks at announced sizes
// (read back by ImageMagick), the controller's measuring actions with the pitch panel, and the
// whole window: a calibration through the sheet, tools, overlays and a still with the marks.
#include "viewer_test_support.h"
#include "wifiscope_sim.h"

#include "app/gridlines_panel.h"
#include "app/j_video_view.h"
#include "app/measure_controls.h"
#include "app/new_calibration_controller.h"
#include "app/orbilux_toolbar.h"
#include "app/orbilux_window.h"
#include "app/settings_tab.h"
#include "app/view_controller.h"

#include "temp_home.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using namespace quelmar::viewer;

void mouse(QWidget &widget, QEvent::Type type, QPointF at, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button)
                                  : type == QEvent::MouseMove      ? Qt::MouseButtons(button)
                                                                   : Qt::NoButton;
    QMouseEvent event(type, at, widget.mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, modifiers);
    QCoreApplication::sendEvent(&widget, &event);
}

void click(QWidget &widget, QPointF at, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           Qt::MouseButton button = Qt::LeftButton)
{
    mouse(widget, QEvent::MouseButtonPress, at, button, modifiers);
    mouse(widget, QEvent::MouseButtonRelease, at, button, modifiers);
}

void hover(QWidget &widget, QPointF at)
{
    mouse(widget, QEvent::MouseMove, at, Qt::NoButton);
}

QImage greyPicture()
{
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(QColor(60, 60, 60));
    return picture;
}

// An 800 x 640 view with a picture, using the line tool at magnification 1.
class ViewTest : public ::testing::Test {
protected:
    ViewTest()
    {
        view_.resize(800, 640);
        view_.setImage(greyPicture());
        view_.setMeasureMode(kLineTool, 10, 16, 3, Qt::red, Qt::red, QString(),
                             QStringLiteral("mm"), 1, 1, false);
    }
    JVideoView view_;
};

TEST_F(ViewTest, MouseInputIsFlippedOnceToYUp)
{
    click(view_, {100, 40});
    hover(view_, {300, 40});
    EXPECT_EQ(view_.model().shapeInProgress().points[1], QPointF(300, 600));
    click(view_, {300, 40});
    click(view_, {200, 100});
    ASSERT_EQ(view_.model().OriginalGraphArray().size(), 1u);
    const Shape &line = view_.model().OriginalGraphArray().front();
    EXPECT_EQ(line.points[0], QPointF(100, 600));
    EXPECT_EQ(line.points[1], QPointF(300, 600));
    EXPECT_EQ(line.points[2], QPointF(200, 540));
}

TEST_F(ViewTest, OnlyTheLeftButtonClicksAndOnlyAFreeMouseMoves)
{
    click(view_, {100, 100}, Qt::NoModifier, Qt::RightButton);
    click(view_, {100, 100}, Qt::NoModifier, Qt::MiddleButton);
    EXPECT_FALSE(view_.model().inProgress());
    click(view_, {100, 100});
    mouse(view_, QEvent::MouseMove, {400, 400}, Qt::LeftButton); // a drag
    EXPECT_EQ(view_.model().shapeInProgress().points[1], QPointF(100, 540));
    hover(view_, {400, 400});
    EXPECT_EQ(view_.model().shapeInProgress().points[1], QPointF(400, 240));
}

TEST_F(ViewTest, CtrlClickEndsAPolyline)
{
    view_.setMeasureMode(kContinuousLineTool, 1, 16, 3, Qt::red, Qt::red, QString(),
                         QStringLiteral("mm"), 1, 1, false);
    click(view_, {10, 10});
    click(view_, {20, 10});
    click(view_, {20, 30}, Qt::ControlModifier);
    click(view_, {50, 50});
    ASSERT_EQ(view_.model().OriginalGraphArray().size(), 1u);
    EXPECT_EQ(view_.model().OriginalGraphArray().front().m_cline_auvariable, 3);
    EXPECT_EQ(view_.model().OriginalGraphArray().front().measure_data[0], 30);
}

TEST_F(ViewTest, PaintingFlipsBackOnce)
{
    click(view_, {100, 40});
    click(view_, {700, 40});
    click(view_, {400, 300});
    const QImage shown = view_.grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(400, 40)), QColor(Qt::red));
    EXPECT_EQ(QColor(shown.pixel(400, 600)), QColor(60, 60, 60));
}

TEST_F(ViewTest, TextFieldSitsNearTheTopAndItsTextGoesToTheShape)
{
    view_.setMeasureMode(kTextTool, 1, 16, 3, Qt::red, Qt::red, QString(), QStringLiteral("mm"), 1,
                         1, false);
    QLineEdit *field = view_.textField();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->geometry(), QRect(100, 68, 600, 32));
    EXPECT_EQ(field->placeholderText(), QStringLiteral("Please enter text"));
    EXPECT_FALSE(field->isHidden());
    field->setText(QStringLiteral("nucleus"));
    click(view_, {300, 200});
    EXPECT_TRUE(field->isHidden());
    EXPECT_TRUE(field->text().isEmpty());
    click(view_, {10, 10});
    ASSERT_EQ(view_.model().OriginalGraphArray().size(), 1u);
    EXPECT_EQ(view_.model().OriginalGraphArray().front().textValue, QStringLiteral("nucleus"));
    EXPECT_EQ(view_.model().OriginalGraphArray().front().points[0], QPointF(300, 440));
    EXPECT_EQ(view_.model().measure_mode(), kNoTool);
}

// A decoded still: ImageMagick turns the JPEG into a binary PPM.
struct Still {
    int width = 0;
    int height = 0;
    QByteArray rgb;

    QColor at(int x, int y) const
    {
        const auto *p = reinterpret_cast<const uchar *>(rgb.constData()) + (y * width + x) * 3;
        return QColor(p[0], p[1], p[2]);
    }
};

Still decodeWithImageMagick(const QString &path)
{
    int exit = -1;
    const QByteArray ppm =
        quelmar::test::runTool(QStringLiteral("convert"), {path, QStringLiteral("ppm:-")}, &exit);
    Still still;
    // "P6\n<w> <h>\n255\n" then the pixels.
    const QList<QByteArray> header = ppm.left(64).split('\n');
    if (exit != 0 || header.size() < 4 || header[0] != "P6")
        return still;
    const QList<QByteArray> size = header[1].split(' ');
    still.width = size.value(0).toInt();
    still.height = size.value(1).toInt();
    const qsizetype offset = header[0].size() + header[1].size() + header[2].size() + 3;
    still.rgb = ppm.mid(offset);
    return still;
}

bool reddish(const QColor &c)
{
    return c.red() > 170 && c.green() < 90 && c.blue() < 90;
}

bool bluish(const QColor &c)
{
    return c.blue() > 170 && c.red() < 90 && c.green() < 90;
}

class SavedStill : public ViewTest, public ::testing::WithParamInterface<QSize> {};

TEST_P(SavedStill, MarksLandWhereThePictureWasStretchedWithUnscaledPens)
{
    const QSize size = GetParam();
    // A horizontal line at y 100 (y up) and a vertical one at x 400, 10 points wide.
    for (const auto &[from, to] : {std::pair{QPointF(100, 540), QPointF(700, 540)},
                                   std::pair{QPointF(400, 440), QPointF(400, 140)}}) {
        click(view_, from);
        click(view_, to);
        click(view_, {790, 630});
    }
    view_.showGridView(kGridOverlay, 6, 16, 3, Qt::blue, Qt::blue, QStringLiteral("mm"), 200, 1, 1);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("still.jpg"));
    QSignalSpy reports(&view_, &JVideoView::PassValue);
    ASSERT_TRUE(view_.saveimg(path, size.width(), size.height()));
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports[0][1].toInt(), kReportStillSaved);
    EXPECT_EQ(reports[0][0].value<UserEntity>().Param1, path);

    const Still still = decodeWithImageMagick(path);
    ASSERT_EQ(still.width, size.width());
    ASSERT_EQ(still.height, size.height());
    const double sx = size.width() / 800.0;
    const double sy = size.height() / 640.0;
    const auto target = [&](double x, double yUp) {
        return QPoint(int(x * sx), int(size.height() - yUp * sy));
    };
    const QPoint onLine = target(250, 100);
    EXPECT_TRUE(reddish(still.at(onLine.x(), onLine.y())));
    EXPECT_FALSE(reddish(still.at(onLine.x(), int(100 * sy)))); // where an unflipped line lies
    const QPoint onVertical = target(400, 350);
    EXPECT_TRUE(reddish(still.at(onVertical.x(), onVertical.y())));
    // The pen keeps its 10 pixels across whatever the scale.
    int thickness = 0;
    for (int y = onLine.y() - 20; y <= onLine.y() + 20; ++y)
        thickness += reddish(still.at(onLine.x(), y));
    EXPECT_GE(thickness, 9);
    EXPECT_LE(thickness, 11);
    // The grid line at x 200 and the one at y 200 (y up), away from the other marks.
    const QPoint onGrid = target(200, 500);
    EXPECT_TRUE(bluish(still.at(onGrid.x(), onGrid.y())));
    const QPoint onRow = target(600, 200);
    EXPECT_TRUE(bluish(still.at(onRow.x(), onRow.y())));
    // The picture fills the rest.
    const QColor background = still.at(target(100, 300).x(), target(100, 300).y());
    EXPECT_NEAR(background.red(), 60, 4);
}

INSTANTIATE_TEST_SUITE_P(AnnouncedSizes, SavedStill,
                         ::testing::Values(QSize(1280, 720), QSize(640, 480)),
                         [](const auto &info) {
                             return std::to_string(info.param.width()) + "x" +
                                    std::to_string(info.param.height());
                         });

TEST_F(ViewTest, NoAnnouncedSizeOrNoWritablePlaceSavesAndReportsNothing)
{
    QTemporaryDir dir;
    QSignalSpy reports(&view_, &JVideoView::PassValue);
    EXPECT_FALSE(view_.saveimg(dir.filePath(QStringLiteral("a.jpg")), 0, 0));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("a.jpg"))));
    QString error;
    EXPECT_FALSE(view_.saveimg(dir.filePath(QStringLiteral("missing/b.jpg")), 640, 480, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(reports.size(), 0);
}

// The controller's measuring actions, with a stream running or not, and a stored calibration.
class Actions : public ::testing::Test {
protected:
    Actions() : controls_(&prompt_, [this] { return streaming_; })
    {
        const QString file = dir_.filePath(QStringLiteral("calibration.plist"));
        quelmar::test::writeAll(file, "<plist version=\"1.0\"><dict>"
                                      "<key>x200</key><string>200.000-um-0.125</string>"
                                      "<key>x40</key><string>40.000-mm-0.500</string>"
                                      "</dict></plist>");
        controls_.loadCalibrations(file);
    }
    void choose(const char *name)
    {
        const int entry = int(controls_.calibrationEntries().indexOf(QString::fromUtf8(name)));
        controls_.selectCalibration(MeasureControls::kFirstStoredEntry + entry,
                                    QString::fromUtf8(name));
    }
    static GridRequest grid(const QSignalSpy &spy, qsizetype i)
    {
        return spy.at(i).at(0).value<GridRequest>();
    }

    QTemporaryDir dir_;
    quelmar::test::ScriptedViewerPrompt prompt_;
    bool streaming_ = true;
    MeasureControls controls_;
};

TEST_F(Actions, WithoutAStreamNothingHappens)
{
    streaming_ = false;
    QSignalSpy modes(&controls_, &MeasureControls::measureModeRequested);
    QSignalSpy grids(&controls_, &MeasureControls::gridViewRequested);
    QSignalSpy panel(&controls_, &MeasureControls::overlayRequested);
    controls_.toolAction(kLineTool);
    controls_.overlayAction(kGridOverlay);
    controls_.overlayAction(kCrosshairOverlay);
    controls_.deleteAction(0);
    EXPECT_TRUE(prompt_.alerts.isEmpty());
    EXPECT_EQ(modes.count() + grids.count() + panel.count(), 0);
}

TEST_F(Actions, ToolsAndPitchOverlaysNeedACalibrationTheCrosshairDoesNot)
{
    QSignalSpy grids(&controls_, &MeasureControls::gridViewRequested);
    controls_.toolAction(kLineTool);
    for (const int kind : {kGridOverlay, kCircleGridOverlay, kScaleOverlay})
        controls_.overlayAction(kind);
    EXPECT_EQ(prompt_.alerts, QStringList(4, MeasureControls::kCalibrateFirst));
    EXPECT_FALSE(controls_.gridPanelShown());
    EXPECT_EQ(grids.count(), 0);
    controls_.overlayAction(kCrosshairOverlay);
    controls_.overlayAction(kCrosshairOverlay);
    ASSERT_EQ(grids.count(), 2);
    EXPECT_EQ(grid(grids, 0).kind, kCrosshairOverlay);
    EXPECT_EQ(grid(grids, 1).kind, kNoOverlay);
}

TEST_F(Actions, AToolGetsTheStyleAndTheCalibration)
{
    QSignalSpy modes(&controls_, &MeasureControls::measureModeRequested);
    QSignalSpy status(&controls_, &MeasureControls::statusTextRequested);
    choose("x200");
    controls_.setFontSize(22);
    controls_.setLineColor(Qt::green);
    controls_.toolAction(MeasureControls::modeOfSegment(1));
    ASSERT_EQ(modes.count(), 2); // the calibration with no tool, then the polyline
    const auto request = modes.at(1).at(0).value<MeasureRequest>();
    EXPECT_EQ(request.mode, kContinuousLineTool);
    EXPECT_EQ(request.style.measure_font_size, 22);
    EXPECT_EQ(request.style.measure_line_color, QColor(Qt::green));
    EXPECT_EQ(request.unit, QStringLiteral("um"));
    EXPECT_FLOAT_EQ(request.length, 0.125f);
    EXPECT_FLOAT_EQ(request.magnification, 200);
    EXPECT_FALSE(request.calibration);
    ASSERT_EQ(status.count(), 1);
    EXPECT_EQ(status.at(0).at(0).toString(), MeasureControls::kCtrlClickHint);
    const std::vector<int> modesOfSegments = {1, 2, 3, 4, 5, 6, 8, 9, 10, 11};
    for (int segment = 0; segment < 10; ++segment)
        EXPECT_EQ(MeasureControls::modeOfSegment(segment), modesOfSegments[std::size_t(segment)]);
    EXPECT_EQ(MeasureControls::modeOfSegment(10), kNoTool);
}

TEST_F(Actions, PitchPanelAsksForThePitchAndSwitchesOverlaysOnAndOff)
{
    QSignalSpy asked(&controls_, &MeasureControls::overlayRequested);
    QSignalSpy closed(&controls_, &MeasureControls::gridPanelClosed);
    QSignalSpy grids(&controls_, &MeasureControls::gridViewRequested);
    choose("x40");
    controls_.overlayAction(kGridOverlay);
    EXPECT_TRUE(controls_.gridPanelShown());
    controls_.gridPanelOk(QString());
    EXPECT_EQ(prompt_.alerts, QStringList{MeasureControls::kIllegalValue});
    EXPECT_TRUE(controls_.gridPanelShown());
    controls_.gridPanelOk(QStringLiteral("2.5mm"));
    EXPECT_FALSE(controls_.gridPanelShown());
    ASSERT_EQ(grids.count(), 1);
    GridRequest shown = grid(grids, 0);
    EXPECT_EQ(shown.kind, kGridOverlay);
    EXPECT_EQ(shown.unit, QStringLiteral("mm"));
    EXPECT_FLOAT_EQ(shown.pitchLength, 2.5f);
    EXPECT_FLOAT_EQ(shown.magnification, 40);
    EXPECT_FLOAT_EQ(shown.unitLength, 0.5f);
    EXPECT_EQ(shown.style.measure_line_width, 1);

    controls_.overlayAction(kScaleOverlay); // an overlay is on: off, without the panel
    EXPECT_EQ(grid(grids, 1).kind, kNoOverlay);
    EXPECT_FALSE(controls_.gridPanelShown());
    choose("x200");
    controls_.overlayAction(kScaleOverlay);
    controls_.gridPanelOk(QStringLiteral("-5"));
    shown = grid(grids, 2);
    EXPECT_EQ(shown.kind, kScaleOverlay);
    EXPECT_EQ(shown.unit, QStringLiteral("mm")); // the scale whatever the calibration's unit
    EXPECT_FLOAT_EQ(shown.pitchLength, -5);

    // A cancelled panel leaves no overlay on: the next press asks again.
    controls_.overlayAction(kCircleGridOverlay);
    controls_.overlayAction(kCircleGridOverlay);
    controls_.gridPanelCancel();
    EXPECT_EQ(controls_.overlay(), kNoOverlay);
    controls_.overlayAction(kCircleGridOverlay);
    EXPECT_TRUE(controls_.gridPanelShown());
    EXPECT_EQ(asked.count(), 4);
    EXPECT_EQ(closed.count(), 3);
    EXPECT_EQ(grids.count(), 4);
}

TEST_F(Actions, NumbersAreReadFromTheStartOfTheText)
{
    EXPECT_EQ(MeasureControls::leadingDecimal(QStringLiteral("2.5mm")), 2.5f);
    EXPECT_EQ(MeasureControls::leadingDecimal(QStringLiteral(" .5")), 0.5f);
    EXPECT_EQ(MeasureControls::leadingDecimal(QStringLiteral("+3")), 3.0f);
    EXPECT_EQ(MeasureControls::leadingDecimal(QStringLiteral("-5")), -5.0f);
    EXPECT_EQ(MeasureControls::leadingDecimal(QStringLiteral("1e2")), 100.0f);
    EXPECT_EQ(MeasureControls::leadingDecimal(QStringLiteral("abc")), 0.0f);
    EXPECT_EQ(MeasureControls::leadingDecimal(QStringLiteral("inf")), 0.0f);
    EXPECT_EQ(MeasureControls::leadingDecimal(QStringLiteral("1,5")), 1.0f);
}

// The window: the toolbar reaches the view, a calibration run through the sheet is stored by
// the controller, and the toolbar's still carries the marks at the announced size.
class WindowTest : public ::testing::Test {
protected:
    WindowTest()
    {
        QDir().mkpath(home_.workspace());
        quelmar::test::writeAll(home_.workspace(QStringLiteral("calibration.plist")),
                                "<plist version=\"1.0\"><dict/></plist>");
        window_ = std::make_unique<OrbiluxWindow>(
            ViewerServices{&prompt_, &network_, quelmar::test::closedAddress()});
        window_->controller().handleWifiPicture(greyPicture());
    }
    QAbstractButton &segment(int control, int index)
    {
        return window_->toolbar().segment(control, index);
    }

    quelmar::test::ViewerHome home_;
    quelmar::test::ScriptedViewerPrompt prompt_;
    FixedWifiNetwork network_;
    std::unique_ptr<OrbiluxWindow> window_;
};

TEST_F(WindowTest, CalibrateThroughTheSheetThenMeasureAndSave)
{
    JVideoView &view = window_->videoView();
    ASSERT_EQ(view.size(), QSize(800, 600));
    MeasureControls &measure = window_->controller().measure();
    // Wide pens, so the marks keep their colour through the JPEG's colour subsampling.
    window_->settingsTab().widthSlider().setValue(6);
    EXPECT_EQ(measure.style().measure_line_width, 6);
    segment(OrbiluxToolbar::kCalibration, 0).click();
    NewCalibrationController *sheet = window_->calibrationSheet();
    ASSERT_NE(sheet, nullptr);
    sheet->CalibrationName().setText(QStringLiteral("x40"));
    sheet->CalibrationMag().setText(QStringLiteral("40"));
    sheet->CalibrationLen().setText(QStringLiteral("2"));
    sheet->ok();
    EXPECT_TRUE(view.model().bCalibration());
    click(view, {0, 320});
    click(view, {100, 320});
    click(view, {50, 200});
    EXPECT_FALSE(view.model().bCalibration());
    // Stored by the controller, read back by Python, and chosen in the pop-up.
    int exit = -1;
    const QByteArray stored = quelmar::test::runTool(
        QStringLiteral("python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import plistlib,sys;print(plistlib.load(open(sys.argv[1],'rb'))['x40'])"),
         home_.workspace(QStringLiteral("calibration.plist"))},
        &exit);
    EXPECT_EQ(stored.trimmed(), QByteArray("40.000-mm-0.800"));
    EXPECT_FLOAT_EQ(measure.measureLength(), 0.8f);
    EXPECT_EQ(window_->toolbar().calibrationPopUp().currentText(), QStringLiteral("x40"));

    segment(OrbiluxToolbar::kTools, 0).click();
    EXPECT_EQ(view.model().measure_mode(), kLineTool);
    EXPECT_FLOAT_EQ(view.model().units().measure_unit_length, 0.8f);
    segment(OrbiluxToolbar::kEdit, 0).click(); // undo the calibration line
    EXPECT_TRUE(view.model().OriginalGraphArray().empty());
    segment(OrbiluxToolbar::kEdit, 2).click();
    EXPECT_EQ(view.model().OriginalGraphArray().size(), 1u);

    GridlinesPanel &panel = window_->gridlinesPanel();
    segment(OrbiluxToolbar::kOverlays, 0).click();
    EXPECT_FALSE(panel.isHidden());
    panel.GridlinesField().setText(QStringLiteral("1"));
    Q_EMIT panel.GridlinesField().returnPressed();
    EXPECT_TRUE(panel.isHidden());
    EXPECT_EQ(view.overlay().bJGridAvailable(), kGridOverlay);
    EXPECT_EQ(view.overlay().PitchPixes(), 50); // 40 x 1 / 0.8

    segment(OrbiluxToolbar::kCapture, 0).click();
    const QStringList stills =
        QDir(home_.workspace(QStringLiteral("default/Image"))).entryList({"*.jpg"});
    ASSERT_EQ(stills.size(), 1);
    EXPECT_EQ(window_->controller().gallery().photos().rowCount(), 1);
    const QString path = home_.workspace(QStringLiteral("default/Image/")) + stills.front();
    const Still still = decodeWithImageMagick(path);
    ASSERT_EQ(still.width, 640);
    ASSERT_EQ(still.height, 480);
    // View points scaled to the still: the calibration line, a vertical grid line (every 50
    // points) and the picture between the marks.
    const auto at = [&](double x, double y) { return still.at(int(x * 0.8), int(y * 0.8)); };
    EXPECT_TRUE(reddish(at(75, 320)));
    EXPECT_TRUE(reddish(at(300, 175)));
    EXPECT_NEAR(at(125, 225).red(), 60, 4);

    // Asked again, the panel offers the last pitch selected: what is typed replaces it.
    segment(OrbiluxToolbar::kOverlays, 0).click(); // the grid off
    segment(OrbiluxToolbar::kOverlays, 0).click(); // and asked for again
    ASSERT_FALSE(panel.isHidden());
    EXPECT_EQ(panel.GridlinesField().selectedText(), QStringLiteral("1"));
}

} // namespace
