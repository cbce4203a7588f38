// The measurement view as a widget: the one y flip at the mouse and the one when painting,
// which buttons and moves count, the text field, stills with their marks at announced sizes
// (read back by ImageMagick), and the controller's measuring actions and controls.
#include "wifiscope_sim.h"

#include "app/calibration_sheet.h"
#include "app/j_video_view.h"
#include "app/measure_actions.h"
#include "app/measure_controls.h"
#include "app/orbilux_window.h"
#include "app/view_controller.h"
#include "app/viewer_prompt.h"

#include "temp_home.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace quelmar::viewer;

class RecordingPrompt final : public ViewerPrompt {
public:
    void alert(const QString &message) override { alerts << message; }
    std::optional<int> askNumber(const QString &, int, int, int) override { return std::nullopt; }
    QStringList alerts;
};

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

// The controller's measuring actions over a view, with a stream running or not.
class ActionsTest : public ::testing::Test {
protected:
    ActionsTest()
    {
        qputenv("ORBILUX_HOME", home_.path().toLocal8Bit());
        view_ = std::make_unique<JVideoView>();
        view_->resize(800, 640);
        actions_ = std::make_unique<MeasureActions>(*view_, prompt_, [this] { return streaming_; });
    }
    ~ActionsTest() override { qunsetenv("ORBILUX_HOME"); }

    QTemporaryDir home_;
    RecordingPrompt prompt_;
    bool streaming_ = true;
    std::unique_ptr<JVideoView> view_;
    std::unique_ptr<MeasureActions> actions_;
};

TEST_F(ActionsTest, WithoutAStreamNothingHappens)
{
    streaming_ = false;
    actions_->measureAction(kLineTool);
    actions_->gridAction();
    actions_->crosshairAction();
    actions_->setLineWidth(7);
    EXPECT_TRUE(prompt_.alerts.isEmpty());
    EXPECT_EQ(view_->model().measure_mode(), kNoTool);
    EXPECT_EQ(view_->overlay().bJGridAvailable(), kNoOverlay);
    EXPECT_EQ(actions_->style().measure_line_width, 1);
}

TEST_F(ActionsTest, ToolsAndPitchOverlaysNeedACalibrationTheCrosshairDoesNot)
{
    actions_->measureAction(kLineTool);
    actions_->gridAction();
    actions_->cgridAction();
    actions_->scaleAction();
    EXPECT_EQ(prompt_.alerts, QStringList(4, MeasureActions::kCalibrateFirst));
    EXPECT_EQ(view_->model().measure_mode(), kNoTool);
    actions_->crosshairAction();
    EXPECT_EQ(view_->overlay().bJGridAvailable(), kCrosshairOverlay);
    actions_->crosshairAction();
    EXPECT_EQ(view_->overlay().bJGridAvailable(), kNoOverlay);
}

TEST_F(ActionsTest, AToolGetsTheStyleAndTheCalibration)
{
    QSignalSpy status(actions_.get(), &MeasureActions::statusTextChanged);
    actions_->useCalibration(QStringLiteral("x200"), QStringLiteral("um"), 0.125f, 200);
    actions_->setFontSize(22);
    actions_->setLineColor(Qt::green);
    actions_->measureAction(MeasureActions::modeOfSegment(1));
    EXPECT_EQ(view_->model().measure_mode(), kContinuousLineTool);
    EXPECT_EQ(view_->model().style().measure_font_size, 22);
    EXPECT_EQ(view_->model().style().measure_line_color, QColor(Qt::green));
    EXPECT_EQ(view_->model().units(), (MeasureUnits{QStringLiteral("um"), 0.125f, 200}));
    ASSERT_EQ(status.size(), 1);
    EXPECT_EQ(status[0][0].toString(), MeasureActions::kCtrlClickHint);
    click(*view_, {10, 10});
    click(*view_, {20, 10}, Qt::ControlModifier);
    click(*view_, {30, 30});
    ASSERT_EQ(status.size(), 2); // the commit empties the hint
    EXPECT_EQ(status[1][0].toString(), QString());
    const std::vector<int> modes = {1, 2, 3, 4, 5, 6, 8, 9, 10, 11};
    for (int segment = 0; segment < 10; ++segment)
        EXPECT_EQ(MeasureActions::modeOfSegment(segment), modes[std::size_t(segment)]);
}

