// What a BIFF8 stream holds besides plain text cells, found by walking its records.
#include "spreadsheet/biff8_records.h"
#include "spreadsheet/biff8_writer.h"
#include "spreadsheet/xls_file.h"

#include <QSet>

#include <vector>

namespace quelmar::spreadsheet {

namespace {

using biff::Record;
using biff::u16;
using biff::u32;

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
    biff::RecordReader reader(stream, 0);
    while (const std::optional<Record> r = reader.next()) {
        const quint16 type = r->type;
        const int size = r->size;
        const char *d = r->data;
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
            sst.push_back(*r);
        else if ((type == biff::LabelSst || type == biff::Label || type == biff::Blank) &&
                 size >= 6)
            usedXf.insert(u16(d + 4));
        else if (type == biff::MulBlank && size >= 6)
            for (int at = 4; at + 2 <= size - 2; at += 2)
                usedXf.insert(u16(d + at));
        if (type != biff::Continue)
            previous = type;
    }
    if (reader.damaged())
        return {FileStatus::Unreadable, QStringLiteral("record cut short")};
    if (!sst.empty()) {
        switch (biff::readSharedStrings(sst, false).content) {
        case biff::SstContent::RichText:
            return {FileStatus::Foreign, QStringLiteral("it holds rich text")};
        case biff::SstContent::Damaged:
            return {FileStatus::Unreadable, QStringLiteral("its shared strings are damaged")};
        case biff::SstContent::Plain:
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
