// The export's spreadsheet: opened on a path with a sheet name and a backup flag, it reads
// what the file already holds, takes a header row and data rows, and writes everything back
// in one commit. An existing sheet keeps its rows (new rows follow them) and, with backup on,
// its previous content is copied to the sheet "CSpreadSheetBackup"; delimited text keeps the
// previous file as "<path>.bak" instead.
#pragma once

#include "spreadsheet/workbook_file.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace quelmar::spreadsheet {

inline constexpr char kBackupSheetName[] = "CSpreadSheetBackup";

class SpreadSheet {
public:
    // Reads the file when it exists. A file that cannot be read, holds sheets other than
    // `sheetName` and the backup sheet, or holds content a rewrite would lose leaves the
    // spreadsheet failed: nothing is added and commit() writes nothing.
    SpreadSheet(QString path, QString sheetName, bool backup);
    ~SpreadSheet();
    SpreadSheet(const SpreadSheet &) = delete;
    SpreadSheet &operator=(const SpreadSheet &) = delete;

    // Replaces the header row. Names must be unique and at least as many as before.
    bool addHeaders(const QStringList &names);
    // Appends a data row after every row already there; needs a header row and at most as
    // many cells as it has fields.
    bool addRow(const QStringList &cells);
    // Writes the sheet (and the backup) in one step. False when nothing was written.
    bool commit();

    // 1-based, the header being row 1.
    std::optional<QStringList> readRow(qsizetype row);
    qsizetype totalRows() const { return qsizetype(rows_.size()) + (header_.isEmpty() ? 0 : 1); }

    // The last error text; empty when none happened.
    const QString &lastError() const { return lastError_; }
    // What went wrong with the file itself (opening or committing), Ok when nothing did.
    FileStatus fileStatus() const { return fileStatus_; }
    bool isWorkbook() const { return file_->hasSheets(); }

private:
    void open();
    bool fail(FileStatus status, const QString &error);

    QString path_;
    QString sheetName_;
    bool backup_ = true;
    std::unique_ptr<WorkbookFile> file_;
    FileStatus fileStatus_ = FileStatus::Ok;
    QString lastError_;

    bool existed_ = false;            // the sheet (or the text file) was there when opened
    Sheet previous_;                  // its content as read
    std::optional<Sheet> keptBackup_; // a backup sheet already in the file
    QStringList header_;
    std::vector<QStringList> rows_;
};

} // namespace quelmar::spreadsheet
