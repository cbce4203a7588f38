// A stored picture measured and annotated with the mouse in the photo window, saved as JPEG
// and BMP, and read back by ImageMagick: the marks stand where they were drawn on the photo,
// in fit mode (through the output ratios) and in full-size mode.
#include "measure/photo_paint.h"
#include "photo_window_fixture.h"

#include <QToolButton>

#include <cmath>

using namespace quelmar::station;
using namespace quelmar::test;

namespace {

struct MarksCase {
    const char *name;
    QSize size;
    bool fullSize;
    const char *source;
};

class SavedMarks : public PhotoWindowTest, public ::testing::WithParamInterface<MarksCase> {};

TEST_P(SavedMarks, StandAtThePhotoPositions)
{
    const MarksCase &c = GetParam();
    ASSERT_TRUE(window->openPicture(picture(QString::fromLatin1(c.source), c.size, 60)));
    window->show();
    if (c.fullSize) {
        window->setWindowState(Qt::WindowMaximized);
        QTRY_VERIFY(window->isFullSize());
    }
    ASSERT_NE(canvas(), nullptr);
    ASSERT_EQ(canvas()->isFullSize(), c.fullSize);

    measureLine({60, 60}, {260, 60});
    // A rectangle from the drawing menu, turned ten degrees by its button.
    window->onCommand(photo::DrawRectangle);
    clicks({{300, 150}, {450, 260}});
    window->onCommand(photo::Select);
    click({375, 205});
    ASSERT_TRUE(canvas()->adjustButton(Adjust::RotateMore)->isVisible());
    for (int i = 0; i < 10; ++i)
        QTest::mouseClick(canvas()->adjustButton(Adjust::RotateMore), Qt::LeftButton);
    window->onCommand(photo::MeasurePolygon);
    clicks({{60, 200}, {200, 200}});
    doubleClick({130, 320});
    click({20, 340});
    window->onCommand(photo::Select);
    click({400, 40});
    answerText(QStringLiteral("MARK"));
    window->onCommand(photo::Text);
    ASSERT_EQ(shapes().count(), 4);
    const double rotation = shapes().at(1)->rotation;
    EXPECT_NEAR(rotation, 10 * 3.1415926 / 180, 1e-5);

    const QPointF ratio = c.fullSize ? QPointF(1, 1) : outputRatio(c.size, false);
    const auto photoAt = [ratio](QPointF p) {
        return QPointF(p.x() * ratio.x(), p.y() * ratio.y());
    };
    // Corners turn about the centre as the canvas draws them.
    const auto turned = [rotation](QPointF centre, QPointF d) {
        return centre + QPointF(d.x() * std::cos(rotation) - d.y() * std::sin(rotation),
                                d.x() * std::sin(rotation) + d.y() * std::cos(rotation));
    };
    for (const char *ext : {"jpg", "bmp"}) {
        const QString out = home.file(QStringLiteral("marked.%1").arg(QLatin1String(ext)));
        prompt.fileAnswers = {out};
        window->onCommand(photo::Save);
        ASSERT_EQ(prompt.lastText(), QStringLiteral("Save successfully!")) << ext;
        const Readback saved = readWithImageMagick(out);
        ASSERT_EQ(QSize(saved.width, saved.height), c.size) << ext;
        const auto markAt = [&](QPointF working, int radius = 2) {
            const QPointF p = photoAt(working);
            return saved.near(p.x(), p.y(), radius, reddish);
        };
        for (const int x : {100, 160, 220})
            EXPECT_TRUE(markAt({double(x), 60})) << ext << " line at " << x;
        const QPointF centre(375, 205);
        EXPECT_TRUE(markAt(turned(centre, {0, -55}))) << ext << " rectangle top";
        EXPECT_TRUE(markAt(turned(centre, {-75, 0}))) << ext << " rectangle left";
        // Where the unturned corner would be, 8 pixels from the turned edges.
        EXPECT_FALSE(markAt({300, 150}, 1)) << ext << " the rectangle was not turned";
        EXPECT_TRUE(markAt({130, 200})) << ext << " polygon edge";
        EXPECT_TRUE(markAt({165, 260})) << ext << " polygon edge";
        // The text keeps its pixel size: red pixels right of and below its anchor.
        const QPointF anchor = photoAt({400, 40});
        bool text = false;
        for (int dy = 0; dy < 16 && !text; ++dy)
            for (int dx = 0; dx < 40 && !text; ++dx)
                text = reddish(saved.at(int(anchor.x()) + dx, int(anchor.y()) + dy));
        EXPECT_TRUE(text) << ext << " text";
        // Away from the marks the photo is as it was.
        EXPECT_FALSE(saved.near(photoAt({550, 400}).x(), photoAt({550, 400}).y(), 3, reddish));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, SavedMarks,
    ::testing::Values(MarksCase{"Fit640", {640, 480}, false, "Still_N0001.jpg"},
                      MarksCase{"Fit2592", {2592, 1944}, false, "Still_N0002.jpg"},
                      MarksCase{"Fit1920", {1920, 1080}, false, "Still_N0003.bmp"},
                      MarksCase{"Full640", {640, 480}, true, "Still_N0004.bmp"},
                      MarksCase{"Full2592", {2592, 1944}, true, "Still_N0005.jpg"},
                      MarksCase{"Full1920", {1920, 1080}, true, "Still_N0006.jpg"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
