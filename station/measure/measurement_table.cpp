#include "measure/measurement_table.h"

#include "measure/geometry.h"

#include <cmath>
#include <initializer_list>

namespace quelmar::station {

namespace {

// One title cell: a label with the unit of value `unitOf` in parentheses ("Length(mm)"), the
// unit as written when the shape has none; unitOf -1 keeps the unit as written ("deg").
struct TitleCell {
    const char *label;
    int unitOf;
    const char *unit;
};

struct Group {
    std::initializer_list<int> kinds;
    std::initializer_list<TitleCell> titles;
    int continuousLine; // the kind whose length is the total of its segments
};

const QString kFiller1 = QStringLiteral(" ");
const QString kFiller2 = QStringLiteral("  ");

// Three value columns, or one and the two filler cells.
constexpr TitleCell kLength{"Length", 0, "mm"};
constexpr TitleCell kAngle{"Angle", -1, "deg"};

const Group kPhotoGroups[] = {
    {{int(ShapeKind::Line), int(ShapeKind::ContinuousLine)},
     {kLength},
     int(ShapeKind::ContinuousLine)},
    {{int(ShapeKind::Rectangle)},
     {{"Width", 0, "mm"}, {"Height", 1, "mm"}, {"Area", 2, "mm2"}},
     -1},
    {{int(ShapeKind::Polygon)}, {{"Area", 0, "mm2"}}, -1},
    {{int(ShapeKind::RadiusCircle), int(ShapeKind::DiameterCircle),
      int(ShapeKind::ThreePointCircle)},
     {{"Radius", 0, "mm"}, {"Circumference", 1, "mm"}, {"Area", 2, "mm2"}},
     -1},
    {{int(ShapeKind::ThreePointAngle), int(ShapeKind::FourPointAngle)}, {kAngle}, -1},
};

// Live tools: 1 line, 2 continuous line, 3 point to line, 4 polygon, 5-7 circles, 8 arc,
// 9-10 angles. The arc's third value is its length.
const Group kLiveGroups[] = {
    {{1, 2, 3}, {kLength}, 2},
    {{8}, {{"Radius", 0, "mm"}, kAngle, {"Length", 2, "mm"}}, -1},
    {{4}, {{"Area", 0, "mm2"}}, -1},
    {{5, 6, 7}, {{"Radius", 0, "mm"}, {"Circumference", 1, "mm"}, {"Area", 2, "mm2"}}, -1},
    {{9, 10}, {kAngle}, -1},
};

QStringList titleRow(const Group &group, const CGraph &shape)
{
    QStringList row{QStringLiteral("Name")};
    for (const TitleCell &t : group.titles) {
        QString unit = QLatin1String(t.unit);
        if (t.unitOf >= 0 && t.unitOf < shape.units.size() && !shape.units[t.unitOf].isEmpty())
            unit = shape.units[t.unitOf];
        row.push_back(QLatin1String(t.label) + u'(' + unit + u')');
    }
    if (row.size() == 2)
        row << kFiller1 << kFiller2;
    return row;
}

QStringList dataRow(const Group &group, const CGraph &shape)
{
    QStringList row{shape.displayName()};
    if (shape.kind == group.continuousLine) {
        row.push_back(continuousLineLength(shape));
    } else {
        for (qsizetype i = 0; i < qsizetype(group.titles.size()); ++i)
            row.push_back(shape.values.value(i));
    }
    if (row.size() == 2)
        row << kFiller1 << kFiller2;
    return row;
}

} // namespace

QStringList exportHeader()
{
    return {QStringLiteral("Name"), QStringLiteral("object1"), QStringLiteral("object2"),
            QStringLiteral("object3")};
}

QString continuousLineLength(const CGraph &shape)
{
    double sum = 0;
    for (const QString &value : shape.values)
        sum += leadingDouble(value);
    return sum == 0 || !std::isfinite(sum) ? QString() : formatValue(sum, 6);
}

std::vector<QStringList> exportRows(const ShapeList &shapes, ShapeNumbering numbering)
{
    std::vector<QStringList> rows;
    const auto emitGroup = [&](const Group &group) {
        QStringList title;
        for (qsizetype i = 0; i < shapes.count(); ++i) {
            const CGraph &shape = *shapes.at(i);
            if (shape.sequenceNumber <= 0 ||
                std::find(group.kinds.begin(), group.kinds.end(), shape.kind) == group.kinds.end())
                continue;
            QStringList t = titleRow(group, shape);
            if (t != title) {
                rows.push_back(t);
                title = std::move(t);
            }
            rows.push_back(dataRow(group, shape));
        }
    };
    if (numbering == ShapeNumbering::Photo)
        for (const Group &group : kPhotoGroups)
            emitGroup(group);
    else
        for (const Group &group : kLiveGroups)
            emitGroup(group);
    return rows;
}

} // namespace quelmar::station
