// Comma-separated text (RFC 4180): every cell in double quotes, quotes inside doubled,
// lines ended by CR LF, UTF-8. One table, no sheet names.
#pragma once

#include "spreadsheet/workbook_file.h"

#include <QByteArray>

#include <optional>

namespace quelmar::spreadsheet {

class DelimitedFile final : public WorkbookFile {
public:
    bool hasSheets() const override { return false; }
    FormatLimits limits() const override { return {}; }
    ReadResult read(const QString &path) const override;
    FileStatus write(const QString &path, const std::vector<Sheet> &sheets,
                     QString *detail) const override;
};

// The rows of a text; quoted and unquoted fields, CR LF or LF line ends. Nothing when a
// quote is left open or the bytes are not UTF-8.
std::optional<std::vector<QStringList>> parseDelimited(const QByteArray &bytes);
QByteArray formatDelimited(const std::vector<QStringList> &rows);

} // namespace quelmar::spreadsheet
