// The header and row rules with their error texts, and workbooks that hold more than plain
// text: refused, and left byte for byte as they were.
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

using test::readAll;

const QStringList kHeader{"Name", "object1", "object2", "object3"};

// Each case: what the file held before (a header row or none), then the operations.
struct RuleCase {
    const char *name;
    QStringList existingHeader; // empty: no file
    QStringList header;         // empty: no header added
    QStringList row;
    bool headerAccepted;
    bool rowAccepted;
    const char *error;
};

class SpreadsheetRules : public ::testing::TestWithParam<std::tuple<RuleCase, const char *>> {};

TEST_P(SpreadsheetRules, ErrorTexts)
{
    const auto &[c, suffix] = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rules")) + suffix;
    if (!c.existingHeader.isEmpty()) {
        SpreadSheet first(path, QStringLiteral("ExportData"), true);
        ASSERT_TRUE(first.addHeaders(c.existingHeader));
        ASSERT_TRUE(first.commit());
    }
    SpreadSheet sheet(path, QStringLiteral("ExportData"), true);
    if (!c.header.isEmpty()) {
        EXPECT_EQ(sheet.addHeaders(c.header), c.headerAccepted);
    }
    EXPECT_EQ(sheet.addRow(c.row), c.rowAccepted);
    EXPECT_EQ(sheet.lastError(), QString::fromLatin1(c.error));
}

const RuleCase kRuleCases[] = {
    {"Accepted", {}, kHeader, {"DL1", "1"}, true, true, ""},
    {"DuplicateField",
     {},
     {"Name", "a", "Name"},
     {"x"},
     false,
     false,
     "No header row. Add header row first\n"},
    {"NarrowerHeader",
     kHeader,
     {"Name", "a"},
     {"x", "y", "z", "w", "v"},
     false,
     false,
     "Number of columns to be added cannot be greater than the number of fields\n"},
    {"EqualWidthReplaces", {"A", "B", "C", "D"}, kHeader, {"DL1"}, true, true, ""},
    {"NoHeader", {}, {}, {"DL1"}, false, false, "No header row. Add header row first\n"},
    {"TooManyCells",
     {},
     kHeader,
     {"1", "2", "3", "4", "5"},
     true,
     false,
     "Number of columns to be added cannot be greater than the number of fields\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, SpreadsheetRules,
                         ::testing::Combine(::testing::ValuesIn(kRuleCases),
                                            ::testing::Values(".xls", ".xlsx", ".csv")),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    (std::get<1>(info.param) + 1);
                         });

TEST(SpreadsheetRuleTexts, HeaderErrorsNameTheProblem)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.xls"));
    SpreadSheet sheet(path, QStringLiteral("ExportData"), true);
    EXPECT_FALSE(sheet.addHeaders({"Name", "a", "Name"}));
    EXPECT_EQ(sheet.lastError(), QStringLiteral("Duplicate header row field:Name\n"));
    ASSERT_TRUE(sheet.addHeaders(kHeader));
    EXPECT_FALSE(sheet.addHeaders({"Name", "a"}));
    EXPECT_EQ(sheet.lastError(),
              QStringLiteral("Number of columns in new header row cannot be less than the number "
                             "of columns in previous header row"));
    // Rows with fewer cells than fields are fine.
    EXPECT_TRUE(sheet.addRow({"x"}));
    EXPECT_EQ(sheet.readRow(1), kHeader);
    EXPECT_EQ(sheet.readRow(2), QStringList{"x"});
    EXPECT_FALSE(sheet.readRow(3));
    EXPECT_EQ(sheet.lastError(),
              QStringLiteral("Desired row is greater than total number of rows in spreadsheet\n"));
}

// --- Foreign workbooks --------------------------------------------------------------------

void expectRefusedUntouched(const QString &path)
{
    const QByteArray before = readAll(path);
    ASSERT_FALSE(before.isEmpty());
    SpreadSheet sheet(path, QStringLiteral("ExportData"), true);
    EXPECT_EQ(sheet.fileStatus(), FileStatus::Foreign);
    EXPECT_FALSE(sheet.addHeaders(kHeader));
    EXPECT_FALSE(sheet.addRow({"DL9", "9"}));
    EXPECT_FALSE(sheet.commit());
    EXPECT_EQ(readAll(path), before);
}

// The same things, put into a workbook by openpyxl and into our own .xls records.
const auto kForeignKinds = ::testing::Values("other-sheet", "formula", "number", "bold", "merged");

std::string foreignKindName(const ::testing::TestParamInfo<const char *> &info)
{
    std::string s(info.param);
    std::replace(s.begin(), s.end(), '-', '_');
    return s;
}

class ForeignXlsx : public ::testing::TestWithParam<const char *> {};

TEST_P(ForeignXlsx, RefusedUntouched)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("foreign.xlsx"));
    int exitCode = -1;
    test::runTool(
        test::systemPython(),
        {test::sourceDir() + QStringLiteral("/tests/common/spreadsheet/make_foreign_xlsx.py"),
         QString::fromLatin1(GetParam()), path},
        &exitCode);
    ASSERT_EQ(exitCode, 0);
    expectRefusedUntouched(path);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ForeignXlsx, kForeignKinds, foreignKindName);

