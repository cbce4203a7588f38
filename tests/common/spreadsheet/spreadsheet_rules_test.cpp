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

#include <cctype>

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

// The same things, put into a workbook by another program's writer and into our own .xls
// records.
const auto kForeignKinds = ::testing::Values("other-sheet", "formula", "number", "bold", "merged");

std::string foreignKindName(const ::testing::TestParamInfo<const char *> &info)
{
    std::string s(info.param);
    std::replace(s.begin(), s.end(), '-', '_');
    return s;
}

// Writes `kind` with openpyxl (.xlsx) or xlwt (.xls), by the path's extension.
void writeWithAnotherWriter(const char *kind, const QString &path)
{
    int exitCode = -1;
    test::runTool(
        test::systemPython(),
        {test::sourceDir() + QStringLiteral("/tests/common/spreadsheet/make_foreign_workbook.py"),
         QString::fromLatin1(kind), path},
        &exitCode);
    ASSERT_EQ(exitCode, 0);
}

class AnotherWriter : public ::testing::TestWithParam<std::tuple<const char *, const char *>> {};

TEST_P(AnotherWriter, ForeignContentIsRefusedUntouched)
{
    const auto &[kind, suffix] = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("foreign")) + suffix;
    ASSERT_NO_FATAL_FAILURE(writeWithAnotherWriter(kind, path));
    expectRefusedUntouched(path);
}

INSTANTIATE_TEST_SUITE_P(Kinds, AnotherWriter,
                         ::testing::Combine(kForeignKinds, ::testing::Values(".xls", ".xlsx")),
                         [](const auto &info) {
                             std::string s = std::get<0>(info.param);
                             s += std::get<1>(info.param);
                             for (char &c : s)
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return s;
                         });

class PlainFromAnotherWriter : public ::testing::TestWithParam<const char *> {};

TEST_P(PlainFromAnotherWriter, IsAppendedTo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plain")) + GetParam();
    ASSERT_NO_FATAL_FAILURE(writeWithAnotherWriter("plain", path));
    SpreadSheet sheet(path, QStringLiteral("ExportData"), true);
    ASSERT_TRUE(sheet.addHeaders(kHeader));
    ASSERT_TRUE(sheet.addRow({"TA2", "45.00", " ", "  "}));
    ASSERT_TRUE(sheet.commit()) << sheet.lastError().toStdString();
    const std::vector<QStringList> expected{
        kHeader, {"DL1", "1.000", " ", "  "}, {"TA2", "45.00", " ", "  "}};
    EXPECT_EQ(test::outsideSheetRows(path, QStringLiteral("ExportData")), expected);
}

INSTANTIATE_TEST_SUITE_P(Formats, PlainFromAnotherWriter, ::testing::Values(".xls", ".xlsx"),
                         [](const auto &info) { return std::string(info.param + 1); });

