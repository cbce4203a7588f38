// What the photo canvas shows and what Save writes: the photo stretched into the 640 x 480
// working picture (fit) or shown 1:1 from the scroll origin (full size), the continuous line
// in progress, every shape and the caption; the rubber band inverted over that; and the photo
// at its own size with its shapes for saving.
#pragma once

#include "measure/graph.h"

#include <QImage>
#include <QPointF>
#include <QSize>
#include <QString>

namespace quelmar::station {

struct RubberBand;

// The fit mode's working picture and client area.
inline constexpr QSize kFitSize{640, 480};

// The rectangle a photo is stretched onto in fit mode: the client area, enlarged for the
// sizes whose picture would otherwise be squeezed (the excess falls outside).
QSize fitStretchSize(QSize photo);

// Working-picture pixels to photo pixels, per axis: the photo over the stretched rectangle
// in fit mode, 1 in full-size mode (the points already are photo pixels).
QPointF outputRatio(QSize photo, bool fullSize);

// The caption: the file name without folder and extension, from after its first underscore.
QString photoCaption(const QString &path);

// The fit mode's working picture: the photo stretched (nearest pixel, as the colour-on-colour
// stretch drops rows and columns) onto fitStretchSize() and cut to 640 x 480.
QImage fitPicture(const QImage &photo);

// One paint pass into `view` (client-sized, RGB32): the working picture from `origin`, the
// draft, the shapes in list order, the caption.
struct ViewScene {
    const QImage *working = nullptr;
    QPoint origin;
    const ShapeList *shapes = nullptr;
    const CGraph *draft = nullptr; // the continuous line in progress, or null
    QString caption;
};
void composeView(QImage &view, const ViewScene &scene);

// Draws the band inverted: the pen's colour NOT-XOR the picture, so drawing it twice erases it.
void drawBand(QImage &view, const RubberBand &band);

// The photo at its own size with every shape, each point times the ratios; `textArea` is the
// canvas's client area, in which Text shapes wrap as on the screen. Null when the picture
// cannot be made.
QImage renderPhoto(const QImage &photo, const ShapeList &shapes, QPointF ratio, QSize textArea);

} // namespace quelmar::station
