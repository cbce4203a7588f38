#include "spreadsheet/workbook_file.h"

#include "spreadsheet/delimited_file.h"
#include "spreadsheet/xls_file.h"
#include "spreadsheet/xlsx_file.h"

namespace quelmar::spreadsheet {

std::unique_ptr<WorkbookFile> workbookFileFor(const QString &path)
{
    if (path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive))
        return std::make_unique<XlsFile>();
    if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        return std::make_unique<XlsxFile>();
    return std::make_unique<DelimitedFile>();
}

QString limitBroken(const std::vector<Sheet> &sheets, const FormatLimits &limits)
{
    for (const Sheet &sheet : sheets) {
        if (limits.rows > 0 && qsizetype(sheet.rows.size()) > limits.rows)
            return QStringLiteral("Sheet %1 would hold %2 rows; the format holds %3")
                .arg(sheet.name)
                .arg(sheet.rows.size())
                .arg(limits.rows);
        for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
            const QStringList &row = sheet.rows[r];
            if (limits.columns > 0 && row.size() > limits.columns)
                return QStringLiteral("Row %1 of sheet %2 has %3 cells; the format holds %4")
                    .arg(r + 1)
                    .arg(sheet.name)
                    .arg(row.size())
                    .arg(limits.columns);
            if (limits.cellChars <= 0)
                continue;
            for (qsizetype c = 0; c < row.size(); ++c) {
                if (row[c].size() > limits.cellChars)
                    return QStringLiteral(
                               "Cell %1 of row %2 of sheet %3 has %4 characters; at most %5 fit")
                        .arg(c + 1)
                        .arg(r + 1)
                        .arg(sheet.name)
                        .arg(row[c].size())
                        .arg(limits.cellChars);
            }
        }
    }
    return {};
}

} // namespace quelmar::spreadsheet
