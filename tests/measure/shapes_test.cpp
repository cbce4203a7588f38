#include "base/station_settings.h"
#include "measure/drawing_styles.h"
#include "measure/graph.h"
#include "measure/shape_painter.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace quelmar::station;

namespace {

std::unique_ptr<CGraph> measuredShape(ShapeKind kind, int points, ShapeCounter &counter)
{
    auto shape = std::make_unique<CGraph>();
    shape->kind = std::int32_t(kind);
    shape->prefix = namePrefix(kind);
    shape->measurement = 1;
    shape->sequenceNumber = counter.next();
    for (int i = 0; i < points; ++i)
        shape->addPoint(QPoint(10 + 20 * i, 10 + 15 * (i % 3)));
    for (const QString &label : labelPrefixes(kind)) {
        Q_UNUSED(label);
        shape->addValue(QStringLiteral("1.000"), QStringLiteral("mm"));
    }
    return shape;
}

TEST(ShapeList, SequenceNumbersRiseAcrossDeletionsUntilAllAreDeleted)
{
    ShapeState state;
    for (int i = 0; i < 3; ++i)
        state.photoShapes.add(measuredShape(ShapeKind::Line, 7, state.counter));
    state.photoShapes.remove(1);
    state.photoShapes.add(measuredShape(ShapeKind::Line, 7, state.counter));
    EXPECT_EQ(state.photoShapes.at(2)->displayName(), QStringLiteral("DL4"));
    state.photoShapes.select(0);
    EXPECT_EQ(state.photoShapes.at(0)->selected, 1);
    state.photoShapes.select(2);
    EXPECT_EQ(state.photoShapes.at(0)->selected, 0);
    state.clearPhotoShapes();
    EXPECT_EQ(state.photoShapes.count(), 0);
    state.photoShapes.add(measuredShape(ShapeKind::RadiusCircle, 3, state.counter));
    EXPECT_EQ(state.photoShapes.at(0)->displayName(), QStringLiteral("RC1"));
    EXPECT_EQ(state.photoShapes.at(5), nullptr);
}

TEST(ShapeValues, ValuesAndUnitsKeepEqualLengthButTextHasNoUnit)
{
    CGraph shape;
    shape.addValue(QStringLiteral("1"), QStringLiteral("mm"));
    shape.addValue(QStringLiteral("2"), QStringLiteral("mm2"));
    EXPECT_EQ(shape.values.size(), shape.units.size());
    CGraph text;
    text.kind = std::int32_t(ShapeKind::Text);
    text.addText(QStringLiteral("cell wall"));
    EXPECT_EQ(text.values.size(), 1);
    EXPECT_TRUE(text.units.isEmpty());
    shape.setPoint(3, QPoint(1, 1)); // outside: ignored
    EXPECT_TRUE(shape.points.isEmpty());
}

bool hasRed(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qRed(image.pixel(x, y)) > 200 && qGreen(image.pixel(x, y)) < 80)
                return true;
    return false;
}

// Every kind is drawn once it has its points, and a shape one point short is skipped with
// nothing drawn. Plain drawings (no labels) show that the lines themselves are drawn.
TEST(ShapePainter, SkipsShapesShortOfPointsAndDrawsTheRest)
{
    const int needed[] = {7, 3, 3, 1, 4, 2, 3, 4, 5, 5}; // Line .. FourPointAngle
    ShapeCounter counter;
    for (int k = 1; k <= 10; ++k) {
        const ShapeKind kind = ShapeKind(k);
        ASSERT_EQ(minimumPoints(kind), needed[k - 1]) << k;
        QImage image(200, 120, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        const auto shortShape = measuredShape(kind, needed[k - 1] - 1, counter);
        shortShape->addText(QStringLiteral("x"));
        EXPECT_FALSE(drawShape(p, *shortShape, image.size())) << k;
        EXPECT_FALSE(hasRed(image)) << "a short shape drew, kind " << k;
        const auto shape = measuredShape(kind, needed[k - 1], counter);
        shape->measurement = kind == ShapeKind::Text ? 1 : 0;
        if (kind == ShapeKind::Text)
            shape->addText(QStringLiteral("text"));
        EXPECT_TRUE(drawShape(p, *shape, image.size())) << k;
        p.end();
        EXPECT_TRUE(hasRed(image)) << "nothing drawn for kind " << k;
    }
}

TEST(ShapeStyle, NewShapesCopyTheSettings)
{
    StationSettings settings;
    settings.lineWidth = 3;
    settings.lineType = 2;
    settings.lineColor = 0x00FF00;
    settings.fontSize = 16;
    settings.measureTxtColor = 0x123456;
    LogFont font;
    font.height = -16;
    CGraph shape;
    applyStyle(shape, settings, font);
    EXPECT_EQ(shape.penWidth, 3);
    EXPECT_EQ(shape.penStyle, 2);
    EXPECT_EQ(shape.lineColor, 0x00FF00u);
    EXPECT_EQ(shape.labelLineHeight, 17);
    EXPECT_EQ(shape.labelColor, 0x123456u);
    EXPECT_EQ(shape.labelFont, font);
}

} // namespace
