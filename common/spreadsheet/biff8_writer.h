// The "Workbook" stream of a BIFF8 (.xls) workbook whose cells are all text: the globals
// (fonts, formats, sheet list, shared strings) and one worksheet per sheet. Empty cells are
// left out, since strict readers refuse zero-length strings.
#pragma once

#include "spreadsheet/workbook_file.h"

#include <QByteArray>

namespace quelmar::spreadsheet {

// BIFF8 record types the writer and the reader's checks use.
namespace biff {
constexpr quint16 Bof = 0x0809;
constexpr quint16 Eof = 0x000A;
constexpr quint16 CodePage = 0x0042;
constexpr quint16 Window1 = 0x003D;
constexpr quint16 Font = 0x0031;
constexpr quint16 Xf = 0x00E0;
constexpr quint16 Style = 0x0293;
constexpr quint16 BoundSheet = 0x0085;
constexpr quint16 Sst = 0x00FC;
constexpr quint16 Continue = 0x003C;
constexpr quint16 ExtSst = 0x00FF;
constexpr quint16 Dimensions = 0x0200;
constexpr quint16 Window2 = 0x023E;
constexpr quint16 LabelSst = 0x00FD;
constexpr quint16 Label = 0x0204;
constexpr quint16 Blank = 0x0201;
constexpr quint16 MulBlank = 0x00BE;
constexpr int MaxRecordData = 8224;
} // namespace biff

// Sheets must fit the format (65,536 rows, 256 columns, names of at most 31 characters).
QByteArray buildWorkbookStream(const std::vector<Sheet> &sheets);

} // namespace quelmar::spreadsheet
