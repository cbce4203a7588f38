// .xls workbooks: BIFF8 in an OLE2 compound document. Written by our own records inside a
// libgsf container; read back from the same records after a pass over them that refuses
// anything a rewrite as plain text cells would lose.
#pragma once

#include "spreadsheet/workbook_file.h"

#include <QByteArray>

#include <optional>

namespace quelmar::spreadsheet {

class XlsFile final : public WorkbookFile {
public:
    bool hasSheets() const override { return true; }
    FormatLimits limits() const override { return {65536, 256, 255}; }
    ReadResult read(const QString &path) const override;
    FileStatus write(const QString &path, const std::vector<Sheet> &sheets,
                     QString *detail) const override;
};

// The stream in a compound document, as a file holds it; nothing when it cannot be made.
std::optional<QByteArray> compoundDocument(const QByteArray &workbookStream, QString *detail);

// Checks a "Workbook" stream for what plain text cells cannot carry: formulas, numbers,
// formatted or rich text, merged cells, notes, drawings, links, conditional formats,
// validations, defined names, charts and macro sheets (Foreign), or encryption and broken
// records (Unreadable). Ok with an empty detail when none is there.
struct StreamCheck {
    FileStatus status = FileStatus::Ok;
    QString detail;
};
StreamCheck checkWorkbookStream(const QByteArray &stream);

// Every worksheet's text cells, in the order of the sheet list; a row ends at its last text.
// Unreadable when a record, a position or a count does not fit the stream.
ReadResult readWorkbookCells(const QByteArray &stream);

} // namespace quelmar::spreadsheet
