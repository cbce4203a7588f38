// One file format of the spreadsheet export: reads every sheet of an existing file and
// replaces the file with new sheets in one step. The .xls, .xlsx and delimited-text formats
// implement it; the spreadsheet (spreadsheet.h) chooses one by the file's extension.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace quelmar::spreadsheet {

// A sheet's cells as text, row by row; a row may be shorter than the widest one (the missing
// cells are empty).
struct Sheet {
    QString name;
    std::vector<QStringList> rows;
};

enum class FileStatus {
    Ok,
    Unreadable,  // not a file of this format, damaged, or encrypted
    Foreign,     // holds content that a rewrite would lose: formulas, numbers, formatting, ...
    TooLarge,    // more rows, columns or characters in a cell than the format holds
    WriteFailed, // the file could not be replaced; the old one is left as it was
};

struct ReadResult {
    FileStatus status = FileStatus::Ok;
    QString detail; // why, for the log and for tests
    std::vector<Sheet> sheets;
};

struct FormatLimits {
    qsizetype rows = 0;      // per sheet, header included
    qsizetype columns = 0;   // per sheet
    qsizetype cellChars = 0; // UTF-16 code units a cell; 0: unlimited
};

class WorkbookFile {
public:
    virtual ~WorkbookFile() = default;

    // Whether the format holds named sheets; delimited text holds one unnamed table.
    virtual bool hasSheets() const = 0;
    virtual FormatLimits limits() const = 0;
    // Reads the whole file. The caller has checked that it exists.
    virtual ReadResult read(const QString &path) const = 0;
    // Replaces the file atomically; on failure `detail` says why and the old file is unchanged.
    virtual FileStatus write(const QString &path, const std::vector<Sheet> &sheets,
                             QString *detail) const = 0;
};

// .xls (case ignored): BIFF8; .xlsx: Office Open XML; anything else: comma-separated text.
std::unique_ptr<WorkbookFile> workbookFileFor(const QString &path);

// The first limit a set of sheets breaks, or an empty text when they fit.
QString limitBroken(const std::vector<Sheet> &sheets, const FormatLimits &limits);

} // namespace quelmar::spreadsheet
