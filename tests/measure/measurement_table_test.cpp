// The export tables: title rows, filler cells and the units in the titles.
#include "measure/measurement_table.h"
#include "measured_shapes.h"

#include <gtest/gtest.h>

using namespace quelmar::station;
using quelmar::test::addEveryPhotoKind;
using quelmar::test::measured;
using Rows = std::vector<QStringList>;

namespace {

const QString F1 = QStringLiteral(" ");
const QString F2 = QStringLiteral("  ");

TEST(ExportTable, PhotoGroupsInOrderWithTitlesAndFillers)
{
    ShapeState state;
    addEveryPhotoKind(state);
    const Rows expected{
        {"Name", "Length(mm)", F1, F2},
        {"DL1", "1.000", F1, F2},
        {"ML2", "3.750000", F1, F2},
        {"ML10", "", F1, F2},
        {"Name", "Width(mm)", "Height(mm)", "Area(mm2)"},
        {"RE3", "2.000", "3.000", "6.000"},
        {"Name", "Area(mm2)", F1, F2},
        {"PG4", "12.500", F1, F2},
        {"Name", "Radius(mm)", "Circumference(mm)", "Area(mm2)"},
        {"RC5", "1.000", "6.283", "3.142"},
        {"DC6", "2.000", "6.283", "3.142"},
        {"TC7", "1.500", "9.425", "7.069"},
        {"Name", "Angle(deg)", F1, F2},
        {"TA8", "90.00", F1, F2},
        {"FA9", "45.00", F1, F2},
    };
    EXPECT_EQ(exportRows(state.photoShapes, ShapeNumbering::Photo), expected);
}

TEST(ExportTable, OnlyUnmeasuredShapesGiveNoRows)
{
    ShapeList list;
    list.add(measured(int(ShapeKind::Line), 0, {""}));
    list.add(measured(int(ShapeKind::Rectangle), 0, {"", "", ""}));
    EXPECT_TRUE(exportRows(list, ShapeNumbering::Photo).empty());
    EXPECT_EQ(exportHeader(), (QStringList{"Name", "object1", "object2", "object3"}));
}

// Titles follow the unit of the values under them; a change of unit inside a group gets a
// new title row.
TEST(ExportTable, TitlesTakeTheShapesUnit)
{
    ShapeList list;
    list.add(measured(int(ShapeKind::Line), 1, {"0.039"}, QStringLiteral("inch")));
    list.add(measured(int(ShapeKind::Line), 2, {"1.000"}, QStringLiteral("mm")));
    list.add(measured(int(ShapeKind::Line), 3, {"2.000"}, QStringLiteral("mm")));
    list.add(measured(int(ShapeKind::Rectangle), 4, {"1.0", "2.0", "2.0"}, QStringLiteral("mil")));
    list.add(measured(int(ShapeKind::Polygon), 5, {"3.0"}, QStringLiteral("cm")));
    list.add(measured(int(ShapeKind::FourPointAngle), 6, {"10.00"}, QStringLiteral("cm")));
    const Rows expected{
        {"Name", "Length(inch)", F1, F2}, {"DL1", "0.039", F1, F2},
        {"Name", "Length(mm)", F1, F2},   {"DL2", "1.000", F1, F2},
        {"DL3", "2.000", F1, F2},         {"Name", "Width(mil)", "Height(mil)", "Area(mil2)"},
        {"RE4", "1.0", "2.0", "2.0"},     {"Name", "Area(cm2)", F1, F2},
        {"PG5", "3.0", F1, F2},           {"Name", "Angle(deg)", F1, F2},
        {"FA6", "10.00", F1, F2},
    };
    EXPECT_EQ(exportRows(list, ShapeNumbering::Photo), expected);
}

TEST(ExportTable, LiveGroupsByLiveToolNumber)
{
    ShapeList list;
    // Added out of group order: rows follow the groups, then list order.
    list.add(measured(10, 1, {"30.00"}, "mm", "FA"));
    list.add(measured(8, 2, {"5.000", "90.00", "7.854"}, "mm", "AR"));
    list.add(measured(1, 3, {"1.000"}, "mm", "DL"));
    list.add(measured(2, 4, {"1.000", "0.500"}, "mm", "ML"));
    list.add(measured(3, 5, {"0.250"}, "mm", "PL"));
    list.add(measured(4, 6, {"4.000"}, "mm", "PG"));
    list.add(measured(5, 7, {"1.000", "6.283", "3.142"}, "mm", "RC"));
    list.add(measured(6, 8, {"2.000", "6.283", "3.142"}, "mm", "DC"));
    list.add(measured(7, 9, {"1.000", "6.283", "3.142"}, "mm", "TC"));
    list.add(measured(9, 10, {"60.00"}, "mm", "TA"));
    list.at(1)->units[1] = QStringLiteral("\u00B0"); // the arc's angle and length
    list.at(1)->units[2] = QStringLiteral("mm");
    list.at(5)->units[0] = QStringLiteral("mm2");
    const Rows expected{
        {"Name", "Length(mm)", F1, F2},
        {"DL3", "1.000", F1, F2},
        {"ML4", "1.500000", F1, F2},
        {"PL5", "0.250", F1, F2},
        {"Name", "Radius(mm)", "Angle(deg)", "Length(mm)"},
        {"AR2", "5.000", "90.00", "7.854"},
        {"Name", "Area(mm2)", F1, F2},
        {"PG6", "4.000", F1, F2},
        {"Name", "Radius(mm)", "Circumference(mm)", "Area(mm2)"},
        {"RC7", "1.000", "6.283", "3.142"},
        {"DC8", "2.000", "6.283", "3.142"},
        {"TC9", "1.000", "6.283", "3.142"},
        {"Name", "Angle(deg)", F1, F2},
        {"FA1", "30.00", F1, F2},
        {"TA10", "60.00", F1, F2},
    };
    EXPECT_EQ(exportRows(list, ShapeNumbering::Live), expected);
}

TEST(ExportTable, ShapeWithMissingValuesGivesEmptyCells)
{
    ShapeList list;
    list.add(measured(int(ShapeKind::RadiusCircle), 1, {"1.000"}));
    const Rows expected{{"Name", "Radius(mm)", "Circumference(mm)", "Area(mm2)"},
                        {"RC1", "1.000", "", ""}};
    EXPECT_EQ(exportRows(list, ShapeNumbering::Photo), expected);
}

} // namespace
