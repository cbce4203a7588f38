#include "spreadsheet/delimited_file.h"

#include "atomic_file.h"

#include <QFile>
#include <QStringDecoder>

namespace quelmar::spreadsheet {

std::optional<std::vector<QStringList>> parseDelimited(const QByteArray &bytes)
{
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString text = decode(bytes);
    if (decode.hasError())
        return std::nullopt;
    std::vector<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false;      // inside a quoted field
    bool cellStarted = false; // the line has a cell in progress
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ch = text[i];
        if (quoted) {
            if (ch != u'"') {
                cell += ch;
            } else if (i + 1 < n && text[i + 1] == u'"') {
                cell += ch;
                ++i;
            } else {
                quoted = false;
            }
            continue;
        }
        if (ch == u'"') {
            quoted = true;
            cellStarted = true;
        } else if (ch == u',') {
            row.push_back(std::exchange(cell, {}));
            cellStarted = true;
        } else if (ch == u'\n' || ch == u'\r') {
            if (ch == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            if (cellStarted || !row.isEmpty() || !cell.isEmpty())
                row.push_back(std::exchange(cell, {}));
            rows.push_back(std::exchange(row, {}));
            cellStarted = false;
        } else {
            cell += ch;
            cellStarted = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (cellStarted || !row.isEmpty() || !cell.isEmpty()) {
        row.push_back(cell);
        rows.push_back(row);
    }
    return rows;
}

QByteArray formatDelimited(const std::vector<QStringList> &rows)
{
    QString text;
    for (const QStringList &row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0)
                text += u',';
            text += u'"';
            QString cell = row[c];
            text += cell.replace(u'"', QLatin1String("\"\""));
            text += u'"';
        }
        text += QLatin1String("\r\n");
    }
    return text.toUtf8();
}

ReadResult DelimitedFile::read(const QString &path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {FileStatus::Unreadable, file.errorString(), {}};
    std::optional<std::vector<QStringList>> rows = parseDelimited(file.readAll());
    if (!rows)
        return {FileStatus::Unreadable, QStringLiteral("not UTF-8 text or a quote left open"), {}};
    ReadResult result;
    result.sheets.push_back({QString(), std::move(*rows)});
    return result;
}

FileStatus DelimitedFile::write(const QString &path, const std::vector<Sheet> &sheets,
                                QString *detail) const
{
    const QByteArray bytes = sheets.empty() ? QByteArray() : formatDelimited(sheets.front().rows);
    return replaceFile(path, bytes, detail) ? FileStatus::Ok : FileStatus::WriteFailed;
}

} // namespace quelmar::spreadsheet
