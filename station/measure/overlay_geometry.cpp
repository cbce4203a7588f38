#include "measure/overlay_geometry.h"

#include <array>
#include <charconv>

namespace quelmar::station {

namespace {

constexpr int kTickHalf = 6;
constexpr int kLabelBack = 6;                     // a label starts this far before its tick
constexpr std::array<int, 2> kLabelRows{17, -34}; // first, second label off the axis
// How far before the area's left or top edge a label may start and still show a part.
constexpr int kLabelReach = 256;

// "%.2f" with a point whatever the locale.
QString twoDecimals(double value)
{
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    return error == std::errc() ? QString::fromLatin1(buffer, end - buffer) : QString();
}

} // namespace

double pixelsPerUnit(double scale, double pixelFactor)
{
    return scale / (pixelFactor * 10);
}

double unitStep(const QString &unit)
{
    if (unit == QStringLiteral("inch"))
        return 0.01;
    if (unit == QStringLiteral("mil"))
        return 10;
    if (unit == QStringLiteral("cm"))
        return 0.1;
    return 1;
}

double pixelsPerLabel(const OverlayState &state)
{
    return state.pixelsPerUnit * unitStep(state.unit);
}

int ticksPerLabel(double referenceMagnification)
{
    return referenceMagnification <= 30 ? 4 : 20;
}

int scaleLineTickDistance(double pixelsPerLabel, double referenceMagnification)
{
    const double t = pixelsPerLabel / ticksPerLabel(referenceMagnification) + 0.5;
    // Steps that do not fit an int are as useless as steps below one pixel.
    return t >= 1 && t < 1e9 ? int(t) : 0;
}

int circleGridStep(double pixelsPerLabel)
{
    const double t = pixelsPerLabel + 0.5;
    return t >= 1 && t < 1e9 ? int(t) : 0;
}

QPoint crosshairCentre(QSize area)
{
    return {area.width() / 2, area.height() / 2};
}

QPoint scaleCentre(QSize area, bool still)
{
    const QPoint c = crosshairCentre(area);
    return still ? c : c + QPoint(1, 1);
}

QVector<QLine> centreAxes(QSize area, QPoint centre)
{
    return {QLine(0, centre.y(), area.width() - 1, centre.y()),
            QLine(centre.x(), 0, centre.x(), area.height() - 1)};
}

ScaleLineGeometry scaleLineGeometry(QSize area, QPoint centre, double pixelsPerLabel,
                                    double referenceMagnification, double unitStep)
{
    ScaleLineGeometry g;
    g.ticksPerLabel = ticksPerLabel(referenceMagnification);
    g.tickDistance = scaleLineTickDistance(pixelsPerLabel, referenceMagnification);
    if (g.tickDistance < 1)
        return g;
    const int t = g.tickDistance;
    const int ticks = g.ticksPerLabel;
    const int cx = centre.x();
    const int cy = centre.y();
    g.lines = centreAxes(area, centre);

    const auto label = [&](int k, bool negative) {
        const QString value = twoDecimals(k * unitStep);
        return negative ? QStringLiteral("-") + value : value;
    };
    // Horizontal axis: ticks across it, labels alternating below and above.
    for (int k = 0; qint64(k) * t < cx; ++k) {
        g.lines << QLine(cx + k * t, cy - kTickHalf, cx + k * t, cy + kTickHalf);
        if (k == 0)
            continue;
        g.lines << QLine(cx - k * t, cy - kTickHalf, cx - k * t, cy + kTickHalf);
        const qint64 offset = qint64(ticks) * k * t;
        const int y = cy + kLabelRows[std::size_t((k - 1) % 2)];
        if (cx - kLabelBack + offset < area.width())
            g.labels.push_back({QPoint(int(cx - kLabelBack + offset), y), label(k, false)});
        if (cx - kLabelBack - offset > -kLabelReach)
            g.labels.push_back({QPoint(int(cx - kLabelBack - offset), y), label(k, true)});
    }
    // Vertical axis: the same with x and y exchanged; positive values downwards.
    for (int k = 0; qint64(k) * t < cy; ++k) {
        g.lines << QLine(cx - kTickHalf, cy + k * t, cx + kTickHalf, cy + k * t);
        if (k == 0)
            continue;
        g.lines << QLine(cx - kTickHalf, cy - k * t, cx + kTickHalf, cy - k * t);
        const qint64 offset = qint64(ticks) * k * t;
        const int x = cx + kLabelRows[std::size_t((k - 1) % 2)];
        if (cy - kLabelBack + offset < area.height())
            g.labels.push_back({QPoint(x, int(cy - kLabelBack + offset)), label(k, false), true});
        if (cy - kLabelBack - offset > -kLabelReach)
            g.labels.push_back({QPoint(x, int(cy - kLabelBack - offset)), label(k, true), true});
    }
    return g;
}

QVector<int> circleGridRadii(int centreY, int step)
{
    QVector<int> radii;
    if (step < 1)
        return radii;
    for (int r = 0; r < centreY; r += step)
        radii << r;
    return radii;
}

} // namespace quelmar::station