TEST_F(ActionsTest, PitchPanelAsksForThePitchAndSwitchesOverlaysOnAndOff)
{
    QSignalSpy panel(actions_.get(), &MeasureActions::gridPanelVisibleChanged);
    actions_->useCalibration(QStringLiteral("c"), QStringLiteral("mm"), 0.5f, 40);
    actions_->gridAction();
    EXPECT_TRUE(actions_->gridPanelShown());
    actions_->gridPanelOk(QString());
    EXPECT_EQ(prompt_.alerts, QStringList{MeasureActions::kIllegalValue});
    EXPECT_TRUE(actions_->gridPanelShown());
    actions_->gridPanelOk(QStringLiteral("2.5mm"));
    EXPECT_FALSE(actions_->gridPanelShown());
    EXPECT_EQ(view_->overlay().bJGridAvailable(), kGridOverlay);
    EXPECT_EQ(view_->overlay().PitchPixes(), 200); // 40 x 2.5 / 0.5
    actions_->scaleAction();                       // an overlay is on: off
    EXPECT_EQ(view_->overlay().bJGridAvailable(), kNoOverlay);
    actions_->scaleAction();
    actions_->gridPanelOk(QStringLiteral("-5"));
    EXPECT_EQ(view_->overlay().bJGridAvailable(), kScaleOverlay);
    EXPECT_FALSE(view_->overlay().pitchDrawable());
    actions_->cgridAction();
    actions_->cgridAction();
    actions_->gridPanelCancel();
    EXPECT_EQ(view_->overlay().bJGridAvailable(), kNoOverlay);
    EXPECT_EQ(panel.size(), 6);
}

TEST_F(ActionsTest, NumbersAreReadFromTheStartOfTheText)
{
    EXPECT_EQ(MeasureActions::leadingDecimal(QStringLiteral("2.5mm")), 2.5f);
    EXPECT_EQ(MeasureActions::leadingDecimal(QStringLiteral(" .5")), 0.5f);
    EXPECT_EQ(MeasureActions::leadingDecimal(QStringLiteral("+3")), 3.0f);
    EXPECT_EQ(MeasureActions::leadingDecimal(QStringLiteral("-5")), -5.0f);
    EXPECT_EQ(MeasureActions::leadingDecimal(QStringLiteral("1e2")), 100.0f);
    EXPECT_EQ(MeasureActions::leadingDecimal(QStringLiteral("abc")), 0.0f);
    EXPECT_EQ(MeasureActions::leadingDecimal(QStringLiteral("inf")), 0.0f);
    EXPECT_EQ(MeasureActions::leadingDecimal(QStringLiteral("1,5")), 1.0f);
}

TEST(CalibrationSheetChecks, InTheOrderTheSheetChecksThem)
{
    const QString ok;
    EXPECT_EQ(calibrationSheetError("a", "1.5", "100", "mm"), ok);
    EXPECT_EQ(calibrationSheetError("a", "1,5", "100", "mm"),
              QStringLiteral("Magnification is illegal"));
    EXPECT_EQ(calibrationSheetError("a", "abc", "x", "mm"),
              QStringLiteral("Magnification is illegal"));
    EXPECT_EQ(calibrationSheetError("a", "", "100", "mm"),
              QStringLiteral("Magnification is illegal"));
    EXPECT_EQ(calibrationSheetError("a", "40", "1..", "mm"),
              QStringLiteral("Actual Length is illegal"));
    EXPECT_EQ(calibrationSheetError("", "40", "2", "mm"), QStringLiteral(" can't empty"));
    EXPECT_EQ(calibrationSheetError("a", "40", "2", ""), QStringLiteral(" can't empty"));
}

