// Files written by the spreadsheet export, read back by freexl (.xls), openpyxl (.xlsx) and
// Python's csv module: every cell compared, appending, refusals and limits.
#include "outside_sheets.h"
#include "spreadsheet/biff8_writer.h"
#include "spreadsheet/spreadsheet.h"
#include "spreadsheet/xls_file.h"
#include "temp_home.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace quelmar::spreadsheet {
namespace {

using test::outsideSheetRows;
using test::readAll;
using test::trimmedRows;

const QStringList kHeader{"Name", "object1", "object2", "object3"};

std::vector<QStringList> firstRows()
{
    return {
        {"Name", "Length(mm)", " ", "  "},
        {"DL1", "1.234", " ", "  "},
        {"ML2", "", " ", "  "}, // a continuous line of total 0
        {QString::fromUtf8("µm Ωmega ✓ 日本語"), "a,\"quoted\"", "two\nlines", "x"},
        {"long", QString(255, QChar(u'Ж')), QString(255, QChar(u'e')), ""},
    };
}

std::vector<QStringList> secondRows()
{
    return {{"Name", "Angle(deg)", " ", "  "}, {"TA3", "90.00", " ", "  "}};
}

bool exportRows(const QString &path, const std::vector<QStringList> &rows, QString *error = nullptr)
{
    SpreadSheet sheet(path, QStringLiteral("ExportData"), true);
    bool ok = sheet.addHeaders(kHeader);
    for (const QStringList &row : rows)
        ok = sheet.addRow(row) && ok;
    ok = sheet.commit() && ok;
    if (error)
        *error = sheet.lastError();
    return ok;
}

std::vector<QStringList> withHeader(std::vector<QStringList> rows)
{
    rows.insert(rows.begin(), kHeader);
    return trimmedRows(std::move(rows));
}

std::vector<QStringList> concat(std::vector<QStringList> a, const std::vector<QStringList> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class SpreadsheetFormat : public ::testing::TestWithParam<const char *> {
protected:
    QString path(const QString &stem = QStringLiteral("export")) const
    {
        return dir_.filePath(stem + QLatin1String(GetParam()));
    }
    bool isWorkbook() const { return QLatin1String(GetParam()) != QLatin1String(".csv"); }
    // The export's table: the sheet in a workbook, the whole file as text.
    std::optional<std::vector<QStringList>> table(const QString &file) const
    {
        return outsideSheetRows(file, isWorkbook() ? QStringLiteral("ExportData") : QString());
    }

    QTemporaryDir dir_;
};

TEST_P(SpreadsheetFormat, EveryCellReadsBackOutside)
{
    ASSERT_TRUE(exportRows(path(), firstRows()));
    const auto sheets = test::readSheetsOutside(path());
    ASSERT_TRUE(sheets);
    ASSERT_EQ(sheets->size(), 1u); // no backup sheet for a new file
    EXPECT_EQ(sheets->front().name, isWorkbook() ? QStringLiteral("ExportData") : QString());
    EXPECT_EQ(sheets->front().rows, withHeader(firstRows()));
    EXPECT_TRUE(sheets->front().types.isEmpty()) << sheets->front().types.join(u',').toStdString();
}

TEST_P(SpreadsheetFormat, SecondExportAppendsAndKeepsTheFirstAsBackup)
{
    ASSERT_TRUE(exportRows(path(), firstRows()));
    const QByteArray firstFile = readAll(path());
    ASSERT_TRUE(exportRows(path(), secondRows()));

    EXPECT_EQ(table(path()), withHeader(concat(firstRows(), secondRows())));
    if (isWorkbook()) {
        const auto sheets = test::readSheetsOutside(path());
        ASSERT_TRUE(sheets);
        ASSERT_EQ(sheets->size(), 2u);
        EXPECT_EQ(sheets->at(0).name, QStringLiteral("ExportData"));
        EXPECT_EQ(sheets->at(1).name, QStringLiteral("CSpreadSheetBackup"));
        EXPECT_EQ(sheets->at(1).rows, withHeader(firstRows()));
    } else {
        EXPECT_EQ(readAll(path() + QStringLiteral(".bak")), firstFile);
    }

    // A third export backs up what the second one left.
    ASSERT_TRUE(exportRows(path(), secondRows()));
    EXPECT_EQ(table(path()), withHeader(concat(concat(firstRows(), secondRows()), secondRows())));
    if (isWorkbook()) {
        EXPECT_EQ(outsideSheetRows(path(), QStringLiteral("CSpreadSheetBackup")),
                  withHeader(concat(firstRows(), secondRows())));
    }
}

TEST_P(SpreadsheetFormat, WithoutBackupNoBackupIsMade)
{
    ASSERT_TRUE(exportRows(path(), firstRows()));
    SpreadSheet sheet(path(), QStringLiteral("ExportData"), false);
    ASSERT_TRUE(sheet.addHeaders(kHeader));
    ASSERT_TRUE(sheet.addRow({"X1"}));
    ASSERT_TRUE(sheet.commit());
    const auto sheets = test::readSheetsOutside(path());
    ASSERT_TRUE(sheets);
    EXPECT_EQ(sheets->size(), 1u);
    EXPECT_FALSE(QFile::exists(path() + QStringLiteral(".bak")));
}

// Many long strings, a third of them outside Latin-1: the shared strings of an .xls run
// over many CONTINUE records, split inside 8-bit and 16-bit strings; appending reads them.
TEST_P(SpreadsheetFormat, ThousandsOfLongStringsSurviveAppending)
{
    std::vector<QStringList> rows;
    for (int i = 0; i < 900; ++i) {
        const QChar fill = i % 3 == 0 ? QChar(u'Ü') : i % 3 == 1 ? QChar(u'Ж') : QChar(u'q');
        rows.push_back({QStringLiteral("R%1").arg(i),
                        QString(200 + i % 52, fill) + QString::number(i), QString::number(i * 7),
                        " "});
    }
    ASSERT_TRUE(exportRows(path(), rows));
    ASSERT_TRUE(exportRows(path(), secondRows()));
    EXPECT_EQ(table(path()), withHeader(concat(rows, secondRows())));
}

TEST_P(SpreadsheetFormat, OnlyAHeaderRow)
{
    ASSERT_TRUE(exportRows(path(), {}));
    EXPECT_EQ(table(path()), std::vector<QStringList>{kHeader});
}

TEST_P(SpreadsheetFormat, UnreadableFileIsLeftUntouched)
{
    const char raw[] = "PK\x03\x04 this is no workbook \"open quote\xff\xfe";
    const QByteArray junk(raw, qsizetype(sizeof raw) - 1);
    ASSERT_TRUE(test::writeAll(path(), junk));
    SpreadSheet sheet(path(), QStringLiteral("ExportData"), true);
    EXPECT_EQ(sheet.fileStatus(), FileStatus::Unreadable);
    EXPECT_FALSE(sheet.addHeaders(kHeader));
    EXPECT_FALSE(sheet.commit());
    EXPECT_EQ(sheet.lastError(), QStringLiteral("Error reading row\n"));
    EXPECT_EQ(readAll(path()), junk);
}

TEST_P(SpreadsheetFormat, FailedWriteIsReported)
{
    const QString missingDir = dir_.filePath(QStringLiteral("no/such/dir/x")) + GetParam();
    QString error;
    EXPECT_FALSE(exportRows(missingDir, firstRows(), &error));
    EXPECT_EQ(error, QStringLiteral("Error writing file\n"));
    EXPECT_FALSE(QFile::exists(missingDir));
}

INSTANTIATE_TEST_SUITE_P(Formats, SpreadsheetFormat, ::testing::Values(".xls", ".xlsx", ".csv"),
                         [](const auto &info) { return std::string(info.param + 1); });

TEST(SpreadsheetExtension, CaseOfTheExtensionDoesNotMatter)
{
    QTemporaryDir dir;
    const QString xls = dir.filePath(QStringLiteral("UPPER.XLS"));
    ASSERT_TRUE(exportRows(xls, secondRows()));
    EXPECT_EQ(outsideSheetRows(xls, QStringLiteral("ExportData")), withHeader(secondRows()));
}

// The format's limits give an error and leave the file as it was, never a cut.
struct LimitCase {
    const char *name;
    const char *suffix;
    int rows;
    int cellChars;
};

class SpreadsheetLimits : public ::testing::TestWithParam<LimitCase> {};

TEST_P(SpreadsheetLimits, RefusedWholeAndFileUntouched)
{
    const LimitCase &c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big")) + c.suffix;
    ASSERT_TRUE(exportRows(path, secondRows()));
    const QByteArray before = readAll(path);

    std::vector<QStringList> rows(std::size_t(c.rows), QStringList{"DL1", "1.0"});
    rows.back()[1] = QString(c.cellChars, QChar(u'x'));
    SpreadSheet sheet(path, QStringLiteral("ExportData"), true);
    ASSERT_TRUE(sheet.addHeaders(kHeader));
    for (const QStringList &row : rows)
        sheet.addRow(row);
    EXPECT_FALSE(sheet.commit());
    EXPECT_EQ(sheet.fileStatus(), FileStatus::TooLarge);
    EXPECT_EQ(readAll(path), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, SpreadsheetLimits,
                         ::testing::Values(LimitCase{"XlsRows", ".xls", 65536 - 2,
                                                     1}, // header, 2 old rows and 65,534 new
                                           LimitCase{"XlsCell", ".xls", 1, 256},
                                           LimitCase{"XlsxCell", ".xlsx", 1, 256}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SpreadsheetLimits, LastRowThatFitsIsWritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.xls"));
    std::vector<QStringList> rows(65535, QStringList{"DL1", QString(255, QChar(u'y'))});
    ASSERT_TRUE(exportRows(path, rows));
    const auto back = outsideSheetRows(path, QStringLiteral("ExportData"));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->size(), 65536u);
    EXPECT_EQ(back->back(), rows.back());
}

} // namespace
} // namespace quelmar::spreadsheet
