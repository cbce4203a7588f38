// The click protocols of the eleven tools (Ctrl-click ends included), undo/redo/delete,
// labels following the units, and the calibration run with its report to the controller.
#include "measure/measure_model.h"

#include <gtest/gtest.h>

namespace {

using namespace quelmar::viewer;

struct Step {
    enum Kind { Press, CtrlPress, Move } kind;
    QPointF point;
};

Step press(double x, double y)
{
    return {Step::Press, {x, y}};
}
Step ctrl(double x, double y)
{
    return {Step::CtrlPress, {x, y}};
}
Step move(double x, double y)
{
    return {Step::Move, {x, y}};
}

struct ProtocolCase {
    const char *name;
    int mode;
    std::vector<Step> steps;
    bool committed;
    std::vector<std::pair<int, QPointF>> points; // slot and point of the result
    int pointCount = 0;                          // polylines and polygons
    int modeAfter = -1;                          // -1: the same tool
};

void PrintTo(const ProtocolCase &c, std::ostream *out)
{
    *out << c.name;
}

void run(MeasureModel &model, const std::vector<Step> &steps)
{
    for (const Step &step : steps) {
        if (step.kind == Step::Move)
            model.move(step.point);
        else
            model.press(step.point, step.kind == Step::CtrlPress);
    }
}

class ClickProtocol : public ::testing::TestWithParam<ProtocolCase> {};

TEST_P(ClickProtocol, PlacesPointsAndCommitsOnTheAnchorClick)
{
    const ProtocolCase &c = GetParam();
    MeasureModel model;
    model.setMeasureMode(c.mode, MeasureStyle(), QString(), QStringLiteral("mm"), 60, 1, false);
    run(model, c.steps);
    ASSERT_EQ(model.OriginalGraphArray().size(), c.committed ? 1u : 0u);
    const Shape &shape = c.committed ? model.OriginalGraphArray().front() : model.shapeInProgress();
    EXPECT_EQ(shape.type, c.mode);
    for (const auto &[slot, point] : c.points) {
        EXPECT_EQ(shape.points[std::size_t(slot)], point) << "slot " << slot;
    }
    if (c.pointCount) {
        EXPECT_EQ(shape.m_cline_auvariable, c.pointCount);
    }
    EXPECT_EQ(model.inProgress(), !c.committed && c.mode != kNoTool);
    EXPECT_EQ(model.measure_mode(), c.modeAfter < 0 ? c.mode : c.modeAfter);
}

INSTANTIATE_TEST_SUITE_P(
    EveryTool, ClickProtocol,
    ::testing::Values(
        ProtocolCase{
            "line",
            kLineTool,
            {move(1, 1), press(0, 0), move(5, 5), press(30, 40), move(60, 60), press(70, 80)},
            true,
            {{0, {0, 0}}, {1, {30, 40}}, {2, {70, 80}}}},
        ProtocolCase{"line, second point follows the mouse",
                     kLineTool,
                     {press(0, 0), move(25, 35)},
                     false,
                     {{0, {0, 0}}, {1, {25, 35}}, {2, {0, 0}}}},
        ProtocolCase{"line, anchor follows the mouse",
                     kLineTool,
                     {press(0, 0), press(30, 40), move(90, 95)},
                     false,
                     {{1, {30, 40}}, {2, {90, 95}}}},
        ProtocolCase{"line, Ctrl changes nothing",
                     kLineTool,
                     {ctrl(0, 0), ctrl(30, 40), ctrl(70, 80)},
                     true,
                     {{1, {30, 40}}, {2, {70, 80}}}},
        ProtocolCase{
            "polyline ended by Ctrl-click at the third point",
            kContinuousLineTool,
            {press(0, 0), press(10, 0), move(12, 12), ctrl(10, 10), move(50, 50), press(60, 60)},
            true,
            {{0, {0, 0}}, {1, {10, 0}}, {2, {10, 10}}, {3, {0, 0}}, {9, {60, 60}}},
            3},
        ProtocolCase{"polyline after Ctrl-click: the anchor starts there",
                     kContinuousLineTool,
                     {press(0, 0), ctrl(10, 0)},
                     false,
                     {{1, {10, 0}}, {9, {10, 0}}},
                     2},
        ProtocolCase{"polyline: a Ctrl-click as the first click only starts it",
                     kContinuousLineTool,
                     {ctrl(5, 5), move(20, 5)},
                     false,
                     {{0, {5, 5}}, {1, {20, 5}}},
                     2},
        ProtocolCase{"polyline: the ninth point ends the placement",
                     kContinuousLineTool,
                     {press(0, 0), press(1, 0), press(2, 0), press(3, 0), press(4, 0), press(5, 0),
                      press(6, 0), press(7, 0), press(8, 0), move(9, 9)},
                     false,
                     {{8, {8, 0}}, {9, {9, 9}}},
                     9},
        ProtocolCase{"polyline: the click after the ninth commits",
                     kContinuousLineTool,
                     {press(0, 0), press(1, 0), press(2, 0), press(3, 0), press(4, 0), press(5, 0),
                      press(6, 0), press(7, 0), press(8, 0), press(20, 20)},
                     true,
                     {{8, {8, 0}}, {9, {20, 20}}},
                     9},
        ProtocolCase{"polygon ended by Ctrl-click",
                     kPolygonTool,
                     {press(0, 0), press(10, 0), press(10, 10), ctrl(0, 10), press(40, 40)},
                     true,
                     {{3, {0, 10}}, {4, {0, 0}}, {9, {40, 40}}},
                     4},
        ProtocolCase{"point to line",
                     kPointToLineTool,
                     {press(0, 0), press(100, 0), move(50, 20), press(50, 40), press(60, 60)},
                     true,
                     {{2, {50, 40}}, {3, {50, 0}}, {4, {60, 60}}}},
        ProtocolCase{"radius circle",
                     kRadiusCircleTool,
                     {press(100, 100), press(110, 100), press(150, 150)},
                     true,
                     {{0, {100, 100}}, {1, {110, 100}}, {2, {150, 150}}}},
        ProtocolCase{"diameter circle",
                     kDiameterCircleTool,
                     {press(100, 100), press(120, 100), press(150, 150)},
                     true,
                     {{1, {120, 100}}, {2, {150, 150}}}},
        ProtocolCase{"three-point circle",
                     kThreePointCircleTool,
                     {press(0, 0), press(2, 0), press(0, 2), press(50, 50)},
                     true,
                     {{2, {0, 2}}, {3, {50, 50}}, {4, {1, 1}}}},
        ProtocolCase{"three-point arc",
                     kThreePointArcTool,
                     {press(0, 100), press(100, 0), press(71, 71), press(50, 50)},
                     true,
                     {{2, {71, 71}}, {3, {50, 50}}}},
        ProtocolCase{"three-point angle",
                     kThreePointAngleTool,
                     {press(10, 0), press(0, 10), press(0, 0), press(30, 30)},
                     true,
                     {{2, {0, 0}}, {3, {30, 30}}}},
        ProtocolCase{
            "four-point angle",
            kFourPointAngleTool,
            {press(0, 0), press(10, 0), move(3, 3), press(20, 5), press(30, 15), press(60, 60)},
            true,
            {{2, {20, 5}}, {3, {30, 15}}, {4, {60, 60}}}},
        ProtocolCase{"text: the second click commits and leaves no tool",
                     kTextTool,
                     {press(40, 50), move(90, 90), press(200, 200)},
                     true,
                     {{0, {40, 50}}, {1, {0, 0}}},
                     0,
                     kNoTool},
        ProtocolCase{"no tool: clicks do nothing",
                     kNoTool,
                     {press(1, 1), press(2, 2)},
                     false,
                     {{0, {0, 0}}}}),
    [](const auto &info) { return "Case" + std::to_string(info.index); });

TEST(ClickProtocolValues, LiveValuesFollowTheMouseAndStayWithTheShape)
{
    MeasureModel model;
    model.setMeasureMode(kContinuousLineTool, MeasureStyle(), QString(), QStringLiteral("mm"), 60,
                         1, false);
    run(model, {press(0, 0), move(30, 40)});
    EXPECT_EQ(model.shapeInProgress().measure_data[0], 50);
    run(model, {press(30, 40), move(30, 50)});
    EXPECT_EQ(model.shapeInProgress().measure_data[0], 60);
    run(model, {ctrl(30, 100), move(500, 500)}); // the anchor moves no value
    EXPECT_EQ(model.shapeInProgress().measure_data[0], 110);
    run(model, {press(500, 500)});
    const Shape &shape = model.OriginalGraphArray().back();
    EXPECT_EQ(shape.measure_data[0], 110);
    EXPECT_EQ(shape.AuxiliaryVariable[0], 50);
    EXPECT_EQ(shape.AuxiliaryVariable[1], 60);
}

TEST(ClickProtocolValues, TextTakesTheFieldTextOnTheFirstClick)
{
    MeasureModel model;
    model.setMeasureMode(kTextTool, MeasureStyle(), QString(), QStringLiteral("mm"), 60, 1, false);
    EXPECT_EQ(model.press({10, 10}, false, QStringLiteral("cell wall")), MeasureModel::kTextTaken);
    EXPECT_EQ(model.press({20, 20}, false, QStringLiteral("ignored")), MeasureModel::kCommitted);
    EXPECT_EQ(model.OriginalGraphArray().back().textValue, QStringLiteral("cell wall"));
    EXPECT_EQ(shapeLabels(model.OriginalGraphArray().back(), model.units()),
              QStringList{QStringLiteral("cell wall")});
}

TEST(ClickProtocolValues, ChoosingAToolDropsTheShapeInProgress)
{
    MeasureModel model;
    model.setMeasureMode(kLineTool, MeasureStyle(), QString(), QStringLiteral("mm"), 60, 1, false);
    run(model, {press(0, 0), press(10, 10)});
    model.setMeasureMode(kLineTool, MeasureStyle(), QString(), QStringLiteral("mm"), 60, 1, false);
    EXPECT_FALSE(model.inProgress());
    run(model, {press(5, 5)});
    EXPECT_EQ(model.shapeInProgress().points[0], QPointF(5, 5));
    EXPECT_TRUE(model.OriginalGraphArray().empty());
}

TEST(ClickProtocolReports, PolylineAndPolygonCommitsEmptyTheStatusText)
{
    for (const int mode : {kContinuousLineTool, kPolygonTool, kLineTool}) {
        MeasureModel model;
        std::vector<int> types;
        model.setReports({[&](const UserEntity &, int type) { types.push_back(type); }});
        model.setMeasureMode(mode, MeasureStyle(), QString(), QStringLiteral("mm"), 60, 1, false);
        run(model, {press(0, 0), ctrl(10, 0), press(20, 20)});
        if (mode == kLineTool) {
            run(model, {press(30, 30)});
            EXPECT_TRUE(types.empty());
        } else {
            EXPECT_EQ(types, std::vector<int>{kReportClearStatus});
        }
    }
}

// Three lines of 10, 20 and 30 points.
MeasureModel modelWithThreeLines()
{
    MeasureModel model;
    model.setMeasureMode(kLineTool, MeasureStyle(), QString(), QStringLiteral("mm"), 1, 1, false);
    for (const double length : {10.0, 20.0, 30.0})
        run(model, {press(0, 0), press(length, 0), press(0, 50)});
    return model;
}

std::vector<float> lengths(const std::vector<Shape> &shapes)
{
    std::vector<float> out;
    for (const Shape &shape : shapes)
        out.push_back(shape.measure_data[0]);
    return out;
}

TEST(DeleteShape, UndoRedoAndDeleteMoveShapesBetweenTheTwoLists)
{
    MeasureModel model = modelWithThreeLines();
    model.deleteshape(MeasureModel::kUndo);
    EXPECT_EQ(lengths(model.OriginalGraphArray()), (std::vector<float>{10, 20}));
    EXPECT_EQ(lengths(model.DeleteGraphArray()), (std::vector<float>{30}));
    model.deleteshape(MeasureModel::kUndo);
    model.deleteshape(MeasureModel::kRedo);
    EXPECT_EQ(lengths(model.OriginalGraphArray()), (std::vector<float>{10, 20}));
    EXPECT_EQ(lengths(model.DeleteGraphArray()), (std::vector<float>{30}));
    model.deleteshape(MeasureModel::kRedo);
    model.deleteshape(MeasureModel::kRedo); // nothing left to redo
    EXPECT_EQ(lengths(model.OriginalGraphArray()), (std::vector<float>{10, 20, 30}));
    model.deleteshape(MeasureModel::kDeleteAll);
    EXPECT_TRUE(model.OriginalGraphArray().empty());
    EXPECT_TRUE(model.DeleteGraphArray().empty());
    const quint64 revision = model.revision();
    model.deleteshape(MeasureModel::kUndo); // nothing to undo
    model.deleteshape(MeasureModel::kRedo);
    EXPECT_EQ(model.revision(), revision);
}

TEST(DeleteShape, DeleteClearsWhatRedoCouldRestore)
{
    MeasureModel model = modelWithThreeLines();
    model.deleteshape(MeasureModel::kUndo);
    model.deleteshape(MeasureModel::kDeleteAll);
    model.deleteshape(MeasureModel::kRedo);
    EXPECT_TRUE(model.OriginalGraphArray().empty());
}

TEST(Units, EveryLabelFollowsTheUnitsInForceAndKeepsItsShapesDecimals)
{
    MeasureModel model;
    MeasureStyle three;
    model.setMeasureMode(kLineTool, three, QString(), QStringLiteral("mm"), 60, 1.2f, false);
    run(model, {press(0, 0), press(30, 40), press(5, 5)});
    MeasureStyle one;
    one.measure_data_decimal = 1;
    model.setMeasureMode(kRadiusCircleTool, one, QString(), QStringLiteral("mm"), 60, 1.2f, false);
    run(model, {press(0, 0), press(10, 0), press(5, 5)});
    const auto labels = [&] {
        QStringList all;
        for (const Shape &shape : model.OriginalGraphArray())
            all << shapeLabels(shape, model.units());
        return all;
    };
    EXPECT_EQ(labels(), (QStringList{QStringLiteral("L:1.000mm"), QStringLiteral("R:0.2mm"),
                                     QStringLiteral("C:1.3mm"), QStringLiteral("A:0.1mm\u00b2")}));
    const quint64 before = model.revision();
    model.setMeasureMode(kNoTool, three, QString(), QStringLiteral("um"), 100, 2, false);
    EXPECT_NE(model.revision(), before);
    EXPECT_EQ(labels(), (QStringList{QStringLiteral("L:1.000um"), QStringLiteral("R:0.2um"),
                                     QStringLiteral("C:1.3um"), QStringLiteral("A:0.1um\u00b2")}));
}

// A calibration run with its reports.
class CalibrationRun : public ::testing::Test {
protected:
    // A calibration run with magnification 40 and actual length 2 over a line of `length`.
    void calibrate(MeasureModel &model, double length)
    {
        model.setReports({[this](const UserEntity &value, int type) {
            reports_.push_back({value, type});
        }});
        model.setMeasureMode(kLineTool, MeasureStyle(), QStringLiteral("x40 <objective>"),
                             QStringLiteral("mm"), 40, 2, true);
        EXPECT_EQ(model.units().measure_unit_length, 1.0f);
        run(model, {press(0, 0), press(length, 0)});
        EXPECT_TRUE(model.bCompletedCalibration());
        run(model, {press(20, 20)});
    }

