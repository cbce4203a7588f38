#include "spreadsheet/xlsx_file.h"

#include "atomic_file.h"
#include "spreadsheet/xlsx_reader.h"

#include <xlsxwriter.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace quelmar::spreadsheet {

ReadResult XlsxFile::read(const QString &path) const
{
    return readXlsx(path);
}

FileStatus XlsxFile::write(const QString &path, const std::vector<Sheet> &sheets,
                           QString *detail) const
{
    const auto failed = [detail](const QString &why) {
        if (detail)
            *detail = why;
        return FileStatus::WriteFailed;
    };
    // libxlsxwriter writes a whole file by name; it is built aside and then takes the name
    // in one step.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return failed(scratch.errorString());
    const QByteArray built = QFile::encodeName(scratch.filePath(QStringLiteral("book.xlsx")));
    const QByteArray tmpdir = QFile::encodeName(scratch.path());
    lxw_workbook_options options{};
    options.tmpdir = const_cast<char *>(tmpdir.constData());
    // Rows go straight to the sheet file with their strings inline: no string table to sort.
    options.constant_memory = LXW_TRUE;
    lxw_workbook *book = workbook_new_opt(built.constData(), &options);
    if (!book)
        return failed(QStringLiteral("libxlsxwriter could not start a workbook"));
    lxw_error error = LXW_NO_ERROR;
    for (const Sheet &sheet : sheets) {
        lxw_worksheet *ws = workbook_add_worksheet(book, sheet.name.toUtf8().constData());
        if (!ws) {
            error = LXW_ERROR_MEMORY_MALLOC_FAILED;
            break;
        }
        for (std::size_t r = 0; r < sheet.rows.size() && error == LXW_NO_ERROR; ++r) {
            const QStringList &row = sheet.rows[r];
            for (qsizetype c = 0; c < row.size(); ++c) {
                if (row[c].isEmpty())
                    continue;
                error = worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c),
                                               row[c].toUtf8().constData(), nullptr);
                if (error != LXW_NO_ERROR)
                    break;
            }
        }
        if (error != LXW_NO_ERROR)
            break;
    }
    const lxw_error closed = workbook_close(book);
    if (error == LXW_NO_ERROR)
        error = closed;
    if (error != LXW_NO_ERROR)
        return failed(QString::fromUtf8(lxw_strerror(error)));
    QFile file(QFile::decodeName(built));
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    QString why;
    if (!replaceFile(path, file.readAll(), &why))
        return failed(why);
    return FileStatus::Ok;
}

} // namespace quelmar::spreadsheet
