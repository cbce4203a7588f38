#include "spreadsheet/biff8_writer.h"

#include <QHash>
#include <QtEndian>

#include <algorithm>

namespace quelmar::spreadsheet {

namespace {

constexpr quint16 kCellXf = 15; // the default cell format after the 15 style formats

void put16(QByteArray &out, quint16 v)
{
    const char b[2] = {char(v & 0xFF), char(v >> 8)};
    out.append(b, 2);
}

void put32(QByteArray &out, quint32 v)
{
    put16(out, quint16(v & 0xFFFF));
    put16(out, quint16(v >> 16));
}

void set32(QByteArray &out, qsizetype at, quint32 v)
{
    qToLittleEndian<quint32>(v, out.data() + at);
}

void record(QByteArray &out, quint16 type, const QByteArray &data)
{
    put16(out, type);
    put16(out, quint16(data.size()));
    out += data;
}

bool fitsLatin1(QStringView s)
{
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

// Characters as "compressed" Latin-1 bytes or as UTF-16LE.
void putChars(QByteArray &out, QStringView s, bool wide)
{
    for (const QChar c : s) {
        if (wide)
            put16(out, c.unicode());
        else
            out.append(char(c.unicode()));
    }
}

// A short Unicode string with an 8-bit character count (sheet and font names).
void putShortString(QByteArray &out, QStringView s)
{
    const bool wide = !fitsLatin1(s);
    out.append(char(s.size()));
    out.append(char(wide ? 1 : 0));
    putChars(out, s, wide);
}

QByteArray bof(quint16 substream)
{
    QByteArray d;
    put16(d, 0x0600);
    put16(d, substream);
    put16(d, 0x0DBB); // build
    put16(d, 0x07CC); // year
    put32(d, 0);      // history flags
    put32(d, 6);      // lowest version that can read it
    return d;
}

QByteArray window1()
{
    QByteArray d;
    for (const quint16 v : {0x01E0, 0x005A, 0x3FCF, 0x2A4E, 0x0038, 0, 0, 1, 600})
        put16(d, quint16(v));
    return d;
}

QByteArray font()
{
    QByteArray d;
    for (const quint16 v : {200, 0, 0x7FFF, 400, 0})
        put16(d, quint16(v)); // height in twips, options, colour, weight, escapement
    d.append(4, '\0');        // underline, family, character set, reserved
    putShortString(d, u"Arial");
    return d;
}

QByteArray xf(bool style)
{
    QByteArray d;
    put16(d, 0); // font
    put16(d, 0); // number format
    put16(d, style ? 0xFFF5 : 0x0001);
    d.append(char(0x20)); // aligned to the bottom
    d.append(char(0));    // rotation
    d.append(char(0));    // indent, shrink, direction
    d.append(char(style ? 0xF4 : 0x00));
    put32(d, 0); // border lines
    put32(d, 0); // border colours, fill pattern
    put16(d, 0x20C0);
    return d;
}

struct SharedStrings {
    QHash<QString, quint32> index;
    std::vector<QStringView> unique;
    quint32 references = 0;
};

SharedStrings collectStrings(const std::vector<Sheet> &sheets)
{
    SharedStrings sst;
    for (const Sheet &sheet : sheets) {
        for (const QStringList &row : sheet.rows) {
            for (const QString &cell : row) {
                if (cell.isEmpty())
                    continue;
                ++sst.references;
                if (sst.index.contains(cell))
                    continue;
                sst.index.insert(cell, quint32(sst.unique.size()));
                sst.unique.push_back(cell); // the sheets outlive the table
            }
        }
    }
    return sst;
}

// The SST with its CONTINUE records, then EXTSST. No string header is ever split; split
// characters continue after a repeated flags byte.
void writeSst(QByteArray &out, const SharedStrings &sst)
{
    const quint32 perBucket = std::max<quint32>(quint32(sst.unique.size()) / 128 + 1, 8);
    QByteArray ext;
    put16(ext, quint16(perBucket));

    QByteArray rec;
    put32(rec, sst.references);
    put32(rec, quint32(sst.unique.size()));
    quint16 type = biff::Sst;
    const auto flush = [&] {
        record(out, type, rec);
        rec.clear();
        type = biff::Continue;
    };
    for (std::size_t i = 0; i < sst.unique.size(); ++i) {
        const QStringView s = sst.unique[i];
        const bool wide = !fitsLatin1(s);
        const int charBytes = wide ? 2 : 1;
        if (rec.size() + 3 + charBytes > biff::MaxRecordData)
            flush();
        if (i % perBucket == 0) {
            put32(ext, quint32(out.size() + 4 + rec.size()));
            put16(ext, quint16(4 + rec.size()));
            put16(ext, 0);
        }
        put16(rec, quint16(s.size()));
        rec.append(char(wide ? 1 : 0));
        qsizetype done = 0;
        while (done < s.size()) {
            qsizetype room = (biff::MaxRecordData - rec.size()) / charBytes;
            if (room == 0) {
                flush();
                rec.append(char(wide ? 1 : 0));
                room = (biff::MaxRecordData - rec.size()) / charBytes;
            }
            const qsizetype take = std::min(room, s.size() - done);
            putChars(rec, s.mid(done, take), wide);
            done += take;
        }
    }
    flush();
    record(out, biff::ExtSst, ext);
}

void writeSheet(QByteArray &out, const Sheet &sheet, bool first, const SharedStrings &sst)
{
    record(out, biff::Bof, bof(0x0010));
    qsizetype columns = 0;
    for (const QStringList &row : sheet.rows)
        columns = std::max(columns, row.size());
    QByteArray dim;
    put32(dim, 0);
    put32(dim, columns > 0 ? quint32(sheet.rows.size()) : 0);
    put16(dim, 0);
    put16(dim, quint16(columns));
    put16(dim, 0);
    record(out, biff::Dimensions, dim);

    QByteArray w2;
    put16(w2, first ? 0x06B6 : 0x00B6);
    for (const quint16 v : {0, 0, 0x40, 0, 0, 0})
        put16(w2, quint16(v));
    put32(w2, 0);
    record(out, biff::Window2, w2);

    QByteArray cell;
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        const QStringList &row = sheet.rows[r];
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (row[c].isEmpty())
                continue;
            cell.clear();
            put16(cell, quint16(r));
            put16(cell, quint16(c));
            put16(cell, kCellXf);
            put32(cell, sst.index.value(row[c]));
            record(out, biff::LabelSst, cell);
        }
    }
    record(out, biff::Eof, {});
}

} // namespace

