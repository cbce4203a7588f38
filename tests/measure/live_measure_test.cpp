#include "base/command_ids.h"
#include "base/language.h"
#include "base/station_settings.h"
#include "measure/calibration.h"
#include "measure/live_measure.h"
#include "scripted_distances.h"
#include "scripted_prompt.h"
#include "temp_home.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace quelmar::station;

namespace {

class LiveMeasureTest : public ::testing::Test {
protected:
    quelmar::test::TempHome home;
    CalibrationFile file{home.file(QStringLiteral("CalibrationIni.ini"))};
    MeasureScale scale{file};
    StationSettings settings;
    LogFont labelFont;
    quelmar::test::ScriptedPrompt prompt;
    Language language; // no files: every text is its default
    bool connected = true;
    int sensorClass = 1; // pixel factor 0.063829787234 mm
    quelmar::test::ScriptedDistances distances;
    int calibrations = 0;
    std::vector<bool> holds;
    std::unique_ptr<LiveMeasure> live;

    void SetUp() override
    {
        scale.setMagnificationText(QStringLiteral("60"));
        LiveMeasure::Context c;
        c.scale = &scale;
        c.settings = &settings;
        c.labelFont = &labelFont;
        c.prompt = &prompt;
        c.language = &language;
        c.messageTitle = QStringLiteral("Quelmar");
        c.sensorClass = [this] { return sensorClass; };
        c.captureSize = [] { return QSize(640, 480); };
        c.connected = [this] { return connected; };
        c.askActualDistance = distances.asker();
        c.calibrated = [this] { ++calibrations; };
        c.captureMouse = [this](bool hold) { holds.push_back(hold); };
        live = std::make_unique<LiveMeasure>(std::move(c));
    }

    void clicks(std::initializer_list<QPoint> points)
    {
        for (const QPoint &p : points)
            live->press(p);
    }

    // A line of `length` pixels along y = 100, with its label click.
    void line(int length = 100) { clicks({{100, 100}, {100 + length, 100}, {120, 130}}); }

