// The canvas widget over its tools: the shape-count notice at paint, the rubber band drawn
// inverted over the cached picture, scrolling in full-size mode and the caption.
#include "measure/photo_paint.h"
#include "measure/sub_picture.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cstring>

using namespace quelmar::station;

namespace {

QImage greyPhoto(QSize size, int grey = 100)
{
    QImage photo(size, QImage::Format_RGB32);
    photo.fill(QColor(grey, grey, grey));
    return photo;
}

PhotoTools::Context plainTools()
{
    PhotoTools::Context c;
    c.units = [] { return MeasureUnits{0.01, 10, 3, QStringLiteral("mm")}; };
    return c;
}

TEST(SubPicture, TellsAtPaintWhenTheNumberOfShapesChanged)
{
    CSubPicture canvas(plainTools(), greyPhoto({640, 480}), QStringLiteral("/x/Still_N0007.bmp"),
                       false);
    QSignalSpy changed(&canvas, &CSubPicture::shapesChanged);
    QSignalSpy edited(&canvas, &CSubPicture::shapesEdited);
    canvas.grab();
    EXPECT_EQ(changed.count(), 0);
    canvas.tools().setTool(PhotoTool::Line, kDrawingTool);
    canvas.tools().press({10, 10});
    canvas.tools().press({100, 10});
    EXPECT_EQ(edited.count(), 1);
    EXPECT_EQ(changed.count(), 0); // not before the next paint
    canvas.grab();
    EXPECT_EQ(changed.count(), 1);
    canvas.grab();
    EXPECT_EQ(changed.count(), 1);
    // Shapes removed behind the canvas's back (the measurement list) count at the redraw.
    canvas.tools().shapes().clearPhotoShapes();
    canvas.redraw();
    canvas.grab();
    EXPECT_EQ(changed.count(), 2);
}

TEST(SubPicture, DrawsTheRubberBandInvertedOverTheCachedPicture)
{
    CSubPicture canvas(plainTools(), greyPhoto({640, 480}, 100), QStringLiteral("a_b.jpg"), false);
    PhotoTools::Style style;
    style.shape.lineColor = 0x0000FF; // red
    style.shape.penWidth = 1;
    canvas.tools().setStyle(style);
    canvas.tools().setTool(PhotoTool::Rectangle, kDrawingTool);
    canvas.tools().press({100, 100});
    canvas.tools().move({300, 200});
    canvas.grab();
    // Red NOT-XOR grey 100: each channel ~(pen ^ picture).
    const QRgb band = canvas.shown().pixel(200, 100);
    EXPECT_EQ(qRed(band), 255 - (255 ^ 100));
    EXPECT_EQ(qGreen(band), 255 - (0 ^ 100));
    EXPECT_EQ(qBlue(band), 255 - (0 ^ 100));
    // The band moves without trace: the cached picture has none of it.
    canvas.tools().move({150, 150});
    canvas.grab();
    EXPECT_EQ(canvas.shown().pixel(200, 100), qRgb(100, 100, 100));
    EXPECT_NE(canvas.shown().pixel(150, 125), qRgb(100, 100, 100));
    canvas.tools().rightButton();
    canvas.grab();
    EXPECT_EQ(canvas.shown().pixel(150, 125), qRgb(100, 100, 100));
}

TEST(SubPicture, FullSizeModeScrollsAndMeasuresInPhotoPixels)
{
    CSubPicture canvas(plainTools(), greyPhoto({2000, 1500}), QStringLiteral("p.bmp"), true);
    canvas.resize(640, 480);
    canvas.show();
    ASSERT_TRUE(canvas.horizontalBar()->isVisible());
    ASSERT_TRUE(canvas.verticalBar()->isVisible());
    EXPECT_EQ(canvas.horizontalBar()->maximum(), 2000 - canvas.tools().view().client.width());
    canvas.horizontalBar()->setValue(500);
    canvas.verticalBar()->setValue(300);
    EXPECT_EQ(canvas.tools().view().origin, QPoint(500, 300));
    canvas.tools().setTool(PhotoTool::Line, kDrawingTool);
    canvas.tools().press({10, 10});
    canvas.tools().press({110, 10});
    ASSERT_EQ(canvas.tools().list().count(), 1);
    EXPECT_EQ(canvas.tools().list().at(0)->points[0], QPoint(510, 310));
    EXPECT_EQ(canvas.outputRatio(), QPointF(1, 1));
    // Rendered for saving at the photo's own pixels, without the scroll offset.
    const QImage saved = canvas.renderForSave();
    ASSERT_EQ(saved.size(), QSize(2000, 1500));
    EXPECT_EQ(qRed(saved.pixel(560, 310)), 255);
    EXPECT_EQ(qRed(saved.pixel(60, 10)), 100);

    // A picture smaller than the canvas needs no bars and takes no clicks beyond itself.
    CSubPicture small(plainTools(), greyPhoto({320, 240}), QStringLiteral("p.bmp"), true);
    small.resize(640, 480);
    small.show();
    EXPECT_FALSE(small.horizontalBar()->isVisible());
    EXPECT_EQ(small.tools().shownRect(), QRect(0, 0, 320, 240));
}

TEST(PhotoPaint, CaptionIsTheNameFromItsFirstUnderscore)
{
    EXPECT_EQ(photoCaption(QStringLiteral("/w/Picture/tmp/Still_N0012.jpg")),
              QStringLiteral("N0012"));
    EXPECT_EQ(photoCaption(QStringLiteral("/w/a_b_c.bmp")), QStringLiteral("b_c"));
    EXPECT_EQ(photoCaption(QStringLiteral("/w/plain.bmp")), QStringLiteral("plain"));

    // The underscores show whole whatever font stands in for Arial (one with a tall ascent
    // once pushed them to the canvas's last row and beyond).
    const auto drawn = [](const QString &caption) {
        QImage view(640, 480, QImage::Format_RGB32);
        view.fill(Qt::darkGreen);
        ViewScene scene;
        scene.caption = caption;
        composeView(view, scene);
        return view;
    };
    const QImage with = drawn(QStringLiteral("09_033400")),
                 without = drawn(QStringLiteral("09 033400"));
    int lowest = -1;
    for (int y = 0; y < with.height(); ++y)
        if (std::memcmp(with.constScanLine(y), without.constScanLine(y),
                        std::size_t(with.bytesPerLine())) != 0)
            lowest = y;
    ASSERT_GE(lowest, 0) << "the underscore is drawn";
    EXPECT_LT(lowest, with.height() - 1) << "and whole, above the last row";
}

TEST(PhotoPaint, FitPictureStretchesOntoTheEnlargedRectangle)
{
    // 1920 x 1080 goes onto 1120 x 480: the picture's left 1097 columns show.
    QImage photo = greyPhoto({1920, 1080}, 0);
    for (int y = 0; y < 1080; ++y)
        for (int x = 1090; x < 1920; ++x)
            photo.setPixel(x, y, qRgb(255, 255, 255));
    const QImage fit = fitPicture(photo);
    ASSERT_EQ(fit.size(), QSize(640, 480));
    EXPECT_EQ(fit.pixel(630, 240), qRgb(0, 0, 0));       // photo column 1080
    EXPECT_EQ(fit.pixel(639, 240), qRgb(255, 255, 255)); // photo column 1095
    EXPECT_EQ(fitStretchSize({1920, 1080}), QSize(1120, 480));
    EXPECT_EQ(fitStretchSize({352, 288}), QSize(640, 504));
}

} // namespace
