#include "measure/geometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace quelmar::station {

namespace {

// "%.*f" with a point as the decimal mark whatever the user's locale: the texts go into
// labels and exports that other programs read back.
QString fixed(double value, int digits)
{
    char buffer[512]; // the largest double with 20 decimals needs 330
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                            std::chars_format::fixed, std::clamp(digits, 0, 20));
    return error == std::errc() ? QString::fromLatin1(buffer, end - buffer) : QString();
}

double squaredDistance(QPointF a, QPointF b)
{
    const double dx = a.x() - b.x();
    const double dy = a.y() - b.y();
    return dx * dx + dy * dy;
}

// The angle in degrees between two arms from one point; nothing when an arm has no length.
std::optional<double> angleOfArms(double ux, double uy, double vx, double vy)
{
    const double lengths = std::sqrt(ux * ux + uy * uy) * std::sqrt(vx * vx + vy * vy);
    if (!(lengths > 0) || !std::isfinite(lengths))
        return std::nullopt;
    // Rounding can carry the cosine a hair past +-1, where acos has no value.
    const double cosine = std::clamp((ux * vx + uy * vy) / lengths, -1.0, 1.0);
    return std::acos(cosine) * 180 / kPi;
}

QPointF farEnd(QPointF i, QPoint first, QPoint second)
{
    // On a tie the second point of the line.
    return squaredDistance(i, first) > squaredDistance(i, second) ? QPointF(first)
                                                                  : QPointF(second);
}

Measured circleValues(double r, const MeasureUnits &u)
{
    Measured m;
    m.values = {formatValue(r * u.pixelFactor * 10 / u.scale, u.decimals),
                formatValue(kTwoPi * r * u.pixelFactor * 10 / u.scale, u.decimals),
                formatValue(kPi * r * r * u.pixelFactor * u.pixelFactor * 100 / (u.scale * u.scale),
                            u.decimals)};
    m.units = {u.unit, u.unit, areaUnit(u.unit)};
    return m;
}

} // namespace

QPointF toPicture(QPointF window, double zoom, QPoint origin)
{
    return {window.x() / zoom + origin.x(), window.y() / zoom + origin.y()};
}

QPoint truncated(QPointF p)
{
    return {int(std::trunc(p.x())), int(std::trunc(p.y()))};
}

double toLength(double pixels, const MeasureUnits &u)
{
    return pixels * u.pixelFactor * 10 / u.scale;
}

double toArea(double pixels, const MeasureUnits &u)
{
    return pixels * u.pixelFactor * u.pixelFactor * 100 / (u.scale * u.scale);
}

std::optional<double> angleBetween(QPoint a0, QPoint a1, QPoint b0, QPoint b1)
{
    // A line of no length counts as vertical, as its ends share x; only arms of no length
    // from the crossing have no angle (refused below).
    const bool aVertical = a1.x() == a0.x();
    const bool bVertical = b1.x() == b0.x();
    const double ma = aVertical ? 0 : double(a1.y() - a0.y()) / (a1.x() - a0.x());
    const double mb = bVertical ? 0 : double(b1.y() - b0.y()) / (b1.x() - b0.x());

    if ((aVertical && bVertical) || (!aVertical && !bVertical && ma == mb)) {
        const bool bothHorizontal = !aVertical && ma == 0;
        if (bothHorizontal && a1.x() < a0.x() && a0.x() < b1.x())
            return 180.0;
        if (aVertical && a1.y() < a0.y() && a0.y() < b1.y())
            return 180.0;
        return 0.0;
    }

    QPointF i;
    if (aVertical) {
        i = {double(a0.x()), mb * (a0.x() - b1.x()) + b1.y()};
    } else if (bVertical) {
        i = {double(b0.x()), ma * (b0.x() - a1.x()) + a1.y()};
    } else {
        const double x = (b1.x() * mb - b1.y() - a1.x() * ma + a1.y()) / (mb - ma);
        i = {x, ma * (x - a1.x()) + a1.y()};
    }
    const QPointF ea = farEnd(i, a0, a1);
    const QPointF eb = farEnd(i, b0, b1);
    const double ux = ea.x() - i.x(), uy = ea.y() - i.y();
    const double vx = eb.x() - i.x(), vy = eb.y() - i.y();
    return angleOfArms(ux, uy, vx, vy);
}

std::optional<QPointF> circumcentre(QPoint p1, QPoint p2, QPoint p3)
{
    // One closed formula for every case: with integer points the products are exact, so the
    // centre is the correctly rounded value, where the three-branch slope form also gives it.
    const double x1 = p1.x(), y1 = p1.y(), x2 = p2.x(), y2 = p2.y(), x3 = p3.x(), y3 = p3.y();
    const double d = 2 * (x1 * (y2 - y3) + x2 * (y3 - y1) + x3 * (y1 - y2));
    if (d == 0)
        return std::nullopt;
    const double s1 = x1 * x1 + y1 * y1, s2 = x2 * x2 + y2 * y2, s3 = x3 * x3 + y3 * y3;
    const double cx = (s1 * (y2 - y3) + s2 * (y3 - y1) + s3 * (y1 - y2)) / d;
    const double cy = (s1 * (x3 - x2) + s2 * (x1 - x3) + s3 * (x2 - x1)) / d;
    if (!std::isfinite(cx) || !std::isfinite(cy))
        return std::nullopt;
    return QPointF(cx, cy);
}

std::pair<QPoint, QPoint> endTick(QPoint end, QPoint other, int halfLength)
{
    const int h = halfLength;
    if (other.x() == end.x())
        return {{end.x() + h, end.y()}, {end.x() - h, end.y()}};
    if (other.y() == end.y())
        return {{end.x(), end.y() - h}, {end.x(), end.y() + h}};
    const double m = double(other.y() - end.y()) / (other.x() - end.x());
    const double k = h * std::sqrt(m * m / (1 + m * m));
    return {truncated({end.x() + k, end.y() - k / m}), truncated({end.x() - k, end.y() + k / m})};
}

