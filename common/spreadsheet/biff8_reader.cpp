// The text cells of a BIFF8 "Workbook" stream, read from its records: the sheet list and the
// shared strings in the globals, then each worksheet from the position its sheet entry gives.
// Every count and position comes from the file, so each is checked against the stream before
// it is used, and what is kept grows only with what the file really holds.
#include "spreadsheet/biff8_records.h"
#include "spreadsheet/biff8_writer.h"
#include "spreadsheet/xls_file.h"

#include <set>

namespace quelmar::spreadsheet {

namespace {

// BIFF8 characters: one byte each ("compressed", the low byte of UTF-16) or UTF-16LE.
void appendChars(QString &text, const char *bytes, qint64 count, bool wide)
{
    for (qint64 k = 0; k < count; ++k)
        text.append(QChar(wide ? biff::u16(bytes + 2 * k) : quint8(bytes[k])));
}

} // namespace

namespace biff {

SharedStringTable readSharedStrings(const std::vector<Record> &parts, bool keep)
{
    SharedStringTable table;
    if (parts.empty() || parts.front().size < 8) {
        table.content = SstContent::Damaged;
        return table;
    }
    std::size_t part = 0;
    int at = 8; // after the two counts
    const auto next = [&] {
        ++part;
        at = 0;
        return part < parts.size();
    };
    const auto fail = [&](SstContent why) {
        table.content = why;
        table.strings.clear();
        return table;
    };
    const quint32 unique = u32(parts.front().data + 4);
    if (unique > kMaxSharedStrings)
        return fail(SstContent::Damaged);
    for (quint32 i = 0; i < unique; ++i) {
        if (at >= parts[part].size && !next())
            return fail(SstContent::Damaged);
        if (parts[part].size - at < 3)
            return fail(SstContent::Damaged); // a string header is never split
        const char *p = parts[part].data + at;
        qint64 chars = u16(p);
        quint8 flags = quint8(p[2]);
        at += 3;
        if (flags & 0x08)
            return fail(SstContent::RichText);
        qint64 extra = 0; // phonetic data after the characters
        if (flags & 0x04) {
            if (parts[part].size - at < 4)
                return fail(SstContent::Damaged);
            extra = u32(parts[part].data + at);
            at += 4;
        }
        QString text;
        if (keep)
            text.reserve(chars);
        while (chars > 0) {
            // Characters split across records continue after a flags byte of their own.
            if (at >= parts[part].size) {
                if (!next() || parts[part].size < 1)
                    return fail(SstContent::Damaged);
                flags = quint8(parts[part].data[0]);
                at = 1;
            }
            const bool wide = flags & 0x01;
            const qint64 take = std::min<qint64>(chars, (parts[part].size - at) / (wide ? 2 : 1));
            if (take == 0)
                return fail(SstContent::Damaged);
            if (keep)
                appendChars(text, parts[part].data + at, take, wide);
            at += int(take * (wide ? 2 : 1));
            chars -= take;
        }
        while (extra > 0) {
            if (at >= parts[part].size && !next())
                return fail(SstContent::Damaged);
            const qint64 skip = std::min<qint64>(extra, parts[part].size - at);
            at += int(skip);
            extra -= skip;
        }
        if (keep)
            table.strings.push_back(std::move(text));
    }
    return table;
}

} // namespace biff

namespace {

using biff::Record;
using biff::RecordReader;
using biff::u16;
using biff::u32;

constexpr quint32 kMaxRows = 65536;
constexpr quint16 kMaxColumns = 256;
// Rows and cells (the empty ones before a text included) a workbook may make us hold: far
// above anything the export writes, far below what a lying file could ask for.
constexpr quint64 kCellBudget = biff::kMaxSharedStrings;

// A string with its character count and flags in front, inside one record.
std::optional<QString> unicodeString(const char *p, int size, int countBytes)
{
    if (size < countBytes + 1)
        return std::nullopt;
    const int chars = countBytes == 1 ? quint8(p[0]) : u16(p);
    const bool wide = p[countBytes] & 0x01;
    if (p[countBytes] & 0x0C)
        return std::nullopt; // rich text or phonetic runs do not belong in names and labels
    const char *c = p + countBytes + 1;
    if (size - countBytes - 1 < chars * (wide ? 2 : 1))
        return std::nullopt;
    QString s;
    s.reserve(chars);
    appendChars(s, c, chars, wide);
    return s;
}

struct SheetEntry {
    QString name;
    quint32 position = 0;
};

struct Globals {
    std::vector<SheetEntry> sheets;
    std::vector<QString> strings;
    // Where the substreams after the globals begin, found by the same walk from the start
    // that the content check makes: a sheet entry may point only there, so every record a
    // sheet is read from has been checked, and no record is read twice.
    std::set<qsizetype> sheetStarts;
};

ReadResult unreadable(const QString &why)
{
    return {FileStatus::Unreadable, why, {}};
}

std::optional<Globals> readGlobals(const QByteArray &stream, QString *why)
{
    Globals g;
    std::vector<Record> sst;
    RecordReader reader(stream, 0);
    const std::optional<Record> bof = reader.next();
    if (!bof || bof->type != biff::Bof || bof->size < 4 || u16(bof->data) != 0x0600) {
        *why = QStringLiteral("not a BIFF8 workbook");
        return std::nullopt;
    }
    quint16 previous = biff::Bof;
    bool ended = false;
    while (const std::optional<Record> r = reader.next()) {
        if (r->type == biff::Eof) {
            ended = true;
            break;
        }
        if (r->type == biff::BoundSheet) {
            const std::optional<QString> name =
                r->size >= 6 ? unicodeString(r->data + 6, r->size - 6, 1) : std::nullopt;
            if (!name) {
                *why = QStringLiteral("a sheet entry is damaged");
                return std::nullopt;
            }
            g.sheets.push_back({*name, u32(r->data)});
        } else if (r->type == biff::Sst || (r->type == biff::Continue && previous == biff::Sst)) {
            sst.push_back(*r);
        }
        if (r->type != biff::Continue)
            previous = r->type;
    }
    if (!ended) {
        *why = QStringLiteral("the workbook globals are cut short");
        return std::nullopt;
    }
    for (qsizetype at = reader.position(); const std::optional<Record> r = reader.next();
         at = reader.position()) {
        if (r->type == biff::Bof)
            g.sheetStarts.insert(at);
    }
    if (!sst.empty()) {
        biff::SharedStringTable table = biff::readSharedStrings(sst, true);
        if (table.content != biff::SstContent::Plain) {
            *why = QStringLiteral("its shared strings are damaged or hold rich text");
            return std::nullopt;
        }
        g.strings = std::move(table.strings);
    }
    return g;
}

// Puts a cell's text in place, growing the sheet as far as the budget allows.
bool place(Sheet &sheet, quint32 row, quint16 column, QString text, quint64 *budget)
{
    const quint64 newRows = row >= sheet.rows.size() ? row + 1 - sheet.rows.size() : 0;
    const qsizetype width = row < sheet.rows.size() ? sheet.rows[row].size() : 0;
    const quint64 newCells = column >= width ? quint64(column) + 1 - width : 0;
    if (newRows + newCells > *budget)
        return false;
    *budget -= newRows + newCells;
    if (newRows)
        sheet.rows.resize(row + 1);
    QStringList &cells = sheet.rows[row];
    while (cells.size() <= column)
        cells.append(QString());
    cells[column] = std::move(text);
    return true;
}

std::optional<Sheet> readSheet(const QByteArray &stream, const SheetEntry &entry,
                               const std::vector<QString> &strings, quint64 *budget, QString *why)
{
    const auto refuse = [why](const QString &reason) -> std::optional<Sheet> {
        *why = reason;
        return std::nullopt;
    };
    RecordReader reader(stream, entry.position);
    const std::optional<Record> bof = reader.next();
    if (!bof || bof->type != biff::Bof || bof->size < 4 || u16(bof->data + 2) != 0x0010)
        return refuse(QStringLiteral("sheet %1 is not where its entry says").arg(entry.name));
    Sheet sheet{entry.name, {}};
    quint32 claimedRows = 0;
    while (const std::optional<Record> r = reader.next()) {
        if (r->type == biff::Eof) {
            // Rows the sheet counts past its last text stay, as empty rows.
            if (claimedRows > sheet.rows.size()) {
                const quint64 more = claimedRows - sheet.rows.size();
                if (more > *budget)
                    return refuse(QStringLiteral("sheet %1 is too large").arg(entry.name));
                *budget -= more;
                sheet.rows.resize(claimedRows);
            }
            for (QStringList &row : sheet.rows) {
                while (!row.isEmpty() && row.constLast().isEmpty())
                    row.removeLast();
            }
            return sheet;
        }
        if (r->type == biff::Bof)
            return refuse(QStringLiteral("sheet %1 is cut short").arg(entry.name));
        if (r->type == biff::Dimensions && r->size >= 12) {
            claimedRows = u32(r->data + 4);
            if (claimedRows > kMaxRows || u16(r->data + 10) > kMaxColumns)
                return refuse(QStringLiteral("sheet %1 claims more cells than the format holds")
                                  .arg(entry.name));
            continue;
        }
        std::optional<QString> text;
        if (r->type == biff::LabelSst && r->size == 10) {
            const quint32 index = u32(r->data + 6);
            if (index >= strings.size())
                return refuse(QStringLiteral("a text cell names a missing shared string"));
            text = strings[index];
        } else if (r->type == biff::Label && r->size >= 6) {
            text = unicodeString(r->data + 6, r->size - 6, 2);
            if (!text)
                return refuse(QStringLiteral("a text cell record is damaged"));
        } else if (r->type == biff::LabelSst) {
            return refuse(QStringLiteral("a text cell record is damaged"));
        } else {
            continue; // rows, blanks, views and the rest hold no text
        }
        const quint16 column = u16(r->data + 2);
        if (column >= kMaxColumns)
            return refuse(QStringLiteral("a text cell lies beyond the last column"));
        if (!place(sheet, u16(r->data), column, std::move(*text), budget))
            return refuse(QStringLiteral("sheet %1 is too large").arg(entry.name));
    }
    return refuse(QStringLiteral("sheet %1 is cut short").arg(entry.name));
}

} // namespace

ReadResult readWorkbookCells(const QByteArray &stream)
{
    QString why;
    std::optional<Globals> globals = readGlobals(stream, &why);
    if (!globals)
        return unreadable(why);
    ReadResult result;
    quint64 budget = kCellBudget;
    for (const SheetEntry &entry : globals->sheets) {
        if (globals->sheetStarts.erase(entry.position) == 0)
            return unreadable(
                QStringLiteral("sheet %1 is not where its entry says").arg(entry.name));
        std::optional<Sheet> sheet = readSheet(stream, entry, globals->strings, &budget, &why);
        if (!sheet)
            return unreadable(why);
        result.sheets.push_back(std::move(*sheet));
    }
    return result;
}

} // namespace quelmar::spreadsheet
