#include "spreadsheet/spreadsheet.h"

#include "atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

namespace quelmar::spreadsheet {

// Why a file was refused or not written; off by default.
Q_LOGGING_CATEGORY(lcSpreadsheet, "quelmar.spreadsheet", QtWarningMsg)

namespace {

const QString kErrorReading = QStringLiteral("Error reading row\n");
const QString kErrorWriting = QStringLiteral("Error writing file\n");

} // namespace

SpreadSheet::SpreadSheet(QString path, QString sheetName, bool backup)
    : path_(std::move(path)), sheetName_(std::move(sheetName)), backup_(backup),
      file_(workbookFileFor(path_))
{
    open();
}

SpreadSheet::~SpreadSheet() = default;

bool SpreadSheet::fail(FileStatus status, const QString &error)
{
    fileStatus_ = status;
    lastError_ = error;
    return false;
}

void SpreadSheet::open()
{
    if (!QFileInfo::exists(path_))
        return;
    ReadResult read = file_->read(path_);
    if (read.status != FileStatus::Ok) {
        qCInfo(lcSpreadsheet) << path_ << read.detail;
        fail(read.status, read.status == FileStatus::Foreign
                              ? QStringLiteral("Workbook holds content that cannot be kept\n")
                              : kErrorReading);
        return;
    }
    if (!file_->hasSheets()) {
        existed_ = true;
        if (!read.sheets.empty())
            previous_ = std::move(read.sheets.front());
    } else {
        for (Sheet &sheet : read.sheets) {
            if (sheet.name == sheetName_) {
                existed_ = true;
                previous_ = std::move(sheet);
            } else if (sheet.name == QLatin1String(kBackupSheetName) &&
                       sheetName_ != QLatin1String(kBackupSheetName)) {
                keptBackup_ = std::move(sheet);
            } else {
                qCInfo(lcSpreadsheet) << path_ << "holds the sheet" << sheet.name;
                fail(FileStatus::Foreign, QStringLiteral("Workbook holds other sheets\n"));
                return;
            }
        }
    }
    previous_.name = sheetName_;
    if (!previous_.rows.empty()) {
        header_ = previous_.rows.front();
        rows_.assign(previous_.rows.begin() + 1, previous_.rows.end());
    }
}

bool SpreadSheet::addHeaders(const QStringList &names)
{
    if (fileStatus_ != FileStatus::Ok)
        return false;
    for (qsizetype i = 0; i < names.size(); ++i) {
        for (qsizetype j = i + 1; j < names.size(); ++j) {
            if (names[i] == names[j]) {
                lastError_ = QStringLiteral("Duplicate header row field:%1\n").arg(names[i]);
                return false;
            }
        }
    }
    if (names.size() < header_.size()) {
        lastError_ = QStringLiteral("Number of columns in new header row cannot be less than the "
                                    "number of columns in previous header row");
        return false;
    }
    header_ = names;
    return true;
}

bool SpreadSheet::addRow(const QStringList &cells)
{
    if (fileStatus_ != FileStatus::Ok)
        return false;
    if (header_.isEmpty()) {
        lastError_ = QStringLiteral("No header row. Add header row first\n");
        return false;
    }
    if (cells.size() > header_.size()) {
        lastError_ = QStringLiteral(
            "Number of columns to be added cannot be greater than the number of fields\n");
        return false;
    }
    rows_.push_back(cells);
    return true;
}

std::optional<QStringList> SpreadSheet::readRow(qsizetype row)
{
    if (fileStatus_ == FileStatus::Unreadable || fileStatus_ == FileStatus::Foreign) {
        lastError_ = kErrorReading;
        return std::nullopt;
    }
    if (row < 1 || row > totalRows()) {
        lastError_ =
            QStringLiteral("Desired row is greater than total number of rows in spreadsheet\n");
        return std::nullopt;
    }
    if (row == 1)
        return header_;
    return rows_[std::size_t(row - 2)];
}

bool SpreadSheet::commit()
{
    if (fileStatus_ == FileStatus::Unreadable || fileStatus_ == FileStatus::Foreign)
        return false;
    std::vector<Sheet> sheets(1);
    sheets[0].name = sheetName_;
    sheets[0].rows.reserve(rows_.size() + 1);
    if (!header_.isEmpty())
        sheets[0].rows.push_back(header_);
    sheets[0].rows.insert(sheets[0].rows.end(), rows_.begin(), rows_.end());
    if (file_->hasSheets()) {
        if (backup_ && existed_)
            sheets.push_back({QLatin1String(kBackupSheetName), previous_.rows});
        else if (keptBackup_)
            sheets.push_back(*keptBackup_);
    }

    const QString broken = limitBroken(sheets, file_->limits());
    if (!broken.isEmpty()) {
        qCInfo(lcSpreadsheet) << path_ << broken;
        return fail(FileStatus::TooLarge, broken + QLatin1Char('\n'));
    }
    if (!file_->hasSheets() && backup_ && existed_) {
        QFile old(path_);
        QString why;
        if (!old.open(QIODevice::ReadOnly) ||
            !replaceFile(path_ + QStringLiteral(".bak"), old.readAll(), &why)) {
            qCInfo(lcSpreadsheet) << path_ << "backup:" << why << old.errorString();
            return fail(FileStatus::WriteFailed, kErrorWriting);
        }
    }
    QString detail;
    if (file_->write(path_, sheets, &detail) != FileStatus::Ok) {
        qCInfo(lcSpreadsheet) << path_ << detail;
        return fail(FileStatus::WriteFailed, kErrorWriting);
    }
    fileStatus_ = FileStatus::Ok;
    return true;
}

} // namespace quelmar::spreadsheet
