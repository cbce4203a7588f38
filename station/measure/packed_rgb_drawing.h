// Drawing on packed 24-bit pictures where the painter has only a slow generic path: text is
// rendered once into a small 32-bit sprite and blended in, one-pixel circles are plotted
// straight into the bytes. Stills are 24-bit and get every live mark this way.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QStringList>

class QPainter;

namespace quelmar::station {

// The 24-bit picture a painter draws into, or null for any other device.
QImage *packedRgbTarget(QPainter &painter);

// Text lines with the first line's top-left corner at `topLeft`, each `lineHeight` below the
// one before, antialiased over the picture, clipped to it.
void stampTextLines(QImage &picture, QPoint topLeft, int lineHeight, const QStringList &lines,
                    const QFont &font, QColor colour);

// A circle one pixel wide (the midpoint rule), clipped to the picture.
void plotCircle(QImage &picture, QPoint centre, int radius, QColor colour);

} // namespace quelmar::station