    std::vector<std::pair<UserEntity, int>> reports_;
};

TEST_F(CalibrationRun, TheCommittedLineSetsTheUnitLengthAndReportsTheCalibration)
{
    MeasureModel model;
    calibrate(model, 100);
    EXPECT_FALSE(model.bCalibration());
    EXPECT_FLOAT_EQ(model.units().measure_unit_length, 0.8f); // 2 / (100 / 40)
    ASSERT_EQ(reports_.size(), 1u);
    const auto &[value, type] = reports_.front();
    EXPECT_EQ(type, kReportCalibrationCompleted);
    EXPECT_EQ(value.Param1, QStringLiteral("x40 <objective>"));
    EXPECT_EQ(value.Param2, QStringLiteral("40.000000"));
    EXPECT_EQ(value.Param3, QStringLiteral("0.800000"));
    EXPECT_EQ(value.Param4, QStringLiteral("mm"));
    EXPECT_EQ(value.Param5, QStringLiteral("x40 <objective>"));
    // The calibration line now shows the declared length.
    EXPECT_EQ(shapeLabels(model.OriginalGraphArray().back(), model.units()),
              QStringList{QStringLiteral("L:2.000mm")});
    // The next line measures with the calibration and reports nothing.
    run(model, {press(0, 0), press(50, 0), press(20, 20)});
    EXPECT_EQ(reports_.size(), 1u);
}

TEST_F(CalibrationRun, ALineWithoutLengthDoesNotCalibrateAndTheRunGoesOn)
{
    MeasureModel model;
    calibrate(model, 0);
    EXPECT_TRUE(model.bCalibration());
    EXPECT_EQ(model.units().measure_unit_length, 1.0f);
    EXPECT_TRUE(reports_.empty());
    run(model, {press(0, 0), press(100, 0), press(20, 20)});
    EXPECT_FALSE(model.bCalibration());
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_.front().first.Param3, QStringLiteral("0.800000"));
}

TEST_F(CalibrationRun, NoMagnificationDoesNotCalibrate)
{
    MeasureModel model;
    model.setReports({[this](const UserEntity &value, int type) {
        reports_.push_back({value, type});
    }});
    model.setMeasureMode(kLineTool, MeasureStyle(), QStringLiteral("zero"), QStringLiteral("mm"), 0,
                         2, true);
    run(model, {press(0, 0), press(100, 0), press(20, 20)});
    EXPECT_TRUE(model.bCalibration());
    EXPECT_EQ(model.units().measure_unit_length, 1.0f);
    EXPECT_TRUE(reports_.empty());
}

} // namespace
