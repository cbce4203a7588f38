#include "base/station_settings.h"
#include "measure/shape_create.h"

#include <gtest/gtest.h>

#include <functional>

using namespace quelmar::station;

namespace {

CreateContext measuring(ShapeCounter &counter)
{
    CreateContext c;
    c.units.pixelFactor = 0.063829787234;
    c.units.scale = 60;
    c.units.decimals = 3;
    c.counter = &counter;
    return c;
}

struct LayoutCase {
    const char *name;
    std::function<std::unique_ptr<CGraph>(const CreateContext &)> create;
    ShapeKind kind;
    QVector<QPoint> points; // in storage order, label point last
    int quantities;
};

class CreatedLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(CreatedLayout, StoresThePointsInTheKindsOrderAndNumbersTheShape)
{
    const LayoutCase &c = GetParam();
    ShapeCounter counter;
    counter.next(); // one shape made before
    const std::unique_ptr<CGraph> shape = c.create(measuring(counter));
    ASSERT_TRUE(shape);
    EXPECT_EQ(shape->shapeKind(), c.kind);
    EXPECT_EQ(shape->prefix, namePrefix(c.kind));
    EXPECT_EQ(shape->points, c.points);
    EXPECT_EQ(shape->sequenceNumber, 2);
    EXPECT_EQ(counter.value(), 2);
    EXPECT_EQ(shape->measurement, 1);
    ASSERT_EQ(shape->values.size(), c.quantities);
    EXPECT_EQ(shape->units.size(), c.quantities);
    for (const QString &v : shape->values)
        EXPECT_FALSE(v.isEmpty());

