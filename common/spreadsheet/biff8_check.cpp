// What a BIFF8 stream holds besides plain text cells, found by walking its records.
#include "spreadsheet/biff8_writer.h"
#include "spreadsheet/xls_file.h"

#include <QSet>
#include <QtEndian>

#include <vector>

namespace quelmar::spreadsheet {

namespace {

quint16 u16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}
quint32 u32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

// Records whose content a rewrite as plain text cells would drop.
const char *foreignRecord(quint16 type)
{
    switch (type) {
    case 0x0006: // FORMULA
    case 0x0221: // ARRAY
    case 0x04BC: // SHRFMLA
    case 0x0236: // TABLEOP
    case 0x0207: // STRING (a formula's text result)
        return "a formula";
    case 0x0203: // NUMBER
    case 0x027E: // RK
    case 0x00BD: // MULRK
    case 0x0205: // BOOLERR
        return "a number or logical value";
    case 0x00D6: // RSTRING
        return "rich text";
    case 0x00E5:
        return "merged cells";
    case 0x001C: // NOTE
    case 0x01B6: // TXO
        return "a note";
    case 0x005D: // OBJ
    case 0x00EC: // MSODRAWING
        return "a drawing, picture or chart";
    case 0x01B8:
        return "a hyperlink";
    case 0x01B0: // CONDFMT
    case 0x01B1: // CF
        return "conditional formatting";
    case 0x01B2: // DVAL
    case 0x01BE: // DV
        return "data validation";
    case 0x0018:
        return "a defined name";
    default:
        return nullptr;
    }
}

struct Record {
    quint16 type;
    const char *data;
    int size;
};

enum class SstContent { Plain, RichText, Damaged };

// Whether any shared string carries rich-text runs, or the table does not hold the strings it
// counts (freexl then reads past its own buffers, so such a file never reaches it). Strings
// continue across CONTINUE records; a split in the characters starts with a new flags byte.
SstContent sstContent(const std::vector<Record> &parts)
{
    std::size_t part = 0;
    int at = 8; // after the two counts
    const auto next = [&]() -> bool {
        ++part;
        at = 0;
        return part < parts.size();
    };
    // Skips `bytes` bytes of data that may run on into the next records.
    const auto skip = [&](qint64 bytes) -> bool {
        while (bytes > 0) {
            if (at >= parts[part].size && !next())
                return false;
            const qint64 take = std::min<qint64>(bytes, parts[part].size - at);
            at += int(take);
            bytes -= take;
        }
        return true;
    };
    if (parts.front().size < 8)
        return SstContent::Damaged;
    const quint32 unique = u32(parts.front().data + 4);
    for (quint32 i = 0; i < unique; ++i) {
        if (at >= parts[part].size && !next())
            return SstContent::Damaged;
        if (parts[part].size - at < 3)
            return SstContent::Damaged; // a string header is never split
        const char *p = parts[part].data + at;
        qint64 chars = u16(p);
        quint8 flags = quint8(p[2]);
        at += 3;
        if (flags & 0x08)
            return SstContent::RichText;
        qint64 extra = 0;
        if (flags & 0x04) {
            if (parts[part].size - at < 4)
                return SstContent::Damaged;
            extra = u32(parts[part].data + at);
            at += 4;
        }
        while (chars > 0) {
            if (at >= parts[part].size) {
                if (!next() || parts[part].size < 1)
                    return SstContent::Damaged;
                flags = quint8(parts[part].data[0]);
                at = 1;
            }
            const int width = (flags & 0x01) ? 2 : 1;
            const qint64 take = std::min<qint64>(chars, (parts[part].size - at) / width);
            if (take == 0)
                return SstContent::Damaged;
            at += int(take * width);
            chars -= take;
        }
        if (!skip(extra))
            return SstContent::Damaged;
    }
    return SstContent::Plain;
}

// A cell format that changes how text looks: a font other than the default one, borders or
// a fill.
bool formatted(const QByteArray &xf, const std::vector<QByteArray> &fonts)
{
    if (xf.size() < 18)
        return true;
    const char *p = xf.constData();
    quint16 font = u16(p);
    if (font >= 4)
        --font; // there is no font 4
    if (font >= fonts.size() || fonts[font] != fonts.front())
        return true;
    const quint32 borders = u32(p + 10);
    const quint32 more = u32(p + 14);
    const bool diagonal = (borders & 0xC0000000u) && ((more >> 21) & 0x0F);
    return (borders & 0xFFFF) != 0 || diagonal || (more >> 26) != 0;
}

} // namespace

StreamCheck checkWorkbookStream(const QByteArray &stream)
{
    std::vector<Record> sst;
    std::vector<QByteArray> fonts;
    std::vector<QByteArray> xfs;
    QSet<quint16> usedXf;
    quint16 previous = 0;
    const char *const base = stream.constData();
    for (qsizetype pos = 0; pos + 4 <= stream.size();) {
        const quint16 type = u16(base + pos);
        const int size = u16(base + pos + 2);
        if (pos + 4 + size > stream.size())
            return {FileStatus::Unreadable, QStringLiteral("record cut short")};
        const char *d = base + pos + 4;
        pos += 4 + size;
        if (type == 0 && size == 0)
            break; // padding after the last record
        // A text cell is exactly ten bytes in BIFF8; freexl misreads longer ones.
        if (type == biff::LabelSst && size != 10)
            return {FileStatus::Unreadable, QStringLiteral("a text cell record is damaged")};
        if (type == 0x002F)
            return {FileStatus::Unreadable, QStringLiteral("the workbook is encrypted")};
        if (const char *what = foreignRecord(type))
            return {FileStatus::Foreign, QStringLiteral("it holds %1").arg(QLatin1String(what))};
        if (type == biff::Bof && size >= 4 && u16(d + 2) != 0x0005 && u16(d + 2) != 0x0010)
            return {FileStatus::Foreign, QStringLiteral("it holds a chart or macro sheet")};
        if (type == biff::BoundSheet && size >= 6 && d[5] != 0)
            return {FileStatus::Foreign, QStringLiteral("it holds a chart or macro sheet")};
        if (type == biff::Font)
            fonts.emplace_back(d, size);
        else if (type == biff::Xf)
            xfs.emplace_back(d, size);
        else if (type == biff::Sst || (type == biff::Continue && previous == biff::Sst))
            sst.push_back({type, d, size});
        else if ((type == biff::LabelSst || type == biff::Label || type == biff::Blank) &&
                 size >= 6)
            usedXf.insert(u16(d + 4));
        else if (type == biff::MulBlank && size >= 6)
            for (int at = 4; at + 2 <= size - 2; at += 2)
                usedXf.insert(u16(d + at));
        if (type != biff::Continue)
            previous = type;
    }
    if (!sst.empty()) {
        switch (sstContent(sst)) {
        case SstContent::RichText:
            return {FileStatus::Foreign, QStringLiteral("it holds rich text")};
        case SstContent::Damaged:
            return {FileStatus::Unreadable, QStringLiteral("its shared strings are damaged")};
        case SstContent::Plain:
            break;
        }
    }
    for (const quint16 x : usedXf) {
        if (x >= xfs.size() || fonts.empty() || formatted(xfs[x], fonts))
            return {FileStatus::Foreign, QStringLiteral("it holds formatted cells")};
    }
    return {};
}

} // namespace quelmar::spreadsheet
