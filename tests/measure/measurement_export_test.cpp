// "Export to excel" end to end: the file dialog, the workbook read back by outside readers,
// appending, and failures told to the user.
#include "base/language.h"
#include "measure/measurement_export.h"
#include "measured_shapes.h"
#include "outside_sheets.h"
#include "scripted_prompt.h"
#include "temp_home.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quelmar::station;
using quelmar::test::addEveryPhotoKind;
using quelmar::test::measured;
using quelmar::test::outsideSheetRows;
using quelmar::test::ScriptedPrompt;
using Rows = std::vector<QStringList>;

namespace {

class MeasurementExport : public ::testing::Test {
protected:
    ExportResult exportTo(const QString &path, const ShapeList &shapes,
                          ShapeNumbering numbering = ShapeNumbering::Photo)
    {
        prompt_.fileAnswers.push_back(path);
        return exportMeasurements(shapes, numbering, prompt_, language_);
    }
    Rows expected(const ShapeList &shapes, ShapeNumbering numbering = ShapeNumbering::Photo) const
    {
        Rows rows = exportRows(shapes, numbering);
        rows.insert(rows.begin(), exportHeader());
        return quelmar::test::trimmedRows(rows);
    }

    QTemporaryDir dir_;
    ScriptedPrompt prompt_;
    Language language_; // no file: the English defaults
    ShapeState state_;
};

TEST_F(MeasurementExport, CancelledDialogWritesNothing)
{
    addEveryPhotoKind(state_);
    EXPECT_EQ(exportMeasurements(state_.photoShapes, ShapeNumbering::Photo, prompt_, language_),
              ExportResult::Cancelled);
    ASSERT_EQ(prompt_.fileRequests.size(), 1u);
    EXPECT_EQ(prompt_.fileRequests[0].defaultSuffix, QStringLiteral("xls"));
    EXPECT_TRUE(prompt_.fileRequests[0].confirmOverwrite);
    EXPECT_TRUE(prompt_.fileRequests[0].filter.contains(QLatin1String("*.xlsx")));
    EXPECT_TRUE(prompt_.messages.empty());
    EXPECT_TRUE(QDir(dir_.path()).isEmpty());
}

TEST_F(MeasurementExport, OnlyUnmeasuredShapesExportTheHeaderRow)
{
    state_.photoShapes.add(measured(int(ShapeKind::Line), 0, {""}));
    const QString path = dir_.filePath(QStringLiteral("plain.xls"));
    ASSERT_EQ(exportTo(path, state_.photoShapes), ExportResult::Written);
    EXPECT_EQ(outsideSheetRows(path, QStringLiteral("ExportData")), Rows{exportHeader()});
}

class MeasurementExportTwice : public MeasurementExport,
                               public ::testing::WithParamInterface<const char *> {};

TEST_P(MeasurementExportTwice, BothExportsInExportDataTheFirstInTheBackup)
{
    addEveryPhotoKind(state_);
    const QString path = dir_.filePath(QStringLiteral("m")) + GetParam();
    ASSERT_EQ(exportTo(path, state_.photoShapes), ExportResult::Written);
    const Rows first = expected(state_.photoShapes);
    EXPECT_EQ(outsideSheetRows(path, QStringLiteral("ExportData")), first);

    ShapeList second;
    second.add(measured(int(ShapeKind::Polygon), 11, {"99.000"}));
    ASSERT_EQ(exportTo(path, second), ExportResult::Written);
    Rows both = first;
    const Rows added = exportRows(second, ShapeNumbering::Photo);
    both.insert(both.end(), added.begin(), added.end());
    EXPECT_EQ(outsideSheetRows(path, QStringLiteral("ExportData")), both);
    EXPECT_EQ(outsideSheetRows(path, QStringLiteral("CSpreadSheetBackup")), first);
    EXPECT_TRUE(prompt_.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Workbooks, MeasurementExportTwice, ::testing::Values(".xls", ".xlsx"),
                         [](const auto &info) { return std::string(info.param + 1); });

TEST_F(MeasurementExport, LiveShapesToATypedCsv)
{
    state_.liveShapes.add(measured(8, 1, {"5.000", "90.00", "7.854"}, "mm", "AR"));
    state_.liveShapes.add(measured(2, 2, {"1.000", "0.500"}, "mm", "ML"));
    const QString path = dir_.filePath(QStringLiteral("live.csv"));
    ASSERT_EQ(exportTo(path, state_.liveShapes, ShapeNumbering::Live), ExportResult::Written);
    EXPECT_EQ(outsideSheetRows(path, QString()), expected(state_.liveShapes, ShapeNumbering::Live));
}

struct FailureCase {
    const char *name;
    const char *message;
};

class MeasurementExportFailure : public MeasurementExport,
                                 public ::testing::WithParamInterface<FailureCase> {};

TEST_P(MeasurementExportFailure, ToldAndFileLeftAsItWas)
{
    const std::string kind = GetParam().name;
    addEveryPhotoKind(state_);
    QString path = dir_.filePath(QStringLiteral("book.xlsx"));
    QByteArray before;
    if (kind == "Unwritable") {
        path = dir_.filePath(QStringLiteral("missing/book.xls"));
    } else if (kind == "Unreadable") {
        before = "not a workbook";
        ASSERT_TRUE(quelmar::test::writeAll(path, before));
    } else if (kind == "Foreign") {
        int exitCode = -1;
        quelmar::test::runTool(
            quelmar::test::systemPython(),
            {quelmar::test::sourceDir() +
                 QStringLiteral("/tests/common/spreadsheet/make_foreign_workbook.py"),
             QStringLiteral("other-sheet"), path},
            &exitCode);
        ASSERT_EQ(exitCode, 0);
        before = quelmar::test::readAll(path);
    } else if (kind == "TooLong") {
        state_.photoShapes.at(0)->values[0] = QString(256, QChar(u'9'));
    }
    EXPECT_EQ(exportTo(path, state_.photoShapes), ExportResult::Failed);
    ASSERT_EQ(prompt_.messages.size(), 1u);
    EXPECT_EQ(prompt_.messages[0].title, QStringLiteral("Quelmar"));
    EXPECT_TRUE(prompt_.messages[0].text.startsWith(QLatin1String(GetParam().message)))
        << prompt_.messages[0].text.toStdString();
    EXPECT_EQ(quelmar::test::readAll(path), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, MeasurementExportFailure,
                         ::testing::Values(FailureCase{"Unwritable", "Save fail"},
                                           FailureCase{"Unreadable", "Save fail"},
                                           FailureCase{"Foreign",
                                                       "This workbook holds other sheets"},
                                           FailureCase{"TooLong", "The measurements do not fit"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(MeasurementExport, FailureTextComesFromTheLanguageFile)
{
    quelmar::test::TempHome home;
    QFile file(home.file(QStringLiteral("German1252.ini")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[DeskCap]\r\nSaveFail=Speichern fehlgeschlagen\r\nMsgTitle=Q\r\n");
    file.close();
    Language german(home.path());
    german.choose({7, 0});
    addEveryPhotoKind(state_);
    prompt_.fileAnswers.push_back(dir_.filePath(QStringLiteral("missing/x.xls")));
    EXPECT_EQ(exportMeasurements(state_.photoShapes, ShapeNumbering::Photo, prompt_, german),
              ExportResult::Failed);
    ASSERT_EQ(prompt_.messages.size(), 1u);
    EXPECT_EQ(prompt_.messages[0].text, QStringLiteral("Speichern fehlgeschlagen"));
    EXPECT_EQ(prompt_.messages[0].title, QStringLiteral("Q"));
}

} // namespace