qsizetype recordPosition(const QByteArray &stream, quint16 type, int skip = 0)
{
    for (qsizetype pos = 0; pos + 4 <= stream.size();) {
        if (qFromLittleEndian<quint16>(stream.constData() + pos) == type && skip-- == 0)
            return pos;
        pos += 4 + qFromLittleEndian<quint16>(stream.constData() + pos + 2);
    }
    return -1;
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
        const qsizetype font = recordPosition(stream, biff::Font, 4);
        qToLittleEndian<quint16>(700, stream.data() + font + 4 + 6);
        const qsizetype xf = recordPosition(stream, biff::Xf, 15);
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

TEST(XlsCells, RowsWithoutTextKeepTheirPlace)
{
    const std::vector<Sheet> sheets{
        {QStringLiteral("ExportData"),
         {kHeader, {}, {"", "", "x"}, {QString::fromUtf8("日本 µm")}, {}}},
        {QStringLiteral("Ωmega"), {{"only"}}}};
    const ReadResult read = readWorkbookCells(buildWorkbookStream(sheets));
    ASSERT_EQ(read.status, FileStatus::Ok) << read.detail.toStdString();
    ASSERT_EQ(read.sheets.size(), 2u);
    EXPECT_EQ(read.sheets[0].name, sheets[0].name);
    EXPECT_EQ(read.sheets[0].rows, sheets[0].rows);
    EXPECT_EQ(read.sheets[1].name, sheets[1].name);
    EXPECT_EQ(read.sheets[1].rows, sheets[1].rows);
}

// Damaged workbooks, each a sound one of our own records with one count or position made to
// lie: refused with no sheets and the reason, whatever the lie asks the reader to touch,
// reserve or read twice.
TEST(DamagedXls, RecordsThatDoNotFitAreRefused)
{
    const QByteArray sound = patchedStream("none");
    const auto damaged = [&](auto change) {
        QByteArray stream = sound;
        change(stream);
        return stream;
    };
    const auto set16 = [](QByteArray &s, qsizetype at, quint16 v) {
        qToLittleEndian<quint16>(v, s.data() + at);
    };
    const auto set32 = [](QByteArray &s, qsizetype at, quint32 v) {
        qToLittleEndian<quint32>(v, s.data() + at);
    };
    const qsizetype sst = recordPosition(sound, biff::Sst);
    const qsizetype entry = recordPosition(sound, biff::BoundSheet);
    const qsizetype secondEntry = recordPosition(sound, biff::BoundSheet, 1);
    const qsizetype cell = recordPosition(sound, biff::LabelSst);
    const qsizetype dimensions = recordPosition(sound, biff::Dimensions);
    ASSERT_GE(std::min({sst, entry, secondEntry, cell, dimensions}), 0);
    const auto sheetAt = [&](qsizetype e) {
        return qFromLittleEndian<quint32>(sound.constData() + e + 4);
    };
    const QString notWhere = QStringLiteral("is not where its entry says");
    const struct {
        QByteArray stream;
        QString why;
    } cases[] = {
        // The shared-string table counts strings it does not hold.
        {damaged([&](QByteArray &s) { set32(s, sst + 8, 1000); }),
         QStringLiteral("shared strings are damaged")},
        // A sheet entry points into the middle of a record, past the stream's end, at the
        // sheet another entry reads, or at a copy of a sheet behind the padding after the last
        // record, where the content check does not look.
        {damaged([&](QByteArray &s) { set32(s, entry + 4, sheetAt(entry) + 2); }), notWhere},
        {damaged([&](QByteArray &s) { set32(s, entry + 4, 0xFFFFFFF0u); }), notWhere},
        {damaged([&](QByteArray &s) { set32(s, secondEntry + 4, sheetAt(entry)); }), notWhere},
        {damaged([&](QByteArray &s) {
             const QByteArray copy = s.mid(sheetAt(secondEntry));
             set32(s, secondEntry + 4, quint32(s.size() + 4));
             s.append(QByteArray(4, '\0')).append(copy);
         }),
         notWhere},
        // A text cell names a string past the table, or lies beyond the last column.
        {damaged([&](QByteArray &s) { set32(s, cell + 4 + 6, 1u << 30); }),
         QStringLiteral("names a missing shared string")},
        {damaged([&](QByteArray &s) { set16(s, cell + 4 + 2, 256); }),
         QStringLiteral("beyond the last column")},
        // A text cell record longer than a text cell (the second sheet's entry follows it).
        {damaged([&](QByteArray &s) {
             set16(s, cell + 2, 12);
             s.insert(cell + 14, QByteArray(2, '\0'));
             set32(s, secondEntry + 4, sheetAt(secondEntry) + 2);
         }),
         QStringLiteral("a text cell record is damaged")},
        // A sheet claims more rows than the format holds.
        {damaged([&](QByteArray &s) { set32(s, dimensions + 4 + 4, 70000); }),
         QStringLiteral("claims more cells than the format holds")},
        // The stream ends inside the last sheet.
        {sound.left(sound.lastIndexOf(QByteArray("\x0A\x00\x00\x00", 4))),
         QStringLiteral("is cut short")},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const ReadResult read = readWorkbookCells(cases[i].stream);
        EXPECT_EQ(read.status, FileStatus::Unreadable) << "case " << i;
        EXPECT_TRUE(read.detail.contains(cases[i].why))
            << "case " << i << ": " << read.detail.toStdString();
        EXPECT_TRUE(read.sheets.empty()) << "case " << i;
    }
    EXPECT_EQ(checkWorkbookStream(cases[0].stream).detail,
              QStringLiteral("its shared strings are damaged"));
}

// Sheets of nothing but their last row claimed: each costs 65,536 rows of memory, and a
// workbook of many is refused before it holds more than the reader's budget.
TEST(DamagedXls, AWorkbookOfTooManyRowsIsRefused)
{
    std::vector<QStringList> rows(65536);
    rows.back() = QStringList{QStringLiteral("x")};
    std::vector<Sheet> sheets;
    for (int i = 0; i < 33; ++i)
        sheets.push_back({QStringLiteral("S%1").arg(i), rows});
    const ReadResult read = readWorkbookCells(buildWorkbookStream(sheets));
    EXPECT_EQ(read.status, FileStatus::Unreadable);
    EXPECT_TRUE(read.detail.contains(QStringLiteral("too large"))) << read.detail.toStdString();
    sheets.resize(31);
    EXPECT_EQ(readWorkbookCells(buildWorkbookStream(sheets)).status, FileStatus::Ok);
}

} // namespace
} // namespace quelmar::spreadsheet
