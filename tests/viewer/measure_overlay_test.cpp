// The overlays over an 800 x 640 view: what each kind consists of, and pitches that must draw
// nothing (not a number, negative, below one point) or keep the previous style.
#include "measure/grid_overlay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace quelmar::viewer;

const QSizeF kView(800, 640);

MeasureStyle blueStyle()
{
    return {3, 20, 2, QColor(Qt::blue), QColor(Qt::blue)};
}

struct PitchCase {
    const char *name;
    int kind;
    float pitchLength;
    float magnification;
    float unitLength;
    std::size_t lines;
    std::size_t circles;
    bool takesStyle;
};

void PrintTo(const PitchCase &c, std::ostream *out)
{
    *out << c.name;
}

class OverlayPitch : public ::testing::TestWithParam<PitchCase> {};

TEST_P(OverlayPitch, DrawsWhatThePitchAllows)
{
    const PitchCase &c = GetParam();
    GridOverlay overlay;
    overlay.showGridView(c.kind, blueStyle(), c.pitchLength, c.magnification, c.unitLength);
    OverlayGeometry geometry;
    buildOverlayGeometry(overlay, kView, geometry);
    EXPECT_EQ(geometry.lines.size(), c.lines) << c.name;
    EXPECT_EQ(geometry.radii.size(), c.circles) << c.name;
    EXPECT_EQ(overlay.style() == blueStyle(), c.takesStyle) << c.name;
}

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Cases, OverlayPitch,
    ::testing::Values(
        // Lines at 100, 200, ... below 640 and 800.
        PitchCase{"grid of 100 points", kGridOverlay, 2, 50, 1, 6 + 7, 0, true},
        PitchCase{"grid of 160 points", kGridOverlay, 0.2f, 60, 0.075f, 3 + 4, 0, true},
        PitchCase{"a typed 0", kGridOverlay, 0, 60, 1, 0, 0, false},
        PitchCase{"a typed -5", kGridOverlay, -5, 60, 1, 0, 0, false},
        PitchCase{"no number", kGridOverlay, kNan, 60, 1, 0, 0, false},
        PitchCase{"unit length 0: infinite pitch", kGridOverlay, 1, 60, 0, 0, 0, true},
        PitchCase{"0 over 0", kGridOverlay, 0, 60, 0, 0, 0, false},
        PitchCase{"half a point", kGridOverlay, 0.5f, 1, 1, 0, 0, false},
        PitchCase{"one point", kGridOverlay, 1, 1, 1, 639 + 799, 0, false},
        PitchCase{"three points keep the style", kGridOverlay, 3, 1, 1, 213 + 266, 0, false},
        PitchCase{"five points take it", kGridOverlay, 5, 1, 1, 127 + 159, 0, true},
        PitchCase{"circle grid", kCircleGridOverlay, 100, 1, 1, 2, 7, true},
        PitchCase{"circle grid without pitch", kCircleGridOverlay, -1, 1, 1, 0, 0, false},
        PitchCase{"crosshair needs no pitch", kCrosshairOverlay, 0, 0, 0, 2, 0, false},
        // Ticks at 400 +- 10k up to 400 and 320 +- 10k up to 320, the centre ones once.
        PitchCase{"scale of 10 points", kScaleOverlay, 10, 1, 1, 2 + 81 + 65, 0, true},
        PitchCase{"switched off", kNoOverlay, 10, 1, 1, 0, 0, false}),
    [](const auto &info) { return "Case" + std::to_string(info.index); });

TEST(ScaleOverlay, EveryTenthTickReachesTwentyEveryFifthTen)
{
    GridOverlay overlay;
    overlay.showGridView(kScaleOverlay, blueStyle(), 10, 1, 1);
    OverlayGeometry geometry;
    buildOverlayGeometry(overlay, kView, geometry);
    const auto tickAt = [&](double x) {
        for (const QLineF &line : geometry.lines)
            if (line.x1() == x && line.x2() == x && line.length() < 100)
                return line;
        return QLineF();
    };
    EXPECT_EQ(tickAt(400), QLineF(400, 300, 400, 340));
    EXPECT_EQ(tickAt(500), QLineF(500, 300, 500, 340));
    EXPECT_EQ(tickAt(450), QLineF(450, 310, 450, 330));
    EXPECT_EQ(tickAt(350), QLineF(350, 310, 350, 330));
    EXPECT_EQ(tickAt(410), QLineF(410, 315, 410, 325));
    EXPECT_EQ(tickAt(0), QLineF(0, 300, 0, 340));
}

TEST(GridOverlay, ASmallPitchKeepsTheStyleBeforeIt)
{
    GridOverlay overlay;
    overlay.showGridView(kGridOverlay, blueStyle(), 10, 1, 1);
    MeasureStyle green = blueStyle();
    green.measure_line_color = Qt::green;
    overlay.showGridView(kCircleGridOverlay, green, 2, 1, 1);
    EXPECT_EQ(overlay.style(), blueStyle());
    EXPECT_EQ(overlay.bJGridAvailable(), kCircleGridOverlay);
    EXPECT_EQ(overlay.PitchPixes(), 2);
    overlay.showGridView(kNoOverlay, green, 50, 1, 1);
    EXPECT_EQ(overlay.bJGridAvailable(), kNoOverlay);
    EXPECT_EQ(overlay.mGridViewLength(), 2); // switching off keeps the pitch
}

} // namespace