// The window: the controls reach the view, a calibration run through the sheet stores the
// calibration file, and the toolbar's still carries the marks at the announced size.
class WindowTest : public ::testing::Test {
protected:
    WindowTest()
    {
        qputenv("ORBILUX_HOME", home_.path().toLocal8Bit());
        window_ = std::make_unique<OrbiluxWindow>(
            ViewerServices{&prompt_, &network_, quelmar::test::closedAddress()});
        window_->controller().handleWifiPicture(greyPicture());
    }
    ~WindowTest() override { qunsetenv("ORBILUX_HOME"); }

    QTemporaryDir home_;
    RecordingPrompt prompt_;
    FixedWifiNetwork network_;
    std::unique_ptr<OrbiluxWindow> window_;
};

TEST_F(WindowTest, CalibrateThroughTheSheetThenMeasureAndSave)
{
    const QString plist = home_.filePath(QStringLiteral("Quelmar/calibration.plist"));
    ASSERT_TRUE(quelmar::test::writeAll(plist, "<plist version=\"1.0\"><dict/></plist>"));
    MeasureControls &controls = window_->measureControls();
    JVideoView &view = window_->videoView();
    QSignalSpy added(&window_->measureActions(), &MeasureActions::calibrationAdded);

    controls.segment(MeasureControls::kCalibrationControl, 0)->click();
    auto *sheet = window_->findChild<CalibrationSheet *>();
    ASSERT_NE(sheet, nullptr);
    sheet->nameField().setText(QStringLiteral("x40"));
    sheet->magnificationField().setText(QStringLiteral("40"));
    sheet->lengthField().setText(QStringLiteral("2"));
    sheet->ok();
    EXPECT_TRUE(view.model().bCalibration());
    click(view, {0, 300});
    click(view, {100, 300});
    click(view, {50, 200});
    ASSERT_EQ(added.size(), 1);
    EXPECT_EQ(added[0][0].toString(), QStringLiteral("x40"));
    int exit = -1;
    const QByteArray stored = quelmar::test::runTool(
        QStringLiteral("python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import plistlib,sys;print(plistlib.load(open(sys.argv[1],'rb'))['x40'])"),
         plist},
        &exit);
    EXPECT_EQ(stored.trimmed(), QByteArray("40.000-mm-0.800"));
    EXPECT_FLOAT_EQ(window_->measureActions().measure_length(), 0.8f);

    controls.segment(MeasureControls::kToolControl, 0)->click();
    EXPECT_EQ(view.model().measure_mode(), kLineTool);
    controls.segment(MeasureControls::kEditControl, 0)->click(); // undo the calibration line
    EXPECT_TRUE(view.model().OriginalGraphArray().empty());
    controls.segment(MeasureControls::kEditControl, 2)->click();
    EXPECT_EQ(view.model().OriginalGraphArray().size(), 1u);

    controls.segment(MeasureControls::kOverlayControl, 0)->click();
    EXPECT_FALSE(controls.gridPanel().isHidden());
    controls.gridField().setText(QStringLiteral("1"));
    Q_EMIT controls.gridField().returnPressed();
    EXPECT_TRUE(controls.gridPanel().isHidden());
    EXPECT_EQ(view.overlay().PitchPixes(), 50); // 40 x 1 / 0.8

    window_->controller().SaveImage(1);
    const QStringList stills =
        QDir(home_.filePath(QStringLiteral("Quelmar/default/Image"))).entryList({"*.jpg"});
    ASSERT_EQ(stills.size(), 1);
    const QByteArray size = quelmar::test::runTool(
        QStringLiteral("identify"),
        {QStringLiteral("-format"), QStringLiteral("%w %h %m"),
         home_.filePath(QStringLiteral("Quelmar/default/Image/")) + stills.front()});
    EXPECT_EQ(size, QByteArray("640 480 JPEG"));
}

} // namespace