    // The same clicks as a plain drawing: no number, one empty text per quantity.
    ShapeCounter untouched;
    CreateContext plain = measuring(untouched);
    plain.counter = nullptr;
    const std::unique_ptr<CGraph> drawing = c.create(plain);
    ASSERT_TRUE(drawing);
    EXPECT_EQ(drawing->points, c.points);
    EXPECT_EQ(drawing->sequenceNumber, 0);
    EXPECT_EQ(drawing->measurement, 0);
    EXPECT_EQ(drawing->values, QVector<QString>(c.quantities));
    EXPECT_EQ(drawing->units, QVector<QString>(c.quantities));
    EXPECT_EQ(untouched.value(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, CreatedLayout,
    ::testing::Values(
        // Ticks of 10 pixels across both ends; the label point starts at the end.
        LayoutCase{"Line",
                   [](const CreateContext &c) {
                       return createLine({0.4, 0.7}, {100.9, 0.2}, c);
                   },
                   ShapeKind::Line,
                   {{0, 0}, {100, 0}, {0, -10}, {0, 10}, {100, -10}, {100, 10}, {100, 0}},
                   1},
        LayoutCase{"SlantedLine",
                   [](const CreateContext &c) {
                       return createLine({10, 10}, {40, 50}, c);
                   },
                   ShapeKind::Line,
                   {{10, 10}, {40, 50}, {18, 4}, {2, 16}, {48, 44}, {32, 56}, {40, 50}},
                   1},
        LayoutCase{"RadiusCircle",
                   [](const CreateContext &c) {
                       return createRadiusCircle({5, 5}, {9, 8}, c);
                   },
                   ShapeKind::RadiusCircle,
                   {{5, 5}, {9, 8}, {9, 8}},
                   3},
        LayoutCase{"Rectangle",
                   [](const CreateContext &c) {
                       return createRectangle({30, 20}, {1, 2}, c);
                   },
                   ShapeKind::Rectangle,
                   {{30, 20}, {1, 2}, {1, 2}},
                   3},
        // The centre is the integer midpoint.
        LayoutCase{"DiameterCircle",
                   [](const CreateContext &c) {
                       return createDiameterCircle({3, 4}, {8, 9}, c);
                   },
                   ShapeKind::DiameterCircle,
                   {{5, 6}, {3, 4}, {8, 9}, {8, 9}},
                   3},
        // Centre (5, -1.1667) truncated toward zero; then the second, first and third clicks.
        LayoutCase{"ThreePointCircle",
                   [](const CreateContext &c) {
                       return createThreePointCircle({0, 0}, {10, 0}, {2, 3}, c);
                   },
                   ShapeKind::ThreePointCircle,
                   {{5, -1}, {10, 0}, {0, 0}, {2, 3}, {2, 3}},
                   3},
        LayoutCase{"ThreePointAngle",
                   [](const CreateContext &c) {
                       return createThreePointAngle({100, 0}, {0, 0}, {0, 100}, c);
                   },
                   ShapeKind::ThreePointAngle,
                   {{100, 0}, {0, 0}, {0, 100}, {0, 100}},
                   1},
        LayoutCase{"FourPointAngle",
                   [](const CreateContext &c) {
                       return createFourPointAngle({0, 0}, {100, 0}, {30, 40}, {80, 90}, c);
                   },
                   ShapeKind::FourPointAngle,
                   {{0, 0}, {100, 0}, {30, 40}, {80, 90}, {80, 90}},
                   1},
        // Each segment's label point after the vertex that ends it; a missing one is that
        // vertex.
        LayoutCase{
            "ContinuousLine",
            [](const CreateContext &c) {
                return createContinuousLine({{0, 0}, {100, 0}, {100.6, 75.2}}, {{50, -5}}, c);
            },
            ShapeKind::ContinuousLine,
            {{0, 0}, {100, 0}, {50, -5}, {100, 75}, {100, 75}},
            2},
        LayoutCase{"Polygon",
                   [](const CreateContext &c) {
                       return createPolygon({{10, 10}, {200, 30}, {120, 180}}, c);
                   },
                   ShapeKind::Polygon,
                   {{10, 10}, {200, 30}, {120, 180}, {120, 180}},
                   1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CreateShape, MeasuredValuesComeFromTheUnroundedPoints)
{
    ShapeCounter counter;
    // 100.9 - 0.4 = 100.5 pixels across: 100.5 x 0.063829787234 x 10 / 60 = 1.069.
    const auto line = createLine({0.4, 0}, {100.9, 0}, measuring(counter));
    EXPECT_EQ(line->values, QVector<QString>{QStringLiteral("1.069")});
    EXPECT_EQ(line->units, QVector<QString>{QStringLiteral("mm")});
    const auto polygon = createPolygon({{0, 0}, {60, 0}, {60, 60}, {0, 60}}, measuring(counter));
    EXPECT_EQ(polygon->units, QVector<QString>{QStringLiteral("mm2")});
}

TEST(CreateShape, ShapesWithoutAValueAreRefusedAndTakeNoNumber)
{
    ShapeCounter counter;
    EXPECT_FALSE(createThreePointCircle({0, 0}, {50, 50}, {100, 100}, measuring(counter)));
    EXPECT_FALSE(createThreePointAngle({5, 5}, {5, 5}, {40, 0}, measuring(counter)));
    EXPECT_FALSE(createFourPointAngle({0, 0}, {0, 0}, {0, 0}, {5, 5}, measuring(counter)));
    EXPECT_FALSE(createContinuousLine({{1, 1}}, {}, measuring(counter)));
    EXPECT_EQ(counter.value(), 0);
    EXPECT_EQ(createRadiusCircle({1, 1}, {2, 2}, measuring(counter))->sequenceNumber, 1);

    // A plain angle needs no value, but a plain circle through a line has no centre.
    CreateContext plain = measuring(counter);
    plain.counter = nullptr;
    EXPECT_TRUE(createThreePointAngle({5, 5}, {5, 5}, {40, 0}, plain));
    EXPECT_FALSE(createThreePointCircle({0, 0}, {50, 50}, {100, 100}, plain));
}

TEST(CreateShape, StyleComesFromTheSettingsAndTextCarriesOnlyItsText)
{
    StationSettings settings;
    settings.lineWidth = 3;
    settings.lineType = 2;
    settings.lineColor = 0x00FF00;
    settings.measureTxtColor = 0x123456;
    settings.fontSize = 16;
    LogFont labelFont;
    labelFont.height = -16;
    ShapeCounter counter;
    CreateContext c = measuring(counter);
    c.style = shapeStyle(settings, labelFont);
    const auto circle = createRadiusCircle({1, 1}, {4, 5}, c);
    EXPECT_EQ(circle->penWidth, 3);
    EXPECT_EQ(circle->penStyle, 2);
    EXPECT_EQ(circle->lineColor, 0x00FF00u);
    EXPECT_EQ(circle->labelColor, 0x123456u);
    EXPECT_EQ(circle->labelFont, labelFont);
    EXPECT_EQ(circle->labelLineHeight, 17);
    EXPECT_EQ(circle->displayName(), QStringLiteral("RC1"));

    LogFont textFont;
    textFont.height = 14;
    const auto text =
        createText({10, 20}, {3, 4}, QStringLiteral("cell wall"), textFont, 0xABCDEF, c.style);
    EXPECT_EQ(text->shapeKind(), ShapeKind::Text);
    EXPECT_EQ(text->prefix, QStringLiteral("S"));
    EXPECT_EQ(text->values, QVector<QString>{QStringLiteral("cell wall")});
    EXPECT_TRUE(text->units.isEmpty());
    EXPECT_EQ(text->sequenceNumber, 0);
    EXPECT_EQ(text->measurement, 0);
    EXPECT_EQ(text->textFont, textFont);
    EXPECT_EQ(text->textColor, 0xABCDEFu);
    EXPECT_EQ(text->points, (QVector<QPoint>{{10, 20}, {3, 4}}));
}

} // namespace
