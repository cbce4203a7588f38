#include "measure/bgr_mark_surface.h"

#include "measure/drawing_styles.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace quelmar::station {

namespace {

// A brush wider than this is no mark any more; it would only cost time.
constexpr int kWidestBrush = 64;
// Ellipses and arcs are chords between points on the curve, each so long that it bulges
// from the curve by a quarter pixel at most: c^2 / (8 r) <= 1/4.
double chordLength(double radius)
{
    return std::max(2.0, std::sqrt(2 * radius));
}

void writeBgr(uchar *d, ColorRef c)
{
    d[0] = uchar(c >> 16 & 0xFF);
    d[1] = uchar(c >> 8 & 0xFF);
    d[2] = uchar(c & 0xFF);
}

} // namespace

BgrMarkSurface::BgrMarkSurface(QImage &picture)
    : picture_(picture), usable_(picture.format() == QImage::Format_BGR888)
{
    if (usable_) {
        bits_ = picture_.bits();
        stride_ = picture_.bytesPerLine();
    }
}

void BgrMarkSurface::setPen(int width, int style, ColorRef colour)
{
    writeBgr(bgr_, colour);
    width_ = std::clamp(width, 1, kWidestBrush);
    // The patterns of a one-pixel pen; wider pens draw every style solid.
    static const std::vector<int> kPatterns[] = {
        {}, {4, 2}, {1, 2}, {4, 2, 1, 2}, {4, 2, 1, 2, 1, 2}};
    dashes_ = width_ == 1 && style >= 0 && style <= 4 ? kPatterns[style] : std::vector<int>{};
}

void BgrMarkSurface::startStroke()
{
    dash_ = 0;
    dashLeft_ = dashes_.empty() ? 0 : dashes_[0];
}

void BgrMarkSurface::plot(int x, int y)
{
    if (!dashes_.empty()) {
        const bool on = dash_ % 2 == 0;
        if (--dashLeft_ <= 0) {
            dash_ = (dash_ + 1) % dashes_.size();
            dashLeft_ = dashes_[dash_];
        }
        if (!on)
            return;
    }
    // A square brush: two pixels wide covers the pixel before and the pixel itself.
    const int from = -(width_ / 2);
    const int x0 = std::max(0, x + from);
    const int x1 = std::min(picture_.width() - 1, x + from + width_ - 1);
    const int y0 = std::max(0, y + from);
    const int y1 = std::min(picture_.height() - 1, y + from + width_ - 1);
    for (int row = y0; row <= y1; ++row) {
        uchar *d = bits_ + qsizetype(row) * stride_ + 3 * x0;
        for (int col = x0; col <= x1; ++col, d += 3) {
            d[0] = bgr_[0];
            d[1] = bgr_[1];
            d[2] = bgr_[2];
        }
    }
}

void BgrMarkSurface::segment(QPoint a, QPoint b)
{
    // Bresenham: every pixel of the line, both ends included.
    int x = a.x(), y = a.y();
    const int dx = std::abs(b.x() - x), sx = x < b.x() ? 1 : -1;
    const int dy = -std::abs(b.y() - y), sy = y < b.y() ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        plot(x, y);
        if (x == b.x() && y == b.y())
            break;
        const int e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            x += sx;
        }
        if (e2 <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void BgrMarkSurface::line(QPoint a, QPoint b)
{
    if (!usable_)
        return;
    startStroke();
    segment(a, b);
}

void BgrMarkSurface::polyline(const QVector<QPoint> &points, bool closed)
{
    if (!usable_ || points.isEmpty())
        return;
    startStroke();
    if (points.size() == 1)
        plot(points[0].x(), points[0].y());
    for (qsizetype i = 1; i < points.size(); ++i)
        segment(points[i - 1], points[i]);
    if (closed && points.size() > 2)
        segment(points.constLast(), points[0]);
}

void BgrMarkSurface::chords(QPointF centre, double rx, double ry, double startRadians,
                            double spanRadians, bool closed)
{
    if (!usable_ || !(rx > 0) || !(ry > 0) || !std::isfinite(rx * ry))
        return;
    const double radius = std::max(rx, ry);
    const double reach = radius * std::abs(spanRadians);
    const int n = std::clamp(int(std::ceil(reach / chordLength(radius))), 8, 1 << 16);
    const auto at = [&](int i) {
        const double t = startRadians + spanRadians * i / n;
        return QPoint(int(std::lround(centre.x() + rx * std::cos(t))),
                      int(std::lround(centre.y() - ry * std::sin(t))));
    };
    startStroke();
    QPoint previous = at(0);
    for (int i = 1; i <= n; ++i) {
        const QPoint next = closed && i == n ? at(0) : at(i);
        if (next != previous)
            segment(previous, next);
        previous = next;
    }
}

void BgrMarkSurface::ellipse(QPointF centre, double rx, double ry)
{
    chords(centre, rx, ry, 0, 2 * M_PI, true);
}

void BgrMarkSurface::arc(QPointF centre, double rx, double ry, double startDegrees,
                         double spanDegrees)
{
    chords(centre, rx, ry, startDegrees * M_PI / 180, spanDegrees * M_PI / 180, false);
}

void BgrMarkSurface::fill(const QRect &rect, ColorRef colour)
{
    const QRect r = rect & picture_.rect();
    if (!usable_ || r.isEmpty())
        return;
    uchar bgr[3];
    writeBgr(bgr, colour);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        uchar *d = bits_ + qsizetype(y) * stride_ + 3 * r.left();
        for (int x = r.left(); x <= r.right(); ++x, d += 3) {
            d[0] = bgr[0];
            d[1] = bgr[1];
            d[2] = bgr[2];
        }
    }
}

void BgrMarkSurface::text(QPoint topLeft, int lineHeight, const QStringList &lines,
                          const QFont &font, ColorRef colour)
{
    if (!usable_ || lines.isEmpty())
        return;
    const QFontMetrics metrics(font);
    int width = 0;
    for (const QString &line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    // Room for glyphs that reach past their advance or below the last line.
    width += metrics.height();
    const int height = int(lines.size() - 1) * std::max(lineHeight, 0) + metrics.height() + 2;
    const QRect box = QRect(topLeft, QSize(width, height)) & picture_.rect();
    if (box.isEmpty())
        return;
    QImage sprite(width, height, QImage::Format_ARGB32_Premultiplied);
    sprite.fill(Qt::transparent);
    {
        QPainter p(&sprite);
        p.setFont(font);
        p.setPen(toQColor(colour));
        for (int i = 0; i < lines.size(); ++i)
            p.drawText(QPoint(0, i * lineHeight + metrics.ascent()), lines[i]);
    }
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(sprite.constScanLine(y - topLeft.y()));
        uchar *d = bits_ + qsizetype(y) * stride_ + 3 * box.left();
        for (int x = box.left(); x <= box.right(); ++x, d += 3) {
            const QRgb s = src[x - topLeft.x()];
            const uint a = qAlpha(s);
            if (a == 0)
                continue;
            const uint inv = 255 - a;
            d[0] = uchar(uint(qBlue(s)) + (d[0] * inv + 127) / 255);
            d[1] = uchar(uint(qGreen(s)) + (d[1] * inv + 127) / 255);
            d[2] = uchar(uint(qRed(s)) + (d[2] * inv + 127) / 255);
        }
    }
}

} // namespace quelmar::station
