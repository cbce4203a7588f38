// Reading an .xlsx workbook's sheets as text through minizip and QXmlStreamReader.
#pragma once

#include "spreadsheet/workbook_file.h"

namespace quelmar::spreadsheet {

ReadResult readXlsx(const QString &path);

// "_x000D_" and the like, the way Office Open XML escapes characters XML cannot hold.
QString unescapeOoxml(const QString &text);

} // namespace quelmar::spreadsheet
