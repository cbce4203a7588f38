// .xlsx workbooks (Office Open XML): written through libxlsxwriter, read back with minizip
// and Qt's XML reader. Reading refuses what plain text cells cannot carry: formulas,
// numbers, dates and logical values, formatted or rich text, merged cells, links, notes,
// drawings, conditional formats, validations, tables, defined names and chart sheets.
#pragma once

#include "spreadsheet/workbook_file.h"

namespace quelmar::spreadsheet {

class XlsxFile final : public WorkbookFile {
public:
    bool hasSheets() const override { return true; }
    FormatLimits limits() const override { return {1048576, 16384, 255}; }
    ReadResult read(const QString &path) const override;
    FileStatus write(const QString &path, const std::vector<Sheet> &sheets,
                     QString *detail) const override;
};

} // namespace quelmar::spreadsheet