TEST(ForeignXlsx, PlainWorkbookFromAnotherWriterIsAppendedTo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plain.xlsx"));
    int exitCode = -1;
    test::runTool(
        test::systemPython(),
        {test::sourceDir() + QStringLiteral("/tests/common/spreadsheet/make_foreign_xlsx.py"),
         QStringLiteral("plain"), path},
        &exitCode);
    ASSERT_EQ(exitCode, 0);
    SpreadSheet sheet(path, QStringLiteral("ExportData"), true);
    ASSERT_TRUE(sheet.addHeaders(kHeader));
    ASSERT_TRUE(sheet.addRow({"TA2", "45.00", " ", "  "}));
    ASSERT_TRUE(sheet.commit()) << sheet.lastError().toStdString();
    const std::vector<QStringList> expected{
        kHeader, {"DL1", "1.000", " ", "  "}, {"TA2", "45.00", " ", "  "}};
    EXPECT_EQ(test::outsideSheetRows(path, QStringLiteral("ExportData")), expected);
}

// An .xls of our own records with one change that plain text cells cannot carry.
QByteArray patchedStream(const char *kind)
{
    const std::vector<Sheet> sheets{
        {QStringLiteral("ExportData"), {kHeader, {"DL1", "1.000", " ", "  "}}},
        {QString::fromLatin1(std::strcmp(kind, "other-sheet") == 0 ? "Notes"
                                                                   : "CSpreadSheetBackup"),
         {kHeader}}};
    QByteArray stream = buildWorkbookStream(sheets);
    const auto recordAt = [&](quint16 type) {
        for (qsizetype pos = 0; pos + 4 <= stream.size();) {
            if (qFromLittleEndian<quint16>(stream.constData() + pos) == type)
                return pos;
            pos += 4 + qFromLittleEndian<quint16>(stream.constData() + pos + 2);
        }
        return qsizetype(-1);
    };
    // Records put before the last sheet's EOF move no sheet's position.
    const qsizetype lastEof = stream.lastIndexOf(QByteArray("\x0A\x00\x00\x00", 4));
    const auto insert = [&](const QByteArray &rec) { stream.insert(lastEof, rec); };
    if (std::strcmp(kind, "formula") == 0) {
        QByteArray f("\x06\x00\x1A\x00", 4); // FORMULA: row 1, column 0, a cached 2.0
        f += QByteArray("\x01\x00\x00\x00\x0F\x00", 6);
        f += QByteArray("\x00\x00\x00\x00\x00\x00\x00\x40", 8);
        f += QByteArray("\x00\x00\x00\x00\x00\x00\x03\x00\x1E\x02\x00", 12);
        insert(f);
    } else if (std::strcmp(kind, "number") == 0) {
        insert(QByteArray("\x03\x02\x0E\x00\x00\x00\x00\x00\x0F\x00"
                          "\x00\x00\x00\x00\x00\x00\x00\x40",
                          18));
    } else if (std::strcmp(kind, "merged") == 0) {
        insert(QByteArray("\xE5\x00\x0A\x00\x01\x00\x00\x00\x00\x00\x01\x00\x03\x00", 14));
    } else if (std::strcmp(kind, "bold") == 0) {
        // The fifth font (index 5) made bold, and the cell format pointed at it.
        qsizetype font = recordAt(biff::Font);
        for (int i = 0; i < 4; ++i)
            font += 4 + qFromLittleEndian<quint16>(stream.constData() + font + 2);
        qToLittleEndian<quint16>(700, stream.data() + font + 4 + 6);
        qsizetype xf = recordAt(biff::Xf);
        for (int i = 0; i < 15; ++i)
            xf += 4 + qFromLittleEndian<quint16>(stream.constData() + xf + 2);
        qToLittleEndian<quint16>(5, stream.data() + xf + 4);
    }
    return stream;
}

class ForeignXls : public ::testing::TestWithParam<const char *> {};

TEST_P(ForeignXls, RefusedUntouched)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("foreign.xls"));
    QString why;
    const auto file = compoundDocument(patchedStream(GetParam()), &why);
    ASSERT_TRUE(file) << why.toStdString();
    ASSERT_TRUE(test::writeAll(path, *file));
    // The outside reader opens it: the file is a sound workbook, just not ours to rewrite.
    ASSERT_TRUE(test::readSheetsOutside(path, &why)) << why.toStdString();
    expectRefusedUntouched(path);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ForeignXls, kForeignKinds, foreignKindName);

TEST(ForeignXls, UnpatchedStreamIsAccepted)
{
    EXPECT_EQ(checkWorkbookStream(patchedStream("none")).status, FileStatus::Ok);
}

// freexl reads past its own buffer when the shared-string table counts more strings than it
// holds (found by fuzzing); such a workbook is refused before freexl opens it.
TEST(DamagedXls, SharedStringsCountedBeyondTheTableAreRefused)
{
    QByteArray stream = patchedStream("none");
    qsizetype sst = -1;
    for (qsizetype pos = 0; pos + 4 <= stream.size();) {
        if (qFromLittleEndian<quint16>(stream.constData() + pos) == biff::Sst) {
            sst = pos;
            break;
        }
        pos += 4 + qFromLittleEndian<quint16>(stream.constData() + pos + 2);
    }
    ASSERT_GE(sst, 0);
    const quint32 unique = qFromLittleEndian<quint32>(stream.constData() + sst + 8);
    qToLittleEndian<quint32>(unique + 16, stream.data() + sst + 8);
    const StreamCheck check = checkWorkbookStream(stream);
    EXPECT_EQ(check.status, FileStatus::Unreadable);
    EXPECT_EQ(check.detail, QStringLiteral("its shared strings are damaged"));
}

} // namespace
} // namespace quelmar::spreadsheet
