// The live view's own arithmetic against values computed apart from this code
// (tools/live-reference.py): point to line, three-point arc, scale line and circle grid.
#include "measure/calibration.h"
#include "measure/live_geometry.h"
#include "measure/overlay_geometry.h"
#include "temp_home.h"

#include <QFile>
#include <QRect>
#include <gtest/gtest.h>

using namespace quelmar::station;

namespace {

QVector<QStringList> referenceRows(const QString &kind)
{
    QFile file(quelmar::test::sourceDir() +
               QStringLiteral("/tests/measure/live_reference_values.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QVector<QStringList> rows;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(kind + u';'))
            rows.push_back(line.split(u';'));
    }
    EXPECT_FALSE(rows.isEmpty()) << kind.toStdString();
    return rows;
}

QPoint point(const QString &text)
{
    return {text.section(u',', 0, 0).toInt(), text.section(u',', 1, 1).toInt()};
}

QVector<QPoint> points(const QString &text)
{
    QVector<QPoint> result;
    for (const QString &p : text.split(u' '))
        result << point(p);
    return result;
}

// Fields from `first`: sensor class, width, height, unit, scale, decimals.
MeasureUnits liveUnits(const QStringList &f, int first)
{
    MeasureUnits u;
    u.unit = f[first + 3];
    u.pixelFactor = pixelFactor(f[first].toInt(), QSize(f[first + 1].toInt(), f[first + 2].toInt()),
                                u.unit, false);
    u.scale = f[first + 4].toDouble();
    u.decimals = f[first + 5].toInt();
    return u;
}

TEST(LiveReference, PointToLineFootAndDistance)
{
    for (const QStringList &f : referenceRows(QStringLiteral("PointToLine"))) {
        SCOPED_TRACE(f.join(u';').toStdString());
        const QVector<QPoint> p = points(f[1]);
        const PointToLine r = pointToLine(p[0], p[1], p[2]);
        EXPECT_EQ(r.foot, point(f[8]));
        const Measured m = measurePointToLine(r, liveUnits(f, 2));
        EXPECT_EQ(m.values, QVector<QString>{f[9]});
        EXPECT_EQ(m.units, QVector<QString>{f[5]});
    }
}

TEST(LiveReference, ThreePointArcCentreRadiusAngleAndLength)
{
    for (const QStringList &f : referenceRows(QStringLiteral("ThreePointArc"))) {
        SCOPED_TRACE(f.join(u';').toStdString());
        const QVector<QPoint> p = points(f[1]);
        const std::optional<ThreePointArc> arc = threePointArc(p[0], p[1], p[2]);
        ASSERT_TRUE(arc);
        EXPECT_EQ(arc->centre, point(f[8]));
        EXPECT_EQ(arc->radius, f[9].toInt());
        const Measured m = measureThreePointArc(*arc, liveUnits(f, 2));
        EXPECT_EQ(m.values, QVector<QString>(f[10].split(u'|')));
        EXPECT_EQ(m.units, (QVector<QString>{f[5], QStringLiteral("\u00B0"), f[5]}));
    }
}

// Fields 1..9: class, width, height, unit, scale, area width, area height, still, overlay
// scale. The pixels per label as the overlays get them when switched on at that scale.
struct OverlayCase {
    QSize area;
    bool still;
    double perLabel;
    double magnification;
    double step;
};

OverlayCase overlayCase(const QStringList &f)
{
    OverlayState state;
    state.unit = f[4];
    state.referenceMagnification = f[5].toDouble();
    state.pixelsPerUnit =
        pixelsPerUnit(state.referenceMagnification,
                      pixelFactor(f[1].toInt(), QSize(f[2].toInt(), f[3].toInt()), f[4], false));
    const bool still = f[8] == u'1';
    return {QSize(f[6].toInt(), f[7].toInt()), still,
            pixelsPerLabel(state) * (still ? f[9].toDouble() : 1.0), state.referenceMagnification,
            unitStep(state.unit)};
}

TEST(LiveReference, ScaleLineTicksAndTheLabelsInsideThePicture)
{
    for (const QStringList &f : referenceRows(QStringLiteral("ScaleLine"))) {
        SCOPED_TRACE(f.join(u';').left(120).toStdString());
        const OverlayCase c = overlayCase(f);
        const QPoint centre = scaleCentre(c.area, c.still);
        EXPECT_EQ(centre, point(f[12]));
        const ScaleLineGeometry g =
            scaleLineGeometry(c.area, centre, c.perLabel, c.magnification, c.step);
        EXPECT_EQ(g.ticksPerLabel, f[10].toInt());
        EXPECT_EQ(g.tickDistance, f[11].toInt());
        // Two axes, the centre tick and a pair per further tick on each axis.
        EXPECT_EQ(g.lines.size(), 2 + (2 * f[13].toInt() - 1) + (2 * f[14].toInt() - 1));
        QStringList inside;
        for (const ScaleLabel &l : g.labels)
            if (QRect(QPoint(0, 0), c.area).contains(l.topLeft))
                inside
                    << QStringLiteral("%1,%2,%3").arg(l.topLeft.x()).arg(l.topLeft.y()).arg(l.text);
        EXPECT_EQ(inside.join(u'|'), f.value(15));
    }
}

TEST(LiveReference, CircleGridStepAndRadii)
{
    for (const QStringList &f : referenceRows(QStringLiteral("CircleGrid"))) {
        SCOPED_TRACE(f.join(u';').toStdString());
        const OverlayCase c = overlayCase(f);
        const int step = circleGridStep(c.perLabel);
        EXPECT_EQ(step, f[10].toInt());
        const QVector<int> radii = circleGridRadii(scaleCentre(c.area, c.still).y(), step);
        ASSERT_EQ(radii.size(), f[11].toInt());
        EXPECT_EQ(radii.constLast(), f[12].toInt());
    }
}

} // namespace
