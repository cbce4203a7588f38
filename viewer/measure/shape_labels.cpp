#include "measure/shape_labels.h"

#include "measure/view_geometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace quelmar::viewer {

namespace {

float finiteOrZero(float value)
{
    return std::isfinite(value) ? value : 0.0f;
}

} // namespace

float toUnitLength(float points, const MeasureUnits &units)
{
    return finiteOrZero(points * units.measure_unit_length / units.measure_unit_magnification);
}

float toUnitArea(float area, const MeasureUnits &units)
{
    const float length = units.measure_unit_length;
    const float magnification = units.measure_unit_magnification;
    return finiteOrZero(area * (length * length) / (magnification * magnification));
}

QString fixedText(double value, int decimals)
{
    char buffer[400]; // a float's largest value with 20 decimals needs about 60
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                            std::chars_format::fixed, std::clamp(decimals, 0, 20));
    return error == std::errc() ? QString::fromLatin1(buffer, end - buffer) : QString();
}

QStringList shapeLabels(const Shape &shape, const MeasureUnits &units)
{
    const int decimals = shape.style.measure_data_decimal;
    const QString &unit = units.measure_unit_unit;
    const auto length = [&](const char *prefix, float points) {
        return QLatin1String(prefix) + fixedText(toUnitLength(points, units), decimals) + unit;
    };
    const auto area = [&](float points) {
        return QStringLiteral("A:") + fixedText(toUnitArea(points, units), decimals) + unit +
               QStringLiteral("\u00b2");
    };
    const auto degrees = [&](float value) {
        return QStringLiteral("<:") + fixedText(value, decimals) + QStringLiteral("\u00b0");
    };
    const auto &data = shape.measure_data;
    switch (shape.type) {
    case kLineTool:
    case kContinuousLineTool:
    case kPointToLineTool:
        return {length("L:", data[0])};
    case kRadiusCircleTool:
    case kThreePointCircleTool:
        return {length("R:", data[0]), length("C:", data[1]), area(data[2])};
    case kDiameterCircleTool:
        return {length("D:", data[0]), length("C:", data[1]), area(data[2])};
    case kThreePointArcTool:
        return {length("R:", data[0]), degrees(data[1]),
                QStringLiteral("Rad:") + fixedText(data[1] * kRadiansPerDegree, decimals)};
    case kThreePointAngleTool:
    case kFourPointAngleTool:
        return {degrees(data[0])};
    case kPolygonTool:
        return {area(data[0])};
    case kTextTool:
        return {shape.textValue};
    default:
        return {};
    }
}

} // namespace quelmar::viewer
