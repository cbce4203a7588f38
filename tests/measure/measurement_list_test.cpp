// The measurement list: its tabs and rows, picking a row, deleting by the shape shown, and
// "Delete all"; the dialog over it with real clicks.
#include "base/language.h"
#include "measure/measurement_list.h"
#include "measure/measurement_property_dlg.h"
#include "measured_shapes.h"
#include "outside_sheets.h"
#include "scripted_prompt.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace quelmar::station;
using quelmar::test::addEveryPhotoKind;
using quelmar::test::measured;
using Rows = std::vector<QStringList>;

namespace {

Rows cellsOf(const MeasurementList &list)
{
    Rows rows;
    for (const auto &row : list.rows())
        rows.push_back(row.cells);
    return rows;
}

struct TabCase {
    int tab;
    QStringList columns;
    Rows rows;
};

class MeasurementListTabs : public ::testing::TestWithParam<TabCase> {};

TEST_P(MeasurementListTabs, ColumnsAndRowsOfMeasuredShapesInListOrder)
{
    ShapeState state;
    addEveryPhotoKind(state);
    MeasurementList list(&state);
    list.setTab(GetParam().tab);
    EXPECT_EQ(MeasurementList::columns(GetParam().tab), GetParam().columns);
    EXPECT_EQ(cellsOf(list), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Tabs, MeasurementListTabs,
    ::testing::Values(
        // The continuous line shows its total ("%f"), empty when it is 0.
        TabCase{0,
                {"ID", "Name", "Length", "", ""},
                {{"1", "DL1", "1.000", "", ""},
                 {"2", "ML2", "3.750000", "", ""},
                 {"10", "ML10", "", "", ""}}},
        TabCase{1,
                {"ID", "Name", "Width", "Height", "Area"},
                {{"3", "RE3", "2.000", "3.000", "6.000"}}},
        TabCase{2, {"ID", "Name", "Area", "", ""}, {{"4", "PG4", "12.500", "", ""}}},
        // The diameter circle's diameter stands in the Radius column.
        TabCase{3,
                {"ID", "Name", "Radius", "Circumference", "Area"},
                {{"5", "RC5", "1.000", "6.283", "3.142"},
                 {"6", "DC6", "2.000", "6.283", "3.142"},
                 {"7", "TC7", "1.500", "9.425", "7.069"}}},
        TabCase{4,
                {"ID", "Name", "Angle", "", ""},
                {{"8", "TA8", "90.00", "", ""}, {"9", "FA9", "45.00", "", ""}}}),
    [](const auto &info) { return "Tab" + std::to_string(info.param.tab); });

TEST(MeasurementList, ClickSelectsExactlyTheShapeShownEvenAfterADeletionOnTheCanvas)
{
    ShapeState state;
    addEveryPhotoKind(state);
    MeasurementList list(&state);
    // The canvas deletes DL1 without the list being refreshed: row 1 still shows ML2.
    state.photoShapes.remove(0);
    ASSERT_TRUE(list.clickRow(1));
    for (qsizetype i = 0; i < state.photoShapes.count(); ++i)
        EXPECT_EQ(state.photoShapes.at(i)->selected,
                  state.photoShapes.at(i)->displayName() == QLatin1String("ML2") ? 1 : 0);
    // Row 0 shows the deleted DL1: nothing is selected, the rows are rebuilt.
    EXPECT_FALSE(list.clickRow(0));
    EXPECT_EQ(list.rememberedRow(), -1);
    EXPECT_EQ(list.rows().front().name, QStringLiteral("ML2"));
}

TEST(MeasurementList, DeleteRemovesTheShapeOfTheRowClickedNotTheRowIndex)
{
    ShapeState state;
    addEveryPhotoKind(state);
    MeasurementList list(&state);
    ASSERT_TRUE(list.clickRow(1)); // ML2
    state.photoShapes.remove(0);   // DL1 deleted on the canvas
    const qsizetype before = state.photoShapes.count();
    ASSERT_TRUE(list.deleteRemembered());
    EXPECT_EQ(state.photoShapes.count(), before - 1);
    for (qsizetype i = 0; i < state.photoShapes.count(); ++i)
        EXPECT_NE(state.photoShapes.at(i)->displayName(), QStringLiteral("ML2"));
    EXPECT_EQ(list.rememberedRow(), -1); // rebuilt: nothing remembered
    EXPECT_FALSE(list.deleteRemembered());
    EXPECT_EQ(state.photoShapes.count(), before - 1);
}

TEST(MeasurementList, DeleteOfAShapeAlreadyGoneDoesNothing)
{
    ShapeState state;
    addEveryPhotoKind(state);
    MeasurementList list(&state);
    ASSERT_TRUE(list.clickRow(0)); // DL1
    state.photoShapes.remove(0);
    const qsizetype before = state.photoShapes.count();
    EXPECT_FALSE(list.deleteRemembered());
    EXPECT_EQ(state.photoShapes.count(), before);
}

TEST(MeasurementList, RebuildForgetsTheRow)
{
    ShapeState state;
    addEveryPhotoKind(state);
    MeasurementList list(&state);
    ASSERT_TRUE(list.clickRow(0));
    list.rebuild();
    EXPECT_FALSE(list.deleteRemembered());
    EXPECT_EQ(state.photoShapes.count(), 12);
}

TEST(MeasurementList, DeleteAllWithARowDestroysEverythingAndRestartsNumbers)
{
    ShapeState state;
    addEveryPhotoKind(state);
    MeasurementList list(&state);
    ASSERT_TRUE(list.clickRow(0));
    EXPECT_TRUE(list.deleteAll());
    EXPECT_EQ(state.photoShapes.count(), 0);
    EXPECT_EQ(state.counter.value(), 0);
    EXPECT_TRUE(list.rows().empty());
}

TEST(MeasurementList, DeleteAllWithoutARowKeepsNumbersInUse)
{
    ShapeState state;
    addEveryPhotoKind(state);
    MeasurementList list(&state);
    EXPECT_FALSE(list.deleteAll());
    EXPECT_EQ(state.photoShapes.count(), 12);
    EXPECT_EQ(state.counter.value(), 10); // the next shape is 11, not a number in use

    state.photoShapes.removeAll();
    EXPECT_FALSE(list.deleteAll());
    EXPECT_EQ(state.counter.value(), 0); // nothing left: the numbering restarts
}

TEST(MeasurementList, WithoutShapesThereAreNoRows)
{
    MeasurementList list;
    EXPECT_TRUE(list.rows().empty());
    EXPECT_FALSE(list.clickRow(0));
    EXPECT_FALSE(list.deleteRemembered());
    EXPECT_FALSE(list.deleteAll());
}

// --- The dialog ---------------------------------------------------------------------------

class MeasurementDialog : public ::testing::Test {
protected:
    MeasurementDialog() : dlg_(&state_, prompt_, language_)
    {
        addEveryPhotoKind(state_);
        dlg_.refresh();
        dlg_.show();
    }
    void clickRow(int row)
    {
        QTableWidget *t = dlg_.table();
        const QRect r = t->visualRect(t->model()->index(row, 1));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, r.center());
    }
    QString cell(int row, int column) const
    {
        const QTableWidgetItem *item = dlg_.table()->item(row, column);
        return item ? item->text() : QString();
    }

    ShapeState state_;
    quelmar::test::ScriptedPrompt prompt_;
    Language language_;
    CMeasurementPropertyDlg dlg_;
};

TEST_F(MeasurementDialog, ModelessWithFiveTabsAndTheirColumns)
{
    EXPECT_FALSE(dlg_.isModal());
    ASSERT_EQ(dlg_.tabBar()->count(), 5);
    const QStringList tabs{"Line", "Rectangle", "Polygon", "Circle", "Angle"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(dlg_.tabBar()->tabText(i), tabs[i]);
    EXPECT_EQ(dlg_.deleteAllButton()->text(), QStringLiteral("DeleteAll"));
    EXPECT_EQ(dlg_.exportButton()->text(), QStringLiteral("Export2Excel"));
    EXPECT_EQ(dlg_.table()->rowCount(), 3);
    dlg_.tabBar()->setCurrentIndex(3);
    EXPECT_EQ(dlg_.table()->horizontalHeaderItem(3)->text(), QStringLiteral("Circumference"));
    ASSERT_EQ(dlg_.table()->rowCount(), 3);
    EXPECT_EQ(cell(1, 1), QStringLiteral("DC6"));
    EXPECT_EQ(cell(1, 2), QStringLiteral("2.000"));
}

TEST_F(MeasurementDialog, RowClickSelectsTheShapeAndAsksForARedraw)
{
    QSignalSpy redraw(&dlg_, &CMeasurementPropertyDlg::canvasRedrawRequested);
    clickRow(1);
    EXPECT_EQ(redraw.count(), 1);
    EXPECT_EQ(state_.photoShapes.at(1)->selected, 1); // ML2
    EXPECT_EQ(state_.photoShapes.at(0)->selected, 0);
}

TEST_F(MeasurementDialog, DeleteButtonDeletesTheClickedShape)
{
    QSignalSpy redraw(&dlg_, &CMeasurementPropertyDlg::canvasRedrawRequested);
    dlg_.tabBar()->setCurrentIndex(4);
    clickRow(1); // FA9
    QTest::mouseClick(dlg_.deleteButton(), Qt::LeftButton);
    EXPECT_EQ(redraw.count(), 2);
    ASSERT_EQ(dlg_.table()->rowCount(), 1);
    EXPECT_EQ(cell(0, 1), QStringLiteral("TA8"));
    EXPECT_EQ(state_.photoShapes.count(), 11);
    // Without a new click Delete does nothing.
    QTest::mouseClick(dlg_.deleteButton(), Qt::LeftButton);
    EXPECT_EQ(state_.photoShapes.count(), 11);
}

TEST_F(MeasurementDialog, DeleteAllButtonWithARowEmptiesEverything)
{
    clickRow(0);
    QTest::mouseClick(dlg_.deleteAllButton(), Qt::LeftButton);
    EXPECT_EQ(state_.photoShapes.count(), 0);
    EXPECT_EQ(dlg_.table()->rowCount(), 0);
    EXPECT_EQ(state_.counter.value(), 0);
}

// A new canvas empties the photo shapes; the list shows that and never touches the old ones.
TEST_F(MeasurementDialog, NewCanvasAndNoCanvas)
{
    clickRow(0);
    state_.clearPhotoShapes();
    state_.photoShapes.add(measured(int(ShapeKind::Polygon), 1, {"5.000"}));
    dlg_.setShapeState(&state_);
    EXPECT_EQ(dlg_.table()->rowCount(), 0);
    QTest::mouseClick(dlg_.deleteButton(), Qt::LeftButton);
    EXPECT_EQ(state_.photoShapes.count(), 1);
    dlg_.tabBar()->setCurrentIndex(2);
    EXPECT_EQ(dlg_.table()->rowCount(), 1);

    dlg_.setShapeState(nullptr);
    EXPECT_EQ(dlg_.table()->rowCount(), 0);
    QTest::mouseClick(dlg_.deleteAllButton(), Qt::LeftButton);
    QTest::mouseClick(dlg_.exportButton(), Qt::LeftButton);
    EXPECT_EQ(state_.photoShapes.count(), 1);
    EXPECT_TRUE(prompt_.fileRequests.empty());
}

TEST_F(MeasurementDialog, ExportButtonWritesTheWorkbook)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.xls"));
    prompt_.fileAnswers.push_back(path);
    QTest::mouseClick(dlg_.exportButton(), Qt::LeftButton);
    const auto rows = quelmar::test::outsideSheetRows(path, QStringLiteral("ExportData"));
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->size(), 16u); // the header and 15 rows
    EXPECT_EQ(rows->at(3), (QStringList{"ML2", "3.750000", " ", "  "}));
}

} // namespace
