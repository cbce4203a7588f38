// The viewer's measuring arithmetic: every tool's labels against the table that
// tools/viewer-measure-reference.py computes apart from this code, and the cases where the
// rules as first written gave wrong or undefined values (collinear angles, no-length arms,
// coinciding line points, collinear arcs).
#include "measure/measure_model.h"
#include "measure/view_geometry.h"

#include "temp_home.h"

#include <QFile>

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <set>

namespace {

using namespace quelmar::viewer;

struct ReferenceRow {
    int mode = 0;
    std::vector<QPointF> clicks;
    QString unit;
    float unitLength = 0;
    float magnification = 0;
    int decimals = 0;
    QString labels;
    QString line;
};

float parseFloat(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    float value = NAN;
    std::from_chars(bytes.constData(), bytes.constData() + bytes.size(), value);
    return value;
}

std::vector<ReferenceRow> referenceRows()
{
    QFile file(quelmar::test::sourceDir() +
               QStringLiteral("/tests/viewer/measure_reference_values.txt"));
    std::vector<ReferenceRow> rows;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return rows;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList fields = line.split(u';');
        if (fields.size() != 7)
            continue;
        ReferenceRow row;
        row.line = line;
        row.mode = fields[0].toInt();
        for (const QString &click : fields[1].split(u' ')) {
            const QStringList xy = click.split(u',');
            row.clicks.emplace_back(xy.value(0).toDouble(), xy.value(1).toDouble());
        }
        row.unit = fields[2];
        row.unitLength = parseFloat(fields[3]);
        row.magnification = parseFloat(fields[4]);
        row.decimals = fields[5].toInt();
        row.labels = fields[6];
        rows.push_back(row);
    }
    return rows;
}

void PrintTo(const ReferenceRow &row, std::ostream *out)
{
    *out << row.line.toStdString();
}

class ReferenceTable : public ::testing::TestWithParam<ReferenceRow> {};

// Each row is drawn through the tool's clicks (a Ctrl-click ends a short polyline or
// polygon) and an anchor click; the committed shape's labels must read as the table's.
TEST_P(ReferenceTable, LabelsMatchTheIndependentComputation)
{
    const ReferenceRow &row = GetParam();
    MeasureModel model;
    MeasureStyle style;
    style.measure_data_decimal = row.decimals;
    model.setMeasureMode(row.mode, style, QString(), row.unit, row.magnification, row.unitLength,
                         false);
    const bool openEnded = row.mode == kContinuousLineTool || row.mode == kPolygonTool;
    for (std::size_t i = 0; i < row.clicks.size(); ++i) {
        const bool last = i + 1 == row.clicks.size();
        model.move(row.clicks[i]);
        model.press(row.clicks[i], openEnded && last && row.clicks.size() < 9);
    }
    model.move(QPointF(400, 300));
    ASSERT_EQ(model.press(QPointF(400, 300), false), MeasureModel::kCommitted)
        << row.line.toStdString();
    ASSERT_EQ(model.OriginalGraphArray().size(), 1u);
    const QString labels = shapeLabels(model.OriginalGraphArray().back(), model.units()).join(u'|');
    EXPECT_EQ(labels.toStdString(), row.labels.toStdString()) << row.line.toStdString();
}

INSTANTIATE_TEST_SUITE_P(EveryTool, ReferenceTable, ::testing::ValuesIn(referenceRows()));

