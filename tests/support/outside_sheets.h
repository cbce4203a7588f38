// Reads spreadsheet files with readers this project did not write: freexl for .xls, Python's
// openpyxl for .xlsx and Python's csv module for anything else. Empty cells read as "",
// trailing empty cells of a row are dropped.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quelmar::test {

struct OutsideSheet {
    QString name;
    std::vector<QStringList> rows;
    QStringList types; // kinds of values found besides text ("int", "float", ...)
};

// Nothing when the reader refuses the file; `why` says what it answered.
std::optional<std::vector<OutsideSheet>> readSheetsOutside(const QString &path,
                                                           QString *why = nullptr);

// The rows of one sheet by name, or nothing when the file or the sheet is missing.
std::optional<std::vector<QStringList>> outsideSheetRows(const QString &path, const QString &sheet);

// The Python that has the distribution's openpyxl.
QString systemPython();

// Rows with trailing empty cells dropped, as the readers report them.
std::vector<QStringList> trimmedRows(std::vector<QStringList> rows);

} // namespace quelmar::test
