// The photo canvas's state machine driven by plain press, move, double-click and right-button
// calls: every click protocol, cancelling, double clicks, hit areas, multi-select, delete,
// move, the rectangle adjustment, calibration, texts and the output ratios.
#include "base/language.h"
#include "measure/calibration.h"
#include "measure/photo_paint.h"
#include "measure/photo_tools.h"
#include "measure/shape_painter.h"
#include "scripted_distances.h"
#include "scripted_prompt.h"
#include "temp_home.h"

#include <gtest/gtest.h>

using namespace quelmar::station;
using quelmar::test::ScriptedPrompt;

namespace {

class PhotoToolsTest : public ::testing::Test {
protected:
    quelmar::test::TempHome home;
    CalibrationFile file{home.file(QStringLiteral("CalibrationIni.ini"))};
    MeasureScale scale{file};
    ScriptedPrompt prompt;
    Language language; // no files: every text is its default
    // 100 pixels measure 1 mm at scale 10.
    double pixelFactor = 0.01;
    quelmar::test::ScriptedDistances distances;
    std::vector<bool> holds;
    int calibrations = 0;
    int edits = 0;
    int valueNotices = 0;
    std::unique_ptr<PhotoTools> tools;

    void SetUp() override
    {
        scale.setMagnificationText(QStringLiteral("10"));
        scale.choose();
        PhotoTools::Context c;
        c.prompt = &prompt;
        c.language = &language;
        c.messageTitle = QStringLiteral("Quelmar");
        c.scale = &scale;
        c.units = [this] {
            return MeasureUnits{pixelFactor, scale.scale(), 3, QStringLiteral("mm")};
        };
        c.askActualDistance = distances.asker();
        c.calibrated = [this] { ++calibrations; };
        c.holdMouse = [this](bool hold) { holds.push_back(hold); };
        c.edited = [this] { ++edits; };
        c.valuesChanged = [this] { ++valueNotices; };
        tools = std::make_unique<PhotoTools>(std::move(c));
    }

