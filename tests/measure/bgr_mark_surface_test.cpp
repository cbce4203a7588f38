// The still's 24-bit surface: pixels in blue-green-red order where the marks belong, brushes
// of the pen's width, one-pixel dashes, closed ellipses and clipping at the edges.
#include "measure/bgr_mark_surface.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>

using namespace quelmar::station;

namespace {

constexpr ColorRef kRedRef = 0x0000FF;
constexpr ColorRef kBlueRef = 0xFF0000;

QImage canvas(int w = 300, int h = 300)
{
    QImage image(w, h, QImage::Format_BGR888);
    image.fill(Qt::black);
    return image;
}

bool marked(const QImage &image, int x, int y)
{
    return image.pixel(x, y) != qRgb(0, 0, 0);
}

TEST(BgrMarkSurface, WritesTheColourInBlueGreenRedOrder)
{
    QImage image = canvas();
    BgrMarkSurface s(image);
    s.setPen(1, 0, kRedRef);
    s.line({10, 10}, {20, 10});
    const uchar *row = image.constScanLine(10);
    EXPECT_EQ(row[3 * 15 + 0], 0);
    EXPECT_EQ(row[3 * 15 + 2], 255);
    EXPECT_EQ(image.pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(20, 10), qRgb(255, 0, 0));
    EXPECT_FALSE(marked(image, 21, 10));
    EXPECT_FALSE(marked(image, 15, 9));
    s.fill(QRect(0, 50, 300, 1), kBlueRef);
    EXPECT_EQ(image.pixel(299, 50), qRgb(0, 0, 255));
}

TEST(BgrMarkSurface, WiderPensCoverThePixelBeforeAndAfter)
{
    for (const auto &[width, first, last] : {std::tuple{2, 99, 100}, std::tuple{3, 99, 101}}) {
        QImage image = canvas();
        BgrMarkSurface s(image);
        s.setPen(width, 1, kRedRef); // wider pens draw dashes solid
        s.line({50, 100}, {150, 100});
        for (int y = 95; y <= 105; ++y)
            EXPECT_EQ(marked(image, 100, y), y >= first && y <= last) << width << " " << y;
        EXPECT_TRUE(marked(image, 149, 100));
    }
}

TEST(BgrMarkSurface, OnePixelDashesFollowTheirPattern)
{
    QImage image = canvas();
    BgrMarkSurface s(image);
    s.setPen(1, 1, kRedRef); // 4 on, 2 off
    s.line({0, 5}, {11, 5});
    const bool expected[] = {1, 1, 1, 1, 0, 0, 1, 1, 1, 1, 0, 0};
    for (int x = 0; x < 12; ++x)
        EXPECT_EQ(marked(image, x, 5), expected[x]) << x;
}

TEST(BgrMarkSurface, EllipsesAreClosedAndStayOnTheirCurve)
{
    QImage image = canvas();
    BgrMarkSurface s(image);
    s.setPen(1, 0, kRedRef);
    s.ellipse({150, 150}, 100, 60);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (marked(image, x, y)) {
                ++count;
                const double u = (x - 150) / 100.0, v = (y - 150) / 60.0;
                // Within about a pixel of the ellipse.
                EXPECT_NEAR(std::sqrt(u * u + v * v), 1.0, 1.5 / 60) << x << "," << y;
            }
    EXPECT_GT(count, 400); // one pixel per step along the longer axis: about 466
    // No gap: every direction meets a marked pixel next to the curve.
    for (int degree = 0; degree < 360; degree += 3) {
        const double t = degree * M_PI / 180;
        const int x = int(std::lround(150 + 100 * std::cos(t)));
        const int y = int(std::lround(150 - 60 * std::sin(t)));
        bool near = false;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                near = near || marked(image, x + dx, y + dy);
        EXPECT_TRUE(near) << degree;
    }
}

TEST(BgrMarkSurface, ArcsRunTheirWayAndEverythingIsClippedAtTheEdges)
{
    QImage image = canvas(100, 100);
    BgrMarkSurface s(image);
    s.setPen(5, 0, kRedRef);
    s.arc({50, 50}, 30, 30, 0, 90); // from three o'clock up to twelve
    EXPECT_TRUE(marked(image, 50, 20));
    EXPECT_TRUE(marked(image, 80, 50));
    EXPECT_FALSE(marked(image, 50, 80));
    EXPECT_FALSE(marked(image, 20, 50));
    s.line({-50, -50}, {400, 400});
    s.ellipse({0, 0}, 5000, 5000);
    s.fill(QRect(-10, -10, 1000, 3), kRedRef);
    s.text({90, 95}, 10, {QStringLiteral("L=1.000mm"), QStringLiteral("more")}, QFont(), kRedRef);
    EXPECT_TRUE(marked(image, 60, 60));

    QImage other(10, 10, QImage::Format_RGB32);
    other.fill(Qt::black);
    BgrMarkSurface ignored(other);
    ignored.setPen(1, 0, kRedRef);
    ignored.line({0, 0}, {9, 9});
    EXPECT_EQ(other.pixel(5, 5), qRgb(0, 0, 0));
}

TEST(BgrMarkSurface, TextIsBlendedInItsColour)
{
    QImage image = canvas();
    BgrMarkSurface s(image);
    QFont font;
    font.setPixelSize(20);
    s.text({10, 10}, 24, {QStringLiteral("RC1"), QStringLiteral("R=1.064mm")}, font, kRedRef);
    int reddish = 0;
    for (int y = 10; y < 60; ++y)
        for (int x = 10; x < 150; ++x) {
            const QRgb p = image.pixel(x, y);
            EXPECT_EQ(qBlue(p), 0);
            reddish += qRed(p) > 128;
        }
    EXPECT_GT(reddish, 50);
    EXPECT_FALSE(marked(image, 5, 5));
}

} // namespace
