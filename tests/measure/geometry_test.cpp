#include "measure/calibration.h"
#include "measure/geometry.h"
#include "temp_home.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cmath>

using namespace quelmar::station;

namespace {

// Every tool against values computed apart from this code (tools/measure-reference.py).
struct ReferenceCase {
    QString kind;
    QVector<QPoint> points;
    MeasureUnits units;
    QStringList expected;
};

QVector<ReferenceCase> readReference()
{
    QFile file(quelmar::test::sourceDir() + QStringLiteral("/tests/measure/reference_values.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QVector<ReferenceCase> cases;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList f = line.split(u';');
        ReferenceCase c;
        c.kind = f[0];
        for (const QString &p : f[1].split(u' '))
            c.points.push_back(
                QPoint(p.section(u',', 0, 0).toInt(), p.section(u',', 1, 1).toInt()));
        c.units.unit = f[6];
        c.units.pixelFactor = pixelFactor(f[2].toInt(), QSize(f[3].toInt(), f[4].toInt()),
                                          c.units.unit, f[5] == u'1');
        c.units.scale = f[7].toDouble();
        c.units.decimals = f[8].toInt();
        c.expected = f[9].split(u'|');
        cases.push_back(c);
    }
    return cases;
}

Measured measure(const ReferenceCase &c)
{
    const auto &p = c.points;
    if (c.kind == u"Line")
        return measureLine(p[0], p[1], c.units);
    if (c.kind == u"RadiusCircle")
        return measureRadiusCircle(p[0], p[1], c.units);
    if (c.kind == u"DiameterCircle")
        return measureDiameterCircle(p[0], p[1], c.units);
    if (c.kind == u"ThreePointCircle")
        return measureThreePointCircle(p[0], p[1], p[2], c.units).value_or(Measured{});
    if (c.kind == u"Rectangle")
        return measureRectangle(p[0], p[1], c.units);
    if (c.kind == u"Polygon")
        return measurePolygon(p, c.units);
    if (c.kind == u"ThreePointAngle")
        return measureThreePointAngle(p[0], p[1], p[2]).value_or(Measured{});
    if (c.kind == u"FourPointAngle")
        return measureFourPointAngle(p[0], p[1], p[2], p[3]).value_or(Measured{});
    if (c.kind == u"ContinuousLine") {
        // One length per segment, then the total label made from their texts.
        Measured m;
        for (qsizetype i = 1; i < p.size(); ++i) {
            const Measured segment = measureLine(p[i - 1], p[i], c.units);
            m.values += segment.values;
            m.units += segment.units;
        }
        m.values.push_back(continuousLineTotal(m.values, c.units.unit));
        m.units.push_back(QString());
        return m;
    }
    ADD_FAILURE() << "unknown kind " << c.kind.toStdString();
    return {};
}

TEST(MeasureReference, EveryToolMatchesTheHandComputedValues)
{
    const QVector<ReferenceCase> cases = readReference();
    ASSERT_GE(cases.size(), 20);
    for (const ReferenceCase &c : cases) {
        const Measured m = measure(c);
        EXPECT_EQ(QStringList(m.values.begin(), m.values.end()), c.expected)
            << c.kind.toStdString() << " first point " << c.points[0].x() << "," << c.points[0].y();
        EXPECT_EQ(m.units.size(), m.values.size());
    }
}

TEST(MeasureUnitsText, AreasAndAnglesCarryTheirUnits)
{
    const MeasureUnits u{0.001, 10, 3, QStringLiteral("cm")};
    const Measured circle = measureRadiusCircle({0, 0}, {3, 4}, u);
    EXPECT_EQ(circle.units, (QVector<QString>{"cm", "cm", "cm2"}));
    const Measured angle = *measureFourPointAngle({0, 0}, {10, 0}, {0, 0}, {0, 10});
    EXPECT_EQ(angle.values, QVector<QString>{"90.00"});
    EXPECT_EQ(angle.units, QVector<QString>{QStringLiteral("\u00B0")});
}

// The angle between two lines, every branch of the intersection and both 180 cases.
struct AngleCase {
    QPoint a0, a1, b0, b1;
    double degrees;
};

class AngleBetween : public ::testing::TestWithParam<AngleCase> {};

TEST_P(AngleBetween, GivesTheSpecifiedDegrees)
{
    const AngleCase c = GetParam();
    const std::optional<double> a = angleBetween(c.a0, c.a1, c.b0, c.b1);
    ASSERT_TRUE(a);
    // The formula divides by 3.1415926, so a right angle reads 90.0000015.
    EXPECT_NEAR(*a, c.degrees, 1e-5);
    EXPECT_EQ(formatAngle(*a), formatAngle(c.degrees));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AngleBetween,
    ::testing::Values(
        // Horizontal, the first drawn right to left and starting left of the second's end.
        AngleCase{{10, 0}, {0, 0}, {20, 5}, {30, 5}, 180.0},
        AngleCase{{0, 0}, {10, 0}, {20, 5}, {30, 5}, 0.0},
        // Vertical, the first drawn upwards and starting above the second's end.
        AngleCase{{0, 10}, {0, 0}, {5, 20}, {5, 30}, 180.0},
        AngleCase{{0, 0}, {0, 10}, {5, 20}, {5, 30}, 0.0},
        // Parallel slanted lines never give 180.
        AngleCase{{10, 10}, {0, 0}, {20, 25}, {30, 35}, 0.0},
        // Perpendicular, in every point order and through each intersection branch.
        AngleCase{{0, 0}, {10, 0}, {5, -5}, {5, 5}, 90.0},
        AngleCase{{10, 0}, {0, 0}, {5, 5}, {5, -5}, 90.0},
        AngleCase{{5, -5}, {5, 5}, {0, 0}, {10, 0}, 90.0},
        AngleCase{{0, 0}, {10, 10}, {10, 0}, {0, 10}, 90.0},
        AngleCase{{10, 10}, {0, 0}, {0, 10}, {10, 0}, 90.0},
        // Lines that cross away from their points: the ends farther from the crossing decide.
        AngleCase{{0, 0}, {10, 0}, {20, 1}, {30, 11}, 135.0},
        AngleCase{{0, 0}, {10, 0}, {30, 11}, {20, 1}, 135.0},
        AngleCase{{30, 0}, {40, 0}, {20, 1}, {30, 11}, 45.0}));

TEST(AngleBetweenEdges, NoAngleWithoutDirectionAndAlwaysTwoDecimals)
{
    // A line of no length counts as vertical: it crosses the other line below itself.
    EXPECT_EQ(formatAngle(*angleBetween({3, 3}, {3, 3}, {0, 0}, {5, 1})), QStringLiteral("101.31"));
    EXPECT_EQ(angleBetween({3, 3}, {3, 3}, {7, 7}, {7, 7}), 0.0); // two of them: parallel
    EXPECT_FALSE(angleBetween({0, 0}, {0, 0}, {0, 0}, {5, 1}));   // the crossing is the point
    EXPECT_FALSE(measureThreePointAngle({1, 1}, {1, 1}, {5, 5}));
    EXPECT_EQ(formatAngle(45), QStringLiteral("45.00"));
    // A straight three-point angle is 180 whichever arm comes first.
    EXPECT_EQ(measureThreePointAngle({100, 0}, {50, 0}, {0, 0})->values[0],
              QStringLiteral("180.00"));
}

TEST(Circumcentre, ThroughThreePointsOrNothingWhenCollinear)
{
    EXPECT_EQ(*circumcentre({0, 0}, {100, 0}, {50, 10}), QPointF(50, -120));
    EXPECT_EQ(*circumcentre({0, 0}, {0, 10}, {10, 10}), QPointF(5, 5));  // first two share x
    EXPECT_EQ(*circumcentre({0, 10}, {10, 10}, {10, 0}), QPointF(5, 5)); // last two share x
    EXPECT_FALSE(circumcentre({0, 0}, {5, 5}, {10, 10}));
    EXPECT_FALSE(circumcentre({0, 0}, {0, 0}, {10, 3}));
    EXPECT_FALSE(measureThreePointCircle({1, 1}, {2, 2}, {3, 3}, MeasureUnits{}));
}

TEST(EndTick, CrossesTheLineTenPixelsEachSide)
{
    EXPECT_EQ(endTick({50, 50}, {50, 0}), std::pair(QPoint(60, 50), QPoint(40, 50)));
    EXPECT_EQ(endTick({50, 50}, {0, 50}), std::pair(QPoint(50, 40), QPoint(50, 60)));
    const auto [a, b] = endTick({0, 0}, {10, 10});
    EXPECT_EQ(a, QPoint(7, -7)); // 10 / sqrt(2) = 7.07, truncated
    EXPECT_EQ(b, QPoint(-7, 7));
}

TEST(PolygonPixelArea, CountsPixelCentresByTheEvenOddRule)
{
    EXPECT_EQ(polygonPixelArea({{0, 0}, {10, 0}, {10, 10}, {0, 10}}), 100);
    EXPECT_EQ(polygonPixelArea({{10, 10}, {0, 10}, {0, 0}, {10, 0}}), 100); // either winding
    EXPECT_EQ(polygonPixelArea({{0, 0}, {5, 5}, {10, 10}}), 0);             // collinear
    // Two squares overlapping by a 5 x 5 corner, as one outline: the overlap is outside.
    EXPECT_EQ(polygonPixelArea({{0, 0},
                                {10, 0},
                                {10, 10},
                                {5, 10},
                                {5, 5},
                                {15, 5},
                                {15, 15},
                                {5, 15},
                                {5, 10},
                                {0, 10}}),
              100 + 100 - 2 * 25);
}

TEST(ToPicture, ZoomAndOriginWithoutRounding)
{
    EXPECT_EQ(toPicture({101, 51}, 2.0, {10, 20}), QPointF(60.5, 45.5));
    EXPECT_EQ(truncated({60.9, -0.5}), QPoint(60, 0));
}

TEST(ContinuousLineTotal, SumsTheSegmentTextsAndIsLeftOutAtZero)
{
    EXPECT_EQ(continuousLineTotal({"1.064", "0.500"}, "mm"), QStringLiteral("TL=1.564000mm"));
    EXPECT_TRUE(continuousLineTotal({"0.000", "0.000"}, "mm").isEmpty());
}

} // namespace