    const ShapeList &list() const { return tools->list(); }
    CGraph &shape(qsizetype i) const { return *list().at(i); }
    void press(std::initializer_list<QPoint> points)
    {
        for (const QPoint &p : points)
            tools->press(p);
    }
    void measure(PhotoTool tool) { tools->setTool(tool, kMeasuringTool); }
    // A measured line, its label placed at its end.
    void addLine(QPoint a, QPoint b)
    {
        measure(PhotoTool::Line);
        press({a, b, b});
    }
    void addFourPointAngle(QPoint a0, QPoint a1, QPoint b0, QPoint b1)
    {
        measure(PhotoTool::FourPointAngle);
        press({a0, a1, b0, b1, b1});
    }
};

// --- Click protocols ------------------------------------------------------------------------

struct Protocol {
    const char *name;
    PhotoTool tool;
    int measureFlag;
    std::vector<QPoint> clicks;
    ShapeKind kind;
    std::vector<QPoint> points; // the stored points, the label point at the last click
    std::vector<const char *> values;
};

class ClickProtocol : public PhotoToolsTest, public ::testing::WithParamInterface<Protocol> {};

TEST_P(ClickProtocol, GeometryClicksCreateTheShapeAndMeasuredShapesWaitForTheirLabel)
{
    const Protocol &p = GetParam();
    tools->setTool(p.tool, p.measureFlag);
    for (std::size_t i = 0; i + 1 < p.clicks.size(); ++i) {
        tools->press(p.clicks[i]);
        EXPECT_EQ(list().count(), 0) << "created before its last click";
        EXPECT_TRUE(tools->inProgress());
    }
    tools->press(p.clicks.back());
    ASSERT_EQ(list().count(), 1);
    const CGraph &s = shape(0);
    EXPECT_EQ(s.shapeKind(), p.kind);
    EXPECT_EQ(s.points, QVector<QPoint>(p.points.begin(), p.points.end()));
    QVector<QString> values;
    for (const char *v : p.values)
        values << QString::fromUtf8(v);
    EXPECT_EQ(s.values, values);
    EXPECT_EQ(s.units.size(), s.values.size());
    if (p.measureFlag == kDrawingTool) {
        // A drawing is complete at once: no number, no label click.
        EXPECT_EQ(s.sequenceNumber, 0);
        EXPECT_EQ(s.measurement, 0);
        EXPECT_FALSE(tools->inProgress());
        EXPECT_EQ(holds, (std::vector<bool>{true, false}));
        return;
    }
    EXPECT_EQ(s.sequenceNumber, 1);
    EXPECT_TRUE(tools->inProgress());
    // The label follows the pointer, and the next click places it.
    const qsizetype label = s.points.size() - 1;
    tools->move({400, 300});
    EXPECT_EQ(s.points[label], QPoint(400, 300));
    tools->press({410, 320});
    EXPECT_EQ(s.points[label], QPoint(410, 320));
    EXPECT_FALSE(tools->inProgress());
    EXPECT_EQ(holds, (std::vector<bool>{true, false}));
}

INSTANTIATE_TEST_SUITE_P(
    Tools, ClickProtocol,
    ::testing::Values(
        Protocol{"Line",
                 PhotoTool::Line,
                 kMeasuringTool,
                 {{100, 100}, {200, 100}},
                 ShapeKind::Line,
                 {{100, 100}, {200, 100}, {100, 90}, {100, 110}, {200, 90}, {200, 110}, {200, 100}},
                 {"1.000"}},
        Protocol{"RadiusCircle",
                 PhotoTool::RadiusCircle,
                 kMeasuringTool,
                 {{100, 100}, {130, 140}},
                 ShapeKind::RadiusCircle,
                 {{100, 100}, {130, 140}, {130, 140}},
                 {"0.500", "3.142", "0.785"}},
        Protocol{"DrawnRectangle",
                 PhotoTool::Rectangle,
                 kDrawingTool,
                 {{10, 20}, {110, 70}},
                 ShapeKind::Rectangle,
                 {{10, 20}, {110, 70}, {110, 70}},
                 {"", "", ""}},
        Protocol{"DiameterCircle",
                 PhotoTool::DiameterCircle,
                 kMeasuringTool,
                 {{100, 101}, {201, 101}},
                 ShapeKind::DiameterCircle,
                 {{150, 101}, {100, 101}, {201, 101}, {201, 101}},
                 {"1.010", "3.173", "0.801"}},
        Protocol{"ThreePointAngle",
                 PhotoTool::ThreePointAngle,
                 kMeasuringTool,
                 {{200, 100}, {100, 100}, {100, 0}},
                 ShapeKind::ThreePointAngle,
                 {{200, 100}, {100, 100}, {100, 0}, {100, 0}},
                 {"90.00"}},
        Protocol{"ThreePointCircle",
                 PhotoTool::ThreePointCircle,
                 kMeasuringTool,
                 {{100, 0}, {0, 100}, {200, 100}},
                 ShapeKind::ThreePointCircle,
                 {{100, 100}, {0, 100}, {100, 0}, {200, 100}, {200, 100}},
                 {"1.000", "6.283", "3.142"}},
        Protocol{"DrawnThreePointCircle",
                 PhotoTool::ThreePointCircle,
                 kDrawingTool,
                 {{100, 0}, {0, 100}, {200, 100}},
                 ShapeKind::ThreePointCircle,
                 {{100, 100}, {0, 100}, {100, 0}, {200, 100}, {200, 100}},
                 {"", "", ""}},
        Protocol{"FourPointAngle",
                 PhotoTool::FourPointAngle,
                 kMeasuringTool,
                 {{0, 10}, {100, 10}, {50, 50}, {50, 150}},
                 ShapeKind::FourPointAngle,
                 {{0, 10}, {100, 10}, {50, 50}, {50, 150}, {50, 150}},
                 {"90.00"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PhotoToolsTest, ClicksOutsideThePictureAreIgnoredAndHeldAtItsEdgeDuringAShape)
{
    measure(PhotoTool::Line);
    tools->press({700, 100}); // outside 640 x 480
    EXPECT_FALSE(tools->inProgress());
    tools->press({100, 100});
    tools->press({700, 100});
    ASSERT_EQ(list().count(), 1);
    EXPECT_EQ(shape(0).points[1], QPoint(639, 100));
    tools->press({100, 600}); // the label too stays on the picture
    EXPECT_EQ(shape(0).points[6], QPoint(100, 479));

    // A radius circle stays inside the largest square about its centre: 100 pixels here.
    measure(PhotoTool::RadiusCircle);
    press({{100, 200}, {400, 200}});
    ASSERT_EQ(list().count(), 2);
    EXPECT_EQ(shape(1).points[1], QPoint(200, 200));
}

TEST_F(PhotoToolsTest, RefusedClicksLeaveTheShapeGoingOn)
{
    // Three points on one line have no circle; a repeated point gives no arm.
    measure(PhotoTool::ThreePointCircle);
    press({{0, 0}, {50, 50}, {100, 100}});
    EXPECT_EQ(list().count(), 0);
    EXPECT_TRUE(tools->inProgress());
    press({{100, 0}});
    ASSERT_EQ(list().count(), 1);
    EXPECT_EQ(shape(0).points[3], QPoint(100, 0));

    measure(PhotoTool::ThreePointAngle);
    press({{10, 10}, {10, 10}, {60, 10}, {60, 60}});
    ASSERT_EQ(list().count(), 2);
    EXPECT_EQ(shape(1).points.mid(0, 3), (QVector<QPoint>{{10, 10}, {60, 10}, {60, 60}}));
}

// --- Right button and double clicks ---------------------------------------------------------

TEST_F(PhotoToolsTest, RightButtonCancelsTheShapeInProgressAndKeepsTheOthers)
{
    addLine({10, 10}, {110, 10});
    measure(PhotoTool::Line);
    tools->press({100, 100});
    tools->rightButton();
    EXPECT_EQ(list().count(), 1);
    EXPECT_FALSE(tools->inProgress());
    // A finished line waiting for its label click goes.
    press({{100, 100}, {200, 200}});
    ASSERT_EQ(list().count(), 2);
    tools->rightButton();
    ASSERT_EQ(list().count(), 1);
    EXPECT_EQ(shape(0).points[0], QPoint(10, 10));
    EXPECT_FALSE(tools->inProgress());
    EXPECT_EQ(holds.back(), false);
    // The continuous line's scratch goes too.
    measure(PhotoTool::ContinuousLine);
    press({{10, 50}, {100, 50}, {100, 60}, {200, 50}});
    tools->rightButton();
    EXPECT_EQ(tools->continuousLineDraft(), nullptr);
    EXPECT_EQ(list().count(), 1);
}

struct DoubleClickCase {
    const char *name;
    std::vector<QPoint> presses; // the last one is the double click's first press
    std::vector<QPoint> points;  // the continuous line created, empty for none
    int segments;
};

class ContinuousLineDoubleClick : public PhotoToolsTest,
                                  public ::testing::WithParamInterface<DoubleClickCase> {};

TEST_P(ContinuousLineDoubleClick, EndsWithTheLabelledSegmentsAndEqualValuesAndUnits)
{
    const DoubleClickCase &c = GetParam();
    measure(PhotoTool::ContinuousLine);
    for (const QPoint &p : c.presses)
        tools->press(p);
    tools->doubleClick(c.presses.back());
    EXPECT_FALSE(tools->inProgress());
    if (c.points.empty()) {
        EXPECT_EQ(list().count(), 0);
        return;
    }
    ASSERT_EQ(list().count(), 1);
    EXPECT_EQ(shape(0).points, QVector<QPoint>(c.points.begin(), c.points.end()));
    EXPECT_EQ(shape(0).values.size(), c.segments);
    EXPECT_EQ(shape(0).units.size(), c.segments);
    EXPECT_EQ(shape(0).values[0], QStringLiteral("1.000"));
}

INSTANTIATE_TEST_SUITE_P(
    Presses, ContinuousLineDoubleClick,
    ::testing::Values(
        // vertex, vertex, label, then a double click: its vertex is taken back.
        DoubleClickCase{"AfterALabel",
                        {{0, 0}, {100, 0}, {100, 20}, {300, 0}},
                        {{0, 0}, {100, 0}, {100, 20}},
                        1},
        DoubleClickCase{"TwoSegments",
                        {{0, 0}, {100, 0}, {100, 20}, {200, 0}, {200, 30}, {300, 0}},
                        {{0, 0}, {100, 0}, {100, 20}, {200, 0}, {200, 30}},
                        2},
        // The double click's first press places the label of the segment just ended.
        DoubleClickCase{
            "OnTheLabel", {{0, 0}, {100, 0}, {150, 30}}, {{0, 0}, {100, 0}, {150, 30}}, 1},
        DoubleClickCase{"OneVertexIsNoLine", {{0, 0}}, {}, 0},
        DoubleClickCase{"TwoVerticesWithoutALabel", {{0, 0}, {100, 0}}, {}, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PhotoToolsTest, PolygonEndsOnTheDoubleClickAndTakesOneMoreClickForItsLabel)
{
    measure(PhotoTool::Polygon);
    press({{0, 0}, {100, 0}, {100, 100}}); // the last is the double click's first press
    tools->doubleClick({100, 100});
    ASSERT_EQ(list().count(), 1);
    EXPECT_EQ(shape(0).points, (QVector<QPoint>{{0, 0}, {100, 0}, {100, 100}, {100, 100}}));
    EXPECT_EQ(shape(0).units, QVector<QString>{QStringLiteral("mm2")});
    EXPECT_TRUE(tools->inProgress());
    tools->press({50, 150});
    EXPECT_EQ(shape(0).points.constLast(), QPoint(50, 150));
    EXPECT_FALSE(tools->inProgress());

    // Two vertices still give an area, and the shape is drawn with its label.
    press({{200, 200}, {300, 200}});
    tools->doubleClick({300, 200});
    ASSERT_EQ(list().count(), 2);
    EXPECT_EQ(shape(1).values, QVector<QString>{QStringLiteral("0.000")});
    EXPECT_GE(shape(1).points.size(), minimumPoints(ShapeKind::Polygon));

    // Other tools: the press before the double click was the click; the double click is none.
    measure(PhotoTool::Line);
    tools->press({10, 300});
    tools->doubleClick({10, 300});
    EXPECT_EQ(list().count(), 2);
    EXPECT_TRUE(tools->inProgress());
}

// --- Select, multi-select, delete -----------------------------------------------------------

struct Hit {
    QPoint at;
    int selected; // index in the list below, -1 for none
};

class HitArea : public PhotoToolsTest, public ::testing::WithParamInterface<Hit> {
protected:
    void SetUp() override
    {
        PhotoToolsTest::SetUp();
        addLine({100, 100}, {300, 120}); // 0: shallow, widened up and down
        addLine({400, 100}, {410, 300}); // 1: steep, widened sideways
        measure(PhotoTool::Rectangle);   // 2: hit at its centre mark
        press({{100, 200}, {200, 300}, {200, 300}});
        measure(PhotoTool::RadiusCircle); // 3: hit on its ring
        press({{300, 400}, {340, 400}, {340, 400}});
        addFourPointAngle({500, 10}, {600, 10}, {550, 20}, {550, 60}); // 4: only in multi-select
        tools->setTool(PhotoTool::Select, kNeitherTool);
        tools->press({30, 420});
        tools->setText(QStringLiteral("cell")); // 5: its extent plus 8 pixels
        tools->setTool(PhotoTool::Select, kNeitherTool);
    }
};

TEST_P(HitArea, SelectsTheFirstShapeHitAndNoOther)
{
    const Hit &h = GetParam();
    tools->press(h.at);
    for (qsizetype i = 0; i < list().count(); ++i)
        EXPECT_EQ(shape(i).selected, i == h.selected ? 1 : 0) << "shape " << i;
    // Only a rectangle brings the adjustment buttons.
    EXPECT_EQ(tools->adjustable() != nullptr, h.selected == 2);
}

INSTANTIATE_TEST_SUITE_P(Points, HitArea,
                         ::testing::Values(Hit{{200, 112}, 0}, Hit{{200, 114}, -1},
                                           Hit{{407, 200}, 1}, Hit{{409, 200}, -1},
                                           Hit{{158, 250}, 2}, Hit{{161, 250}, -1},
                                           Hit{{341, 400}, 3}, Hit{{344, 400}, -1},
                                           Hit{{300, 400}, -1}, Hit{{550, 10}, -1},
                                           Hit{{23, 413}, 5}, Hit{{21, 411}, -1}));

TEST_F(PhotoToolsTest, MultiSelectKeepsTheTwoFourPointAnglesHitLast)
{
    addLine({10, 300}, {200, 300});
    addFourPointAngle({0, 10}, {100, 10}, {50, 20}, {50, 60});     // A
    addFourPointAngle({200, 10}, {300, 10}, {250, 20}, {250, 60}); // B
    addFourPointAngle({400, 10}, {500, 10}, {450, 20}, {450, 60}); // C
    tools->setMultiSelect(true);
    tools->setTool(PhotoTool::Select, kNeitherTool);
    const auto selected = [this] {
        std::vector<int> s;
        for (qsizetype i = 0; i < list().count(); ++i)
            s.push_back(shape(i).selected);
        return s;
    };
    tools->press({100, 300}); // the line is not a four-point angle
    EXPECT_EQ(selected(), (std::vector<int>{0, 0, 0, 0}));
    tools->press({50, 11});
    tools->press({250, 11});
    EXPECT_EQ(selected(), (std::vector<int>{0, 1, 1, 0}));
    tools->press({450, 11}); // the older one is dropped
    EXPECT_EQ(selected(), (std::vector<int>{0, 0, 1, 1}));
    tools->press({251, 40}); // already selected: nothing changes
    EXPECT_EQ(selected(), (std::vector<int>{0, 0, 1, 1}));

    // Delete asks from the last shape to the first: No for C, Yes for B.
    prompt.answers = {PromptAnswer::No, PromptAnswer::Yes};
    tools->deleteSelected();
    ASSERT_EQ(prompt.messages.size(), 2u);
    EXPECT_EQ(prompt.messages[0].text, QStringLiteral("Are you sure to delete?"));
    ASSERT_EQ(list().count(), 3);
    EXPECT_EQ(shape(1).displayName(), QStringLiteral("FA2"));
    EXPECT_EQ(shape(2).displayName(), QStringLiteral("FA4")); // numbers stay
    // C is still selected but no longer one of the two: Move takes nothing.
    EXPECT_FALSE(tools->startMove());
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Please select a metafile"));
}

TEST_F(PhotoToolsTest, DeleteWithoutASelectionSaysSo)
{
    addLine({10, 10}, {100, 10});
    const int editsBefore = edits;
    tools->deleteSelected();
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Please select a metafile"));
    EXPECT_EQ(list().count(), 1);
    EXPECT_EQ(edits, editsBefore);
    tools->setTool(PhotoTool::Select, kNeitherTool);
    tools->press({50, 10});
    prompt.answers = {PromptAnswer::Yes};
    tools->deleteSelected();
    EXPECT_EQ(list().count(), 0);
    EXPECT_EQ(edits, editsBefore + 1);
}

// --- Move and adjustment --------------------------------------------------------------------

TEST_F(PhotoToolsTest, MoveCarriesTheMidpointOfTheFirstTwoPointsToTheClick)
{
    measure(PhotoTool::Line);
    press({{100, 100}, {200, 100}, {250, 150}});
    tools->setTool(PhotoTool::Select, kNeitherTool);
    tools->press({150, 100});
    ASSERT_TRUE(tools->startMove());
    EXPECT_EQ(tools->movingKind(), ShapeKind::Line);
    tools->move({300, 300});
    EXPECT_FALSE(tools->band().isEmpty()); // the outline follows the pointer
    // The right button ends the move mode without moving.
    tools->rightButton();
    EXPECT_FALSE(tools->isMoving());
    EXPECT_EQ(shape(0).points[0], QPoint(100, 100));

    ASSERT_TRUE(tools->startMove());
    const std::uint64_t revision = tools->revision();
    tools->press({400, 300});
    EXPECT_FALSE(tools->isMoving());
    EXPECT_EQ(shape(0).points[0], QPoint(350, 300));
    EXPECT_EQ(shape(0).points[1], QPoint(450, 300));
    EXPECT_EQ(shape(0).points[6], QPoint(500, 350)); // the label moves along
    EXPECT_GT(tools->revision(), revision);
}

TEST_F(PhotoToolsTest, RotationTicksChangeOnlyTheRotationByExactlyOneDegree)
{
    measure(PhotoTool::Rectangle);
    press({{100, 100}, {200, 150}, {200, 150}});
    tools->setTool(PhotoTool::Select, kNeitherTool);
    tools->press({150, 125});
    ASSERT_NE(tools->adjustable(), nullptr);
    const QVector<QString> values = shape(0).values;
    EXPECT_EQ(values, (QVector<QString>{QStringLiteral("1.000"), QStringLiteral("0.500"),
                                        QStringLiteral("0.500")}));
    float expected = 0;
    for (int i = 0; i < 3; ++i) {
        tools->adjust(Adjust::RotateMore);
        expected = float(double(expected) + 3.1415926 / 180);
    }
    tools->adjust(Adjust::RotateLess);
    expected = float(double(expected) - 0.017453292222222222);
    EXPECT_EQ(shape(0).rotation, expected);
    EXPECT_NEAR(shape(0).rotation, 2 * 0.017453292222222222, 1e-6);
    EXPECT_EQ(shape(0).values, values);
    EXPECT_EQ(valueNotices, 0);
}

struct EdgeTick {
    const char *name;
    double zoom;
    Adjust button;
    QVector<QPoint> corners; // after the tick
    const char *width;
    const char *height;
};

class EdgeTicks : public PhotoToolsTest, public ::testing::WithParamInterface<EdgeTick> {};

TEST_P(EdgeTicks, MoveTheEdgeAtLeastOnePicturePixelAndRecomputeTheValues)
{
    const EdgeTick &t = GetParam();
    measure(PhotoTool::Rectangle);
    // Drawn from the bottom right, so the left edge is point 1.
    press({{200, 150}, {100, 100}, {100, 100}});
    tools->setView({{640, 480}, {640, 480}, t.zoom, {}});
    tools->setTool(PhotoTool::Select, kNeitherTool);
    tools->press(QPoint(int(150 * t.zoom), int(125 * t.zoom)));
    ASSERT_NE(tools->adjustable(), nullptr);
    tools->adjust(t.button);
    EXPECT_EQ(shape(0).points.mid(0, 2), t.corners);
    EXPECT_EQ(shape(0).values[0], QString::fromLatin1(t.width));
    EXPECT_EQ(shape(0).values[1], QString::fromLatin1(t.height));
    EXPECT_EQ(valueNotices, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Zooms, EdgeTicks,
    ::testing::Values(
        EdgeTick{"RightAtZoom1", 1.0, Adjust::Right, {{201, 150}, {100, 100}}, "1.010", "0.500"},
        EdgeTick{"LeftAtZoom1", 1.0, Adjust::Left, {{200, 150}, {99, 100}}, "1.010", "0.500"},
        EdgeTick{"BottomAtZoom1", 1.0, Adjust::Bottom, {{200, 151}, {100, 100}}, "1.000", "0.510"},
        EdgeTick{"TopAtZoom1", 1.0, Adjust::Top, {{200, 150}, {100, 99}}, "1.000", "0.510"},
        EdgeTick{"RightAtZoom2", 2.0, Adjust::Right, {{201, 150}, {100, 100}}, "1.010", "0.500"},
        EdgeTick{"BottomAtZoom3", 3.0, Adjust::Bottom, {{200, 151}, {100, 100}}, "1.000", "0.510"},
        EdgeTick{"LeftAtZoom2", 2.0, Adjust::Left, {{200, 150}, {99, 100}}, "1.010", "0.500"},
        EdgeTick{"RightAtHalf", 0.5, Adjust::Right, {{202, 150}, {100, 100}}, "1.020", "0.500"}),
    [](const auto &info) { return std::string(info.param.name); });

// --- Calibration and texts ------------------------------------------------------------------

TEST_F(PhotoToolsTest, CalibrationLineSetsTheScaleOrIsRefusedWithoutStoringAnything)
{
    measure(PhotoTool::Line);
    tools->setCalibrationMode(true);
    distances.answers = {1.0};
    press({{0, 0}, {200, 0}});
    // 200 pixels x 0.01 x 10 / 1 mm: scale 20, the line shows exactly 1 mm.
    EXPECT_DOUBLE_EQ(scale.scale(), 20.0);
    EXPECT_EQ(shape(0).values, QVector<QString>{QStringLiteral("1.000")});
    EXPECT_EQ(calibrations, 1);
    EXPECT_EQ(file.lookup(QStringLiteral("10")), QStringLiteral("20.0"));
    EXPECT_FALSE(tools->isCalibrating());
    EXPECT_EQ(holds, (std::vector<bool>{true, false, true}));

    // A line of no length gives no scale: the user is told and nothing is stored.
    tools->press({300, 300});
    measure(PhotoTool::Line);
    tools->setCalibrationMode(true);
    distances.answers = {2.0};
    press({{50, 50}, {50, 50}});
    EXPECT_EQ(prompt.lastText(), QString::fromLatin1(kCalibrationUnusableText));
    EXPECT_DOUBLE_EQ(scale.scale(), 20.0);
    EXPECT_EQ(file.lookup(QStringLiteral("10")), QStringLiteral("20.0"));
    EXPECT_EQ(calibrations, 1);
}

TEST_F(PhotoToolsTest, TextGoesToTheLastClickAndItsExtentIsWhereSelectFindsIt)
{
    tools->setText(QString());
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Please input text!"));
    EXPECT_EQ(list().count(), 0);

    tools->setTool(PhotoTool::Text, kMeasuringTool);
    tools->press({200, 150});
    ASSERT_TRUE(tools->setText(QStringLiteral("cell wall of the root")));
    ASSERT_EQ(list().count(), 1);
    const CGraph &text = shape(0);
    EXPECT_EQ(text.shapeKind(), ShapeKind::Text);
    EXPECT_EQ(text.points[0], QPoint(200, 150));
    EXPECT_EQ(text.units.size(), 0);
    EXPECT_EQ(tools->tool(), PhotoTool::Text);
    // Point 1 is the far corner of the text as drawn.
    const QRect extent = textExtent(text.values[0], text.textFont, {200, 150}, {640, 480});
    EXPECT_EQ(text.points[1], extent.bottomRight());
    EXPECT_GT(text.points[1].x(), 230);
    tools->setTool(PhotoTool::Select, kNeitherTool);
    tools->press(extent.center());
    EXPECT_EQ(text.selected, 1);
}

TEST_F(PhotoToolsTest, EditsRaiseTheRevisionAndSelectingDoesNot)
{
    addLine({10, 10}, {100, 10});
    const std::uint64_t afterAdd = tools->revision();
    EXPECT_GT(afterAdd, 0u);
    EXPECT_EQ(edits, 2); // added, then labelled
    tools->setTool(PhotoTool::Select, kNeitherTool);
    const std::uint64_t scene = tools->sceneRevision();
    tools->press({50, 10});
    EXPECT_EQ(tools->revision(), afterAdd);
    EXPECT_GT(tools->sceneRevision(), scene);
}

// --- Drawing arithmetic ---------------------------------------------------------------------

TEST(AngleArc, RunsTheShortWayOverTheMeasuredAngle)
{
    // Qt counts counter-clockwise on screen; screen y grows downwards.
    const ArcSpan up = angleArc({110, 100}, {100, 100}, {100, 90});
    EXPECT_DOUBLE_EQ(up.start, 0);
    EXPECT_DOUBLE_EQ(up.span, 90);
    const ArcSpan down = angleArc({100, 90}, {100, 100}, {110, 100});
    EXPECT_DOUBLE_EQ(down.start, 90);
    EXPECT_DOUBLE_EQ(down.span, -90);
    // 30 degrees apart across the negative x axis: 30, not 330.
    const ArcSpan across = angleArc({0, 100 - 26.79}, {100, 100}, {0, 100 + 26.79});
    EXPECT_NEAR(std::abs(across.span), 30, 0.01);
}

struct Ratio {
    QSize photo;
    double x;
    double y;
};

class OutputRatio : public ::testing::TestWithParam<Ratio> {};

TEST_P(OutputRatio, IsThePhotoOverTheStretchedRectanglePerAxis)
{
    const Ratio &r = GetParam();
    const QPointF ratio = outputRatio(r.photo, false);
    EXPECT_DOUBLE_EQ(ratio.x(), r.x);
    EXPECT_DOUBLE_EQ(ratio.y(), r.y);
    EXPECT_EQ(outputRatio(r.photo, true), QPointF(1.0, 1.0));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, OutputRatio,
    ::testing::Values(Ratio{{320, 240}, 0.5, 0.5}, Ratio{{352, 288}, 0.55, 288.0 / 504},
                      Ratio{{640, 480}, 1.0, 1.0}, Ratio{{800, 600}, 1.25, 1.25},
                      Ratio{{1024, 768}, 1.6, 1.6}, Ratio{{1280, 720}, 1280.0 / 960, 1.5},
                      Ratio{{1280, 960}, 2.0, 2.0}, Ratio{{1280, 1024}, 2.0, 2.0},
                      Ratio{{1600, 1200}, 2.5, 2.5}, Ratio{{1920, 1080}, 1920.0 / 1120, 2.25},
                      Ratio{{2048, 1536}, 3.2, 3.2}, Ratio{{2592, 1944}, 4.05, 4.05},
                      Ratio{{3264, 2448}, 5.1, 5.1},
                      Ratio{{1000, 1000}, 1000.0 / 640, 1000.0 / 480}));

} // namespace