    QImage composite() const
    {
        QImage frame(640, 480, QImage::Format_RGB32);
        frame.fill(QColor(40, 40, 40));
        live->marks().drawOnto(frame);
        return frame;
    }
};

struct AreaCase {
    QPoint client;
    std::optional<QPoint> live;
};

class LiveArea : public ::testing::TestWithParam<AreaCase> {};

TEST_P(LiveArea, ClientPositionsBecomeLivePointsOnlyInsideTheArea)
{
    EXPECT_EQ(liveAreaPoint(GetParam().client), GetParam().live);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, LiveArea,
    ::testing::Values(AreaCase{{193, 33}, std::nullopt}, AreaCase{{194, 34}, QPoint(1, 1)},
                      AreaCase{{833, 513}, QPoint(640, 480)}, AreaCase{{834, 300}, std::nullopt},
                      AreaCase{{500, 514}, std::nullopt}, AreaCase{{194, 33}, std::nullopt},
                      AreaCase{{400, 200}, QPoint(207, 167)}));

TEST_F(LiveMeasureTest, APointerOutsideIsHeldAtTheEdgeWhileAShapeIsInProgress)
{
    EXPECT_EQ(live->livePoint({10, 10}), std::nullopt);
    live->command(cmd::ToolLine);
    live->press(*live->livePoint({300, 300}));
    EXPECT_EQ(live->livePoint({10, 600}), QPoint(1, 480));
    EXPECT_EQ(live->livePoint({900, 0}), QPoint(640, 1));
    EXPECT_EQ(holds, std::vector<bool>{true});
}

struct Step {
    enum Type { Press, Double } type;
    QPoint at;
};

struct KindCase {
    const char *name;
    int button;
    std::vector<Step> steps;
    int kind;
    const char *prefix;
    QVector<QPoint> points;
    QVector<QString> values; // empty: only the count of `valueCount` is checked
    int valueCount;
};

class LiveKinds : public LiveMeasureTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(LiveKinds, EachToolStoresItsLiveNumberPrefixAndLayout)
{
    const KindCase &c = GetParam();
    ASSERT_TRUE(live->command(c.button));
    EXPECT_EQ(live->pressedButton(), c.button);
    for (const Step &s : c.steps) {
        if (s.type == Step::Press)
            live->press(s.at);
        else
            live->doubleClick(s.at);
    }
    ASSERT_EQ(live->shapes().count(), 1);
    const CGraph &shape = *live->shapes().at(0);
    EXPECT_EQ(shape.kind, c.kind);
    EXPECT_EQ(shape.prefix, QString::fromLatin1(c.prefix));
    EXPECT_EQ(shape.points, c.points);
    EXPECT_EQ(shape.sequenceNumber, 1);
    EXPECT_EQ(shape.measurement, 1);
    EXPECT_EQ(shape.values.size(), c.valueCount);
    EXPECT_EQ(shape.units.size(), c.valueCount);
    if (!c.values.isEmpty()) {
        EXPECT_EQ(shape.values, c.values);
    }
    // The tool stays for the next shape; the scratch is empty and the pointer let go.
    EXPECT_EQ(int(live->tool()), c.kind);
    EXPECT_FALSE(live->inProgress());
    EXPECT_TRUE(live->drawGraph().values.isEmpty());
    EXPECT_EQ(holds, (std::vector<bool>{true, false}));
}

using S = Step;
INSTANTIATE_TEST_SUITE_P(
    EveryTool, LiveKinds,
    ::testing::Values(
        KindCase{"Line",
                 cmd::ToolLine,
                 {{S::Press, {100, 100}}, {S::Press, {200, 100}}, {S::Press, {210, 120}}},
                 1,
                 "DL",
                 {{100, 100}, {200, 100}, {210, 120}},
                 {QStringLiteral("1.064")},
                 1},
        // The double click's first press places the last vertex once; no label click.
        KindCase{"ContinuousLine",
                 cmd::ToolContinuousLine,
                 {{S::Press, {10, 10}},
                  {S::Press, {110, 10}},
                  {S::Press, {110, 85}},
                  {S::Double, {110, 85}}},
                 2,
                 "ML",
                 {{10, 10}, {110, 10}, {110, 10}, {110, 85}, {110, 85}},
                 {QStringLiteral("1.064"), QStringLiteral("0.798")},
                 2},
        KindCase{"PointToLine",
                 cmd::ToolPointToLine,
                 {{S::Press, {100, 100}},
                  {S::Press, {300, 100}},
                  {S::Press, {200, 50}},
                  {S::Press, {220, 40}}},
                 3,
                 "PL",
                 {{100, 100}, {300, 100}, {200, 50}, {200, 100}, {220, 40}},
                 {QStringLiteral("0.532")},
                 1},
        KindCase{"Polygon",
                 cmd::ToolPolygon,
                 {{S::Press, {10, 10}},
                  {S::Press, {200, 30}},
                  {S::Press, {120, 180}},
                  {S::Double, {120, 180}},
                  {S::Press, {130, 190}}},
                 4,
                 "PG",
                 {{10, 10}, {200, 30}, {120, 180}, {130, 190}},
                 {},
                 1},
        KindCase{"RadiusCircle",
                 cmd::ToolRadiusCircle,
                 {{S::Press, {320, 240}}, {S::Press, {400, 300}}, {S::Press, {410, 310}}},
                 5,
                 "RC",
                 {{320, 240}, {400, 300}, {410, 310}},
                 {QStringLiteral("1.064"), QStringLiteral("6.684"), QStringLiteral("3.555")},
                 3},
        KindCase{"DiameterCircle",
                 cmd::ToolDiameterCircle,
                 {{S::Press, {100, 100}}, {S::Press, {300, 250}}, {S::Press, {5, 5}}},
                 6,
                 "DC",
                 {{100, 100}, {300, 250}, {5, 5}},
                 {},
                 3},
        // Centre (15, 8.83) truncated, then the second click, then the label.
        KindCase{"ThreePointCircle",
                 cmd::ToolThreePointCircle,
                 {{S::Press, {10, 10}},
                  {S::Press, {20, 10}},
                  {S::Press, {12, 13}},
                  {S::Press, {30, 30}}},
                 7,
                 "TC",
                 {{15, 8}, {20, 10}, {30, 30}},
                 {},
                 3},
        KindCase{"ThreePointArc",
                 cmd::ToolThreePointArc,
                 {{S::Press, {100, 200}},
                  {S::Press, {200, 100}},
                  {S::Press, {300, 200}},
                  {S::Press, {310, 210}}},
                 8,
                 "AR",
                 {{100, 200}, {200, 100}, {300, 200}, {200, 200}, {310, 210}},
                 {QStringLiteral("1.064"), QStringLiteral("180.00"), QStringLiteral("3.342")},
                 3},
        KindCase{"ThreePointAngle",
                 cmd::ToolThreePointAngle,
                 {{S::Press, {200, 100}},
                  {S::Press, {100, 100}},
                  {S::Press, {100, 200}},
                  {S::Press, {150, 150}}},
                 9,
                 "TA",
                 {{200, 100}, {100, 100}, {100, 200}, {150, 150}},
                 {QStringLiteral("90.00")},
                 1},
        KindCase{"FourPointAngle",
                 cmd::ToolFourPointAngle,
                 {{S::Press, {10, 10}},
                  {S::Press, {110, 10}},
                  {S::Press, {40, 50}},
                  {S::Press, {90, 100}},
                  {S::Press, {5, 5}}},
                 10,
                 "FA",
                 {{10, 10}, {110, 10}, {40, 50}, {90, 100}, {5, 5}},
                 {QStringLiteral("45.00")},
                 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(LiveMeasureTest, UndoTwiceRedoOnceAndDeleteAllKeepsTheRunsNumbers)
{
    live->command(cmd::ToolLine);
    for (int i = 0; i < 3; ++i)
        line(50 + 10 * i);
    live->command(cmd::LiveUndo);
    live->command(cmd::LiveUndo);
    live->command(cmd::LiveRedo);
    ASSERT_EQ(live->shapes().count(), 2);
    EXPECT_EQ(live->shapes().at(1)->displayName(), QStringLiteral("DL2"));
    ASSERT_EQ(live->redoList().count(), 1);
    EXPECT_EQ(live->redoList().at(0)->displayName(), QStringLiteral("DL3"));
    // The buttons show released, the tool stays; a new shape keeps the redo list.
    EXPECT_EQ(live->pressedButton(), 0);
    EXPECT_EQ(live->tool(), LiveTool::Line);
    line();
    EXPECT_EQ(live->shapes().at(2)->displayName(), QStringLiteral("DL4"));
    EXPECT_EQ(live->redoList().count(), 1);

    live->command(cmd::LiveDeleteAll);
    EXPECT_EQ(live->shapes().count(), 0);
    EXPECT_EQ(live->redoList().count(), 0);
    live->command(cmd::LiveUndo); // nothing to undo or redo
    live->command(cmd::LiveRedo);
    line();
    EXPECT_EQ(live->shapes().at(0)->displayName(), QStringLiteral("DL5"));
    EXPECT_EQ(live->sequenceCounter(), 5);
}

TEST_F(LiveMeasureTest, RightButtonAndToolChangeDiscardTheShapeInProgress)
{
    live->command(cmd::ToolRadiusCircle);
    clicks({{300, 200}, {350, 200}}); // measured, waiting for the label
    live->command(cmd::ToolLine);     // another tool: the circle is gone
    EXPECT_FALSE(live->inProgress());
    EXPECT_EQ(live->shapes().count(), 0);
    EXPECT_EQ(live->pressedButton(), cmd::ToolLine);
    live->press({10, 10});
    live->rightButton();
    EXPECT_EQ(live->tool(), LiveTool::None);
    EXPECT_EQ(live->pressedButton(), 0);
    EXPECT_FALSE(live->inProgress());
    EXPECT_EQ(holds, (std::vector<bool>{true, false, true, false}));
    live->press({20, 20}); // no tool: nothing happens
    EXPECT_FALSE(live->inProgress());

    // A double click is one click for the tools that do not end on it.
    live->command(cmd::ToolLine);
    live->press({50, 50});
    live->doubleClick({50, 50});
    EXPECT_EQ(live->drawGraph().points.size(), 1);
    live->press({150, 50});
    live->press({60, 60});
    live->doubleClick({60, 60});
    EXPECT_EQ(live->shapes().count(), 1);
    EXPECT_FALSE(live->inProgress());
}

TEST_F(LiveMeasureTest, ToolsNeedAScaleAndASecondPressReleasesThem)
{
    scale.setMagnificationText(QString());
    EXPECT_TRUE(live->command(cmd::ToolPolygon));
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, QStringLiteral("Please input the zoomIn scale!"));
    EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Warning);
    EXPECT_EQ(live->tool(), LiveTool::None);

    scale.setMagnificationText(QStringLiteral("40"));
    live->command(cmd::ToolPolygon);
    EXPECT_EQ(live->tool(), LiveTool::Polygon);
    EXPECT_EQ(scale.scale(), 40);
    live->command(cmd::ToolPolygon);
    EXPECT_EQ(live->tool(), LiveTool::None);
    EXPECT_FALSE(live->command(cmd::TakePicture));
}

// Three points on one line, or a repeated point, have no arc: the click is refused and no
// value that is not finite reaches a label.
TEST_F(LiveMeasureTest, ArcAndCircleThroughPointsOnOneLineRefuseTheClick)
{
    live->command(cmd::ToolThreePointArc);
    clicks({{100, 100}, {100, 100}}); // repeated: refused
    EXPECT_EQ(live->drawGraph().points.size(), 1);
    clicks({{200, 150}, {300, 200}}); // on the line through the first two: refused
    EXPECT_EQ(live->drawGraph().points.size(), 2);
    EXPECT_TRUE(live->drawGraph().values.isEmpty());
    clicks({{300, 100}, {320, 90}});
    ASSERT_EQ(live->shapes().count(), 1);
    for (const QString &v : live->shapes().at(0)->values) {
        bool ok = false;
        EXPECT_TRUE(std::isfinite(v.toDouble(&ok)) && ok) << v.toStdString();
    }
    EXPECT_FALSE(threePointArc({10, 10}, {20, 20}, {10, 10}));
    EXPECT_FALSE(threePointArc({0, 5}, {10, 5}, {30, 5})); // both bisectors vertical

    live->command(cmd::ToolThreePointCircle);
    clicks({{10, 10}, {20, 20}, {30, 30}});
    EXPECT_EQ(live->drawGraph().points.size(), 2);
}

TEST_F(LiveMeasureTest, AStraightThreePointAngleIs180WhicheverArmComesFirst)
{
    live->command(cmd::ToolThreePointAngle);
    clicks({{100, 100}, {200, 100}, {300, 100}, {1, 1}});
    clicks({{300, 100}, {200, 100}, {100, 100}, {1, 1}});
    clicks({{200, 50}, {200, 150}, {200, 400}, {1, 1}});
    ASSERT_EQ(live->shapes().count(), 3);
    for (qsizetype i = 0; i < 3; ++i)
        EXPECT_EQ(live->shapes().at(i)->values, QVector<QString>{QStringLiteral("180.00")});
}

TEST_F(LiveMeasureTest, OverlaysKeepTheScaleTheyWereSwitchedOnAt)
{
    connected = false;
    live->command(cmd::Crosshair);
    live->command(cmd::ScaleLine);
    EXPECT_FALSE(live->overlays().any());
    connected = true;
    live->command(cmd::Crosshair);
    EXPECT_TRUE(live->overlays().crosshair);

    scale.setMagnificationText(QStringLiteral("30"));
    live->command(cmd::ScaleLine);
    ASSERT_TRUE(live->overlays().scaleLine);
    EXPECT_NEAR(live->overlays().pixelsPerUnit, 47.0, 1e-9);
    EXPECT_EQ(live->overlays().referenceMagnification, 30);
    // 47.0 / 4 ticks: every 12 pixels, the labels 1.00, 2.00, ... 48 pixels apart.
    const ScaleLineGeometry g =
        scaleLineGeometry(kLiveSize, scaleCentre(kLiveSize, false),
                          pixelsPerLabel(live->overlays()), 30, unitStep(QStringLiteral("mm")));
    EXPECT_EQ(g.tickDistance, 12);
    ASSERT_GE(g.labels.size(), 4);
    EXPECT_EQ(g.labels[0], (ScaleLabel{{321 - 6 + 48, 241 + 17}, QStringLiteral("1.00")}));
    EXPECT_EQ(g.labels[2], (ScaleLabel{{321 - 6 + 96, 241 - 34}, QStringLiteral("2.00")}));

    // A later magnification does not move it; the grid switched on takes the new one for both.
    scale.setMagnificationText(QStringLiteral("31"));
    EXPECT_NEAR(live->overlays().pixelsPerUnit, 47.0, 1e-9);
    live->command(cmd::CircleGrid);
    EXPECT_NEAR(live->overlays().pixelsPerUnit, 31 / 0.63829787234, 1e-9);
    EXPECT_EQ(scaleLineTickDistance(pixelsPerLabel(live->overlays()), 31), 2);
    live->command(cmd::ScaleLine);
    EXPECT_FALSE(live->overlays().scaleLine);
    EXPECT_TRUE(live->overlays().circleGrid);
    EXPECT_EQ(live->pressedButton(), 0);
}

TEST_F(LiveMeasureTest, AnOverlayFinerThanAPixelIsRefused)
{
    scale.setMagnificationText(QStringLiteral("0.1")); // 0.157 pixels per mm
    live->command(cmd::ScaleLine);
    live->command(cmd::CircleGrid);
    EXPECT_FALSE(live->overlays().any());
    ASSERT_EQ(prompt.messages.size(), 2u);
    EXPECT_EQ(prompt.messages[0].text, QString::fromLatin1(kOverlayTooFineText));

    // A grid that fits, but would make the scale line already on too fine.
    scale.setMagnificationText(QStringLiteral("30"));
    live->command(cmd::ScaleLine);
    scale.setMagnificationText(QStringLiteral("1")); // 1.6 px per mm: grid yes, ticks no
    live->command(cmd::CircleGrid);
    EXPECT_FALSE(live->overlays().circleGrid);
    EXPECT_NEAR(live->overlays().pixelsPerUnit, 47.0, 1e-9);
}

// Labels stand one unit step apart: 0.1 cm, 0.01 inch, 10 mil; every unit's loops end.
struct UnitCase {
    const char *unit;
    double magnification;
    QString firstLabel;
};

class ScaleLineUnits : public LiveMeasureTest, public ::testing::WithParamInterface<UnitCase> {};

TEST_P(ScaleLineUnits, LabelTheirStepAtItsDistanceAndEndTheirLoops)
{
    const UnitCase c = GetParam();
    settings.unit = QString::fromLatin1(c.unit);
    scale.setMagnificationText(QString::number(c.magnification));
    live->command(cmd::ScaleLine);
    live->command(cmd::CircleGrid);
    const OverlayState &o = live->overlays();
    ASSERT_TRUE(o.scaleLine && o.circleGrid);
    const double step = unitStep(o.unit);
    const double perLabel = o.pixelsPerUnit * step;
    const ScaleLineGeometry g = scaleLineGeometry(kLiveSize, scaleCentre(kLiveSize, false),
                                                  perLabel, c.magnification, step);
    ASSERT_GE(g.tickDistance, 1);
    ASSERT_FALSE(g.labels.isEmpty());
    EXPECT_EQ(g.labels[0].text, c.firstLabel);
    // Label k (right of the centre) stands k steps away, within the tick distance's rounding.
    const int ticks = ticksPerLabel(c.magnification);
    int checked = 0;
    for (const ScaleLabel &l : g.labels) {
        if (l.vertical || l.text.startsWith(u'-'))
            continue;
        const double k = l.text.toDouble() / step;
        EXPECT_NEAR(l.topLeft.x() - (321 - 6), k * perLabel, 0.5 * ticks * k)
            << l.text.toStdString();
        ++checked;
    }
    EXPECT_GE(checked, 1);
    EXPECT_LE(g.lines.size(), 2 + 2 * 321 + 2 * 241);
    EXPECT_EQ(circleGridStep(perLabel), int(perLabel + 0.5));
    // The marks are drawn and the drawing ends.
    EXPECT_FALSE(live->marks().current()->isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Table, ScaleLineUnits,
                         ::testing::Values(UnitCase{"mm", 30, QStringLiteral("1.00")},
                                           UnitCase{"cm", 30, QStringLiteral("0.10")},
                                           UnitCase{"cm", 200, QStringLiteral("0.10")},
                                           UnitCase{"inch", 30, QStringLiteral("0.01")},
                                           UnitCase{"inch", 600, QStringLiteral("0.01")},
                                           UnitCase{"mil", 30, QStringLiteral("10.00")},
                                           UnitCase{"mil", 60, QStringLiteral("10.00")}),
                         [](const auto &info) {
                             return std::string(info.param.unit) +
                                    std::to_string(int(info.param.magnification));
                         });

TEST(ScaleLineSteps, TicksBelowAPixelDrawNothingInsteadOfLoopingForever)
{
    // Pixels per mil at scale 30 on sensor class 1: the tick distance per unit rounds to 0.
    EXPECT_EQ(scaleLineTickDistance(pixelsPerUnit(30, 63.829787234 * 0.0394), 30), 0);
    const ScaleLineGeometry g = scaleLineGeometry(kLiveSize, {321, 241}, 1.0, 30, 10);
    EXPECT_EQ(g.tickDistance, 0);
    EXPECT_TRUE(g.lines.isEmpty());
    EXPECT_TRUE(circleGridRadii(241, 0).isEmpty());
}

TEST_F(LiveMeasureTest, CalibrationStoresTheScaleFromTheMagnification)
{
    scale.setScaleText(QStringLiteral("171.3")); // ignored while calibrating
    live->command(cmd::Calibration);
    EXPECT_EQ(live->pressedButton(), cmd::Calibration);
    EXPECT_TRUE(live->isCalibrating());
    clicks({{100, 100}, {300, 100}});
    EXPECT_EQ(live->drawGraph().values, QVector<QString>{QStringLiteral("2.128")}); // at 60
    distances.answers = {1.0};
    live->press({120, 120});
    EXPECT_EQ(calibrations, 1);
    EXPECT_FALSE(live->isCalibrating());
    EXPECT_EQ(live->pressedButton(), cmd::ToolLine);
    ASSERT_EQ(live->shapes().count(), 1);
    EXPECT_EQ(live->shapes().at(0)->values, QVector<QString>{QStringLiteral("1.000")});
    // 200 x 0.063829787234 x 10 / 1 = 127.66, stored with one decimal.
    EXPECT_EQ(scale.scaleText(), QStringLiteral("127.7"));
    EXPECT_EQ(quelmar::test::readAll(home.file(QStringLiteral("CalibrationIni.ini"))),
              QByteArray("[60]\n60=127.7\n"));

    // Cancel: nothing stored, the line measured at the unchanged scale.
    live->command(cmd::Calibration);
    clicks({{100, 200}, {300, 200}, {120, 220}});
    EXPECT_EQ(calibrations, 1);
    EXPECT_EQ(live->shapes().at(1)->values, QVector<QString>{QStringLiteral("2.128")});
}

TEST_F(LiveMeasureTest, ACalibrationWithoutAUsableScaleIsRefusedAndStoresNothing)
{
    live->command(cmd::Calibration);
    distances.answers = {1e12};
    clicks({{100, 100}, {300, 100}, {120, 120}});
    EXPECT_EQ(calibrations, 0);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, QString::fromLatin1(kCalibrationUnusableText));
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("CalibrationIni.ini"))));
    EXPECT_EQ(live->shapes().at(0)->values, QVector<QString>{QStringLiteral("2.128")});
}

