// The calibrated unit and the label texts of the measurement view. Shapes keep their values
// in picture points; their labels are made from those values with the units in force when
// they are drawn, so a change of calibration relabels every finished shape.
#pragma once

#include "measure/shape.h"

#include <QString>
#include <QStringList>

namespace quelmar::viewer {

struct MeasureUnits {
    QString measure_unit_unit = QStringLiteral("mm");
    float measure_unit_length = 1.0f;
    float measure_unit_magnification = 60.0f;

    bool operator==(const MeasureUnits &) const = default;
};

// n points as n x unit length / magnification; an area as a x unit length^2 / magnification^2.
// A result that is not a finite number (no magnification) counts as 0.
float toUnitLength(float points, const MeasureUnits &units);
float toUnitArea(float area, const MeasureUnits &units);

// "%.*f" with a point as the decimal mark whatever the user's locale; 0 to 20 decimals.
QString fixedText(double value, int decimals);

// The label lines of a finished shape: the first goes at the anchor, each further one a font
// size lower. A text shape's only line is its text.
QStringList shapeLabels(const Shape &shape, const MeasureUnits &units);

} // namespace quelmar::viewer