qint64 polygonPixelArea(const QVector<QPoint> &polygon)
{
    if (polygon.size() < 3)
        return 0;
    int minX = polygon[0].x(), maxX = minX, minY = polygon[0].y(), maxY = minY;
    for (const QPoint &p : polygon) {
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    }
    // Scanlines through the pixel centres: where each edge crosses, sorted, taken in pairs.
    qint64 count = 0;
    std::vector<double> crossings;
    crossings.reserve(std::size_t(polygon.size()));
    const qsizetype n = polygon.size();
    for (int y = minY; y < maxY; ++y) {
        const double yc = y + 0.5;
        crossings.clear();
        for (qsizetype i = 0; i < n; ++i) {
            const QPoint a = polygon[i];
            const QPoint b = polygon[(i + 1) % n];
            if ((a.y() <= yc) == (b.y() <= yc))
                continue;
            crossings.push_back(a.x() + (yc - a.y()) * (b.x() - a.x()) / double(b.y() - a.y()));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
            // Pixels x with x + 0.5 in [from, to), inside [minX, maxX).
            const int first = std::max(minX, int(std::ceil(crossings[i] - 0.5)));
            const int last = std::min(maxX, int(std::ceil(crossings[i + 1] - 0.5)));
            if (last > first)
                count += last - first;
        }
    }
    return count;
}

QString formatValue(double value, int decimals)
{
    return fixed(value, decimals);
}

QString formatAngle(double degrees)
{
    return fixed(degrees, 2);
}

double leadingDouble(const QString &text)
{
    const QByteArray bytes = text.trimmed().toLatin1();
    const char *begin = bytes.constData();
    const char *const end = begin + bytes.size();
    if (begin != end && *begin == '+')
        ++begin;
    double value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    return error == std::errc() ? value : 0;
}

QString areaUnit(const QString &unit)
{
    return unit + u'2';
}

Measured measureLine(QPointF p0, QPointF p1, const MeasureUnits &u)
{
    const double dx = p1.x() - p0.x();
    const double dy = p1.y() - p0.y();
    return {{formatValue(toLength(std::sqrt(dx * dx + dy * dy), u), u.decimals)}, {u.unit}};
}

Measured measureRadiusCircle(QPoint centre, QPoint rim, const MeasureUnits &u)
{
    return circleValues(std::sqrt(squaredDistance(centre, rim)), u);
}

Measured measureDiameterCircle(QPoint end1, QPoint end2, const MeasureUnits &u)
{
    const double d = std::sqrt(squaredDistance(end1, end2));
    Measured m;
    m.values = {formatValue(d * u.pixelFactor * 10 / u.scale, u.decimals),
                formatValue(kPi * d * u.pixelFactor * 10 / u.scale, u.decimals),
                formatValue(kPi * (d / 2) * (d / 2) * u.pixelFactor * u.pixelFactor * 100 /
                                (u.scale * u.scale),
                            u.decimals)};
    m.units = {u.unit, u.unit, areaUnit(u.unit)};
    return m;
}

std::optional<Measured> measureThreePointCircle(QPoint p0, QPoint p1, QPoint p2,
                                                const MeasureUnits &u)
{
    const std::optional<QPointF> centre = circumcentre(p0, p1, p2);
    if (!centre)
        return std::nullopt;
    return circleValues(std::sqrt(squaredDistance(*centre, p1)), u);
}

Measured measureRectangle(QPoint corner1, QPoint corner2, const MeasureUnits &u)
{
    const double dx = corner2.x() - corner1.x();
    const double dy = corner2.y() - corner1.y();
    const double pf = u.pixelFactor;
    Measured m;
    m.values = {formatValue(std::fabs(dx * pf) * 10 / u.scale, u.decimals),
                formatValue(std::fabs(dy * pf) * 10 / u.scale, u.decimals),
                formatValue(std::fabs(dx * pf * pf * dy) * 100 / (u.scale * u.scale), u.decimals)};
    m.units = {u.unit, u.unit, areaUnit(u.unit)};
    return m;
}

Measured measurePolygon(const QVector<QPoint> &polygon, const MeasureUnits &u)
{
    return {{formatValue(toArea(double(polygonPixelArea(polygon)), u), u.decimals)},
            {areaUnit(u.unit)}};
}

std::optional<Measured> measureThreePointAngle(QPoint armEnd1, QPoint vertex, QPoint armEnd2)
{
    // Both arms start at the vertex: it is the intersection, exactly, even for a straight angle.
    const std::optional<double> a = angleOfArms(armEnd1.x() - vertex.x(), armEnd1.y() - vertex.y(),
                                                armEnd2.x() - vertex.x(), armEnd2.y() - vertex.y());
    if (!a)
        return std::nullopt;
    return Measured{{formatAngle(*a)}, {QStringLiteral("\u00B0")}};
}

std::optional<Measured> measureFourPointAngle(QPoint a0, QPoint a1, QPoint b0, QPoint b1)
{
    const std::optional<double> a = angleBetween(a0, a1, b0, b1);
    if (!a)
        return std::nullopt;
    return Measured{{formatAngle(*a)}, {QStringLiteral("\u00B0")}};
}

QString continuousLineTotal(const QVector<QString> &segmentValues, const QString &unit)
{
    double sum = 0;
    for (const QString &value : segmentValues)
        sum += leadingDouble(value);
    if (sum == 0 || !std::isfinite(sum))
        return {};
    return QStringLiteral("TL=") + fixed(sum, 6) + unit;
}

} // namespace quelmar::station