TEST_F(LiveMeasureTest, FullScreenDiscardsAHalfDrawnShapeAndMapsByTheZoom)
{
    live->command(cmd::ToolLine);
    live->press({100, 100});
    live->setView({1280, 1080}, {2.0, 2.25}, true);
    EXPECT_FALSE(live->inProgress());
    EXPECT_EQ(holds, (std::vector<bool>{true, false}));
    EXPECT_EQ(live->tool(), LiveTool::Line);
    EXPECT_EQ(live->livePoint({200, 225}), QPoint(100, 100));
    EXPECT_EQ(live->livePoint({1, 1}), std::nullopt);
    line();
    // Drawn at the zoom over the whole screen.
    const QImage &layer = live->marks().current()->layer();
    EXPECT_EQ(layer.size(), QSize(1280, 1080));
    EXPECT_EQ(layer.pixel(300, 225), qRgb(255, 0, 0));
    live->setView(kLiveSize, {1.0, 1.0}, false);
    EXPECT_EQ(live->livePoint({293, 133}), QPoint(100, 100));
}

TEST_F(LiveMeasureTest, PreviewFramesGetTheShapesTheRubberBandAndTheOverlays)
{
    EXPECT_EQ(composite().pixel(200, 100), qRgb(40, 40, 40));
    live->command(cmd::ToolLine);
    line(200);
    QImage frame = composite();
    EXPECT_EQ(frame.pixel(200, 100), qRgb(255, 0, 0));
    EXPECT_EQ(frame.pixel(200, 95), qRgb(40, 40, 40));
    // The rubber band follows the pointer from the first click.
    live->press({100, 300});
    live->move({200, 400});
    EXPECT_EQ(composite().pixel(150, 350), qRgb(255, 0, 0));
    live->rightButton();
    live->command(cmd::Crosshair);
    frame = composite();
    EXPECT_EQ(frame.pixel(10, 240), qRgb(255, 255, 255));
    EXPECT_EQ(frame.pixel(320, 10), qRgb(255, 255, 255));
    EXPECT_EQ(frame.pixel(150, 350), qRgb(40, 40, 40));
    // A smaller frame (a resize in flight) takes what fits.
    QImage small(100, 100, QImage::Format_RGB32);
    small.fill(Qt::black);
    live->marks().drawOnto(small);
}