QByteArray buildWorkbookStream(const std::vector<Sheet> &sheets)
{
    const SharedStrings sst = collectStrings(sheets);
    QByteArray out;
    out.reserve(qsizetype(sst.references) * 14 + 4096);
    record(out, biff::Bof, bof(0x0005));
    QByteArray cp;
    put16(cp, 1200); // UTF-16
    record(out, biff::CodePage, cp);
    record(out, biff::Window1, window1());
    for (int i = 0; i < 5; ++i) // font index 4 does not exist, so the fifth has index 5
        record(out, biff::Font, font());
    for (int i = 0; i < 15; ++i)
        record(out, biff::Xf, xf(true));
    record(out, biff::Xf, xf(false));
    record(out, biff::Style, QByteArray("\x00\x80\x00\xFF", 4));

    std::vector<qsizetype> offsetAt;
    for (const Sheet &sheet : sheets) {
        QByteArray d;
        offsetAt.push_back(out.size() + 4);
        put32(d, 0); // the sheet's BOF position, set below
        d.append(char(0));
        d.append(char(0));
        putShortString(d, sheet.name);
        record(out, biff::BoundSheet, d);
    }
    writeSst(out, sst);
    record(out, biff::Eof, {});

    for (std::size_t i = 0; i < sheets.size(); ++i) {
        set32(out, offsetAt[i], quint32(out.size()));
        writeSheet(out, sheets[i], i == 0, sst);
    }
    return out;
}

} // namespace quelmar::spreadsheet