TEST(ReferenceTableFile, CoversEveryMeasuringTool)
{
    std::set<int> modes;
    for (const ReferenceRow &row : referenceRows())
        modes.insert(row.mode);
    EXPECT_EQ(modes, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

struct AngleCase {
    const char *name;
    QPointF p1, p2, vertex;
    float degrees;
};

void PrintTo(const AngleCase &c, std::ostream *out)
{
    *out << c.name;
}

class CollinearThreePointAngle : public ::testing::TestWithParam<AngleCase> {};

TEST_P(CollinearThreePointAngle, TellsSameWayFromOppositeWays)
{
    const AngleCase &c = GetParam();
    EXPECT_EQ(threePointAngle(c.p1, c.p2, c.vertex), c.degrees) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CollinearThreePointAngle,
    ::testing::Values(AngleCase{"P1 between vertex and P2, horizontal", {5, 0}, {10, 0}, {0, 0}, 0},
                      AngleCase{"P2 between vertex and P1, horizontal", {10, 0}, {5, 0}, {0, 0}, 0},
                      AngleCase{"straight angle, horizontal", {-5, 0}, {10, 0}, {0, 0}, 180},
                      AngleCase{"straight angle, vertex between", {0, 0}, {100, 0}, {50, 0}, 180},
                      AngleCase{"same way, vertical", {0, 5}, {0, 10}, {0, 0}, 0},
                      AngleCase{"straight angle, vertical", {0, -5}, {0, 10}, {0, 0}, 180},
                      AngleCase{"same way, diagonal", {10, 10}, {30, 30}, {0, 0}, 0},
                      AngleCase{
                          "straight angle, diagonal", {300, 200}, {100, 400}, {200, 300}, 180},
                      AngleCase{"an arm of no length", {0, 0}, {30, 40}, {0, 0}, 0},
                      AngleCase{"both arms of no length", {7, 7}, {7, 7}, {7, 7}, 0},
                      AngleCase{"a right angle is untouched", {10, 0}, {0, 10}, {0, 0}, 90}),
    [](const auto &info) { return "Case" + std::to_string(info.index); });

TEST(FourPointAngle, KeepsTheParallelRuleAsWritten)
{
    // Same direction and a reversed second line: the rule gives 0 for both on horizontal
    // lines unless x2 < x1 < x4.
    EXPECT_EQ(fourPointAngle({0, 0}, {10, 0}, {20, 0}, {30, 0}), 0);
    EXPECT_EQ(fourPointAngle({10, 0}, {0, 0}, {20, 0}, {30, 0}), 180);
    EXPECT_EQ(fourPointAngle({0, 10}, {0, 0}, {0, 30}, {0, 20}), 180);
    EXPECT_EQ(fourPointAngle({0, 0}, {10, 10}, {20, 20}, {30, 30}), 0); // parallel, sloped
}

TEST(NoNotANumber, DegenerateInputsGiveFiniteValues)
{
    // Coinciding line points: the foot is the line point.
    EXPECT_EQ(footOnLine({3, 4}, {3, 4}, {30, 40}), QPointF(3, 4));
    // Line points that differ below a whole point count as coinciding as well.
    EXPECT_EQ(footOnLine({3.2, 4.9}, {3.7, 4.1}, {30, 40}), QPointF(3.7, 4.1));
    // A line of one point lying on the other line: its arm has no length.
    EXPECT_EQ(calcAngle({5, 5}, {5, 5}, {0, 5}, {10, 5}).degrees, 0);
    EXPECT_EQ(calcAngle({0, 0}, {10, 0}, {10, 0}, {10, 10}).degrees, 90);
    const ArcFit arc = arcThrough({0, 0}, {50, 50}, {100, 100});
    EXPECT_EQ(arc.centre, QPointF(0, 0));
    EXPECT_EQ(arc.radius, 0);
    EXPECT_EQ(arc.sweep, 0);
    const ArcFit coinciding = arcThrough({20, 20}, {60, 30}, {20, 20});
    EXPECT_EQ(coinciding.radius, 0);
    EXPECT_EQ(coinciding.sweep, 0);
    const CircleFit circle = circleThrough({0, 0}, {50, 50}, {100, 100});
    EXPECT_EQ(circle.centre, QPointF(0, 0));
    EXPECT_EQ(circle.radius, 0);
    for (const float value :
         {threePointAngle({1, 1}, {1, 1}, {1, 1}), fourPointAngle({1, 1}, {1, 1}, {1, 1}, {1, 1}),
          polygonArea(std::vector<QPointF>{{1, 1}}), lineLength({}, {})})
        EXPECT_TRUE(std::isfinite(value));
}

TEST(UnitConversion, NoMagnificationGivesZeroRatherThanNotANumber)
{
    const MeasureUnits none{QStringLiteral("mm"), 1.0f, 0.0f};
    EXPECT_EQ(toUnitLength(0, none), 0);
    EXPECT_EQ(toUnitLength(50, none), 0);
    EXPECT_EQ(toUnitArea(0, none), 0);
    EXPECT_EQ(fixedText(0.125, 2), QStringLiteral("0.12")); // printf's half-to-even on ties
    EXPECT_EQ(fixedText(2.5, 0), QStringLiteral("2"));
}

} // namespace