// Stills: overlays at the frame's centre and steps, shapes at the preview-to-frame zooms.
TEST_F(LiveMeasureTest, StillsBurnTheShapesAtTheirZoomsAndOverlaysAtTheFrameCentre)
{
    live->command(cmd::ToolLine);
    clicks({{100, 100}, {200, 100}, {150, 60}});
    live->command(cmd::Crosshair);
    struct Case {
        QSize frame;
        double overlayScale;
        QPointF zoom;
        QPoint lineStart, lineEnd;
    };
    for (const Case &c :
         {Case{{1600, 1200}, 2.5, {2.5, 2.5}, {250, 250}, {500, 250}},
          Case{{1920, 1080}, 2.25, {1920.0 / 1120, 2.25}, {171, 225}, {342, 225}}}) {
        QImage still(c.frame, QImage::Format_BGR888);
        still.fill(QColor(40, 40, 40));
        live->drawStill(still, c.overlayScale, c.zoom);
        EXPECT_EQ(still.pixel(c.lineStart), qRgb(255, 0, 0));
        EXPECT_EQ(still.pixel(c.lineEnd), qRgb(255, 0, 0));
        EXPECT_EQ(still.pixel(c.lineEnd + QPoint(2, 0)), qRgb(40, 40, 40));
        EXPECT_EQ(still.pixel(c.frame.width() / 2, 5), qRgb(255, 255, 255));
        EXPECT_EQ(still.pixel(5, c.frame.height() / 2), qRgb(255, 255, 255));
    }
}

