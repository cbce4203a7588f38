// The reading aids over the live picture and stills: the crosshair, the scale line with its
// ticks and unit labels, and the circle grid. Their state, their steps in pixels and the
// lines, labels and circles they consist of, without any drawing.
#pragma once

#include <QLine>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QVector>

namespace quelmar::station {

// The three switches with the scale they were switched on at. Pixels per unit is
// S / (pf x 10) in the unit that was current then; the scale line and the circle grid share it.
struct OverlayState {
    bool crosshair = false;
    bool scaleLine = false;
    bool circleGrid = false;
    double pixelsPerUnit = 0;
    double referenceMagnification = 0;
    QString unit = QStringLiteral("mm");

    bool any() const { return crosshair || scaleLine || circleGrid; }
    bool operator==(const OverlayState &) const = default;
};

// Pixels per unit at scale S with pixel factor pf: S / (pf x 10).
double pixelsPerUnit(double scale, double pixelFactor);
// The value one label of the scale line stands for: 1 mm, 0.1 cm, 0.01 inch or 10 mil.
double unitStep(const QString &unit);
// Pixels between two labels, i.e. per unit step (pixels per unit x step).
double pixelsPerLabel(const OverlayState &state);

// Ticks between two labels: 4 up to a reference magnification of 30, else 20.
int ticksPerLabel(double referenceMagnification);
// The scale line's tick distance and the circle grid's step in pixels, for `pixelsPerLabel`
// on the surface (times the overlay scale on a still). Below 1 nothing is drawn.
int scaleLineTickDistance(double pixelsPerLabel, double referenceMagnification);
int circleGridStep(double pixelsPerLabel);

// Where the overlays are centred: the live picture's scale line and grid sit one pixel right
// of and below its crosshair; a still centres all three on the frame.
QPoint crosshairCentre(QSize area);
QPoint scaleCentre(QSize area, bool still);

// The crosshair and the two axes of the scale line and grid: one horizontal and one vertical
// line across the whole area through `centre`.
QVector<QLine> centreAxes(QSize area, QPoint centre);

struct ScaleLabel {
    QPoint topLeft; // where the text starts, its top edge
    QString text;
    bool vertical = false; // a label of the vertical axis
    bool operator==(const ScaleLabel &) const = default;
};

struct ScaleLineGeometry {
    int ticksPerLabel = 0;
    int tickDistance = 0; // 0: too fine to draw, nothing else is filled in
    QVector<QLine> lines; // the two axes, then the ticks of both axes
    QVector<ScaleLabel> labels;
};
// The axes, the ticks on both sides of the centre while k x tick distance stays inside, and
// the labels k x step at every ticks-th tick distance, alternating above and below (left and
// right of) the axis on each side. Labels that would start beyond the area are left out:
// they would be clipped whole.
ScaleLineGeometry scaleLineGeometry(QSize area, QPoint centre, double pixelsPerLabel,
                                    double referenceMagnification, double unitStep);

// The radii 0, t, 2t, ... below the centre's y; empty when the step is below 1.
QVector<int> circleGridRadii(int centreY, int step);

} // namespace quelmar::station
