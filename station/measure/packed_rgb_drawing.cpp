#include "measure/packed_rgb_drawing.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace quelmar::station {

QImage *packedRgbTarget(QPainter &painter)
{
    QPaintDevice *device = painter.device();
    if (!device || device->devType() != QInternal::Image || !painter.transform().isIdentity())
        return nullptr;
    auto *image = static_cast<QImage *>(device);
    return image->format() == QImage::Format_RGB888 ? image : nullptr;
}

void stampTextLines(QImage &picture, QPoint topLeft, int lineHeight, const QStringList &lines,
                    const QFont &font, QColor colour)
{
    if (lines.isEmpty() || picture.format() != QImage::Format_RGB888)
        return;
    const QFontMetrics metrics(font);
    int width = 0;
    for (const QString &line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    // Room for glyphs that reach past their advance or below the last line.
    width += metrics.height();
    const int height = int(lines.size() - 1) * lineHeight + metrics.height() + 2;
    const QRect box = QRect(topLeft, QSize(width, height)) & picture.rect();
    if (box.isEmpty())
        return;
    QImage sprite(width, height, QImage::Format_ARGB32_Premultiplied);
    sprite.fill(Qt::transparent);
    {
        QPainter p(&sprite);
        p.setFont(font);
        p.setPen(colour);
        for (int i = 0; i < lines.size(); ++i)
            p.drawText(QPoint(0, i * lineHeight + metrics.ascent()), lines[i]);
    }
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(sprite.constScanLine(y - topLeft.y()));
        uchar *dst = picture.scanLine(y);
        for (int x = box.left(); x <= box.right(); ++x) {
            const QRgb s = src[x - topLeft.x()];
            const uint a = qAlpha(s);
            if (a == 0)
                continue;
            uchar *d = dst + 3 * x;
            const uint inv = 255 - a;
            d[0] = uchar(uint(qRed(s)) + (d[0] * inv + 127) / 255);
            d[1] = uchar(uint(qGreen(s)) + (d[1] * inv + 127) / 255);
            d[2] = uchar(uint(qBlue(s)) + (d[2] * inv + 127) / 255);
        }
    }
}

void plotCircle(QImage &picture, QPoint centre, int radius, QColor colour)
{
    if (radius <= 0 || picture.format() != QImage::Format_RGB888)
        return;
    const uchar rgb[3] = {uchar(colour.red()), uchar(colour.green()), uchar(colour.blue())};
    const auto plot = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= picture.width() || y >= picture.height())
            return;
        uchar *d = picture.scanLine(y) + 3 * x;
        d[0] = rgb[0];
        d[1] = rgb[1];
        d[2] = rgb[2];
    };
    const int cx = centre.x();
    const int cy = centre.y();
    int x = radius;
    int y = 0;
    int error = 1 - radius;
    while (x >= y) {
        plot(cx + x, cy + y);
        plot(cx + y, cy + x);
        plot(cx - y, cy + x);
        plot(cx - x, cy + y);
        plot(cx - x, cy - y);
        plot(cx - y, cy - x);
        plot(cx + y, cy - x);
        plot(cx + x, cy - y);
        ++y;
        if (error < 0) {
            error += 2 * y + 1;
        } else {
            --x;
            error += 2 * (y - x) + 1;
        }
    }
}

} // namespace quelmar::station