// The capture thread lays the marks over frames while the UI thread changes them: it only
// ever sees a whole, published layer.
TEST_F(LiveMeasureTest, FramesDrawWhileShapesAreAddedUndoneAndDeleted)
{
    std::atomic<bool> stop{false};
    std::atomic<int> frames{0};
    std::thread capture([&] {
        QImage frame(640, 480, QImage::Format_RGB32);
        while (!stop.load()) {
            frame.fill(Qt::black);
            live->marks().drawOnto(frame);
            frames.fetch_add(1);
        }
    });
    live->command(cmd::Crosshair);
    live->command(cmd::ToolRadiusCircle);
    for (int i = 0; i < 60; ++i) {
        clicks({{300, 200}, {320 + i, 220}});
        live->move({400, 300 + i % 50});
        live->press({400, 300});
        if (i % 3 == 0)
            live->command(cmd::LiveUndo);
        if (i % 7 == 0)
            live->command(cmd::LiveRedo);
        if (i % 20 == 19)
            live->command(cmd::LiveDeleteAll);
    }
    // Let the capture thread see the last marks at least once before stopping it.
    const int seen = frames.load();
    const bool sawThem = QTest::qWaitFor([&] { return frames.load() >= seen + 2; }, 10000);
    stop = true;
    capture.join();
    ASSERT_TRUE(sawThem);
    EXPECT_GT(frames.load(), 0);
}

} // namespace
