#include "outside_sheets.h"

#include "temp_home.h"

#include <freexl.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quelmar::test {

namespace {

std::optional<std::vector<OutsideSheet>> readWithFreeXl(const QString &path, QString *why)
{
    const void *handle = nullptr;
    const int rc = freexl_open(QFile::encodeName(path).constData(), &handle);
    const auto refuse = [&](const QString &text) -> std::optional<std::vector<OutsideSheet>> {
        if (why)
            *why = text;
        if (handle)
            freexl_close(handle);
        return std::nullopt;
    };
    if (rc != FREEXL_OK || !handle)
        return refuse(QStringLiteral("freexl_open: %1").arg(rc));
    unsigned int count = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
        return refuse(QStringLiteral("sheet count"));
    std::vector<OutsideSheet> sheets;
    for (unsigned short s = 0; s < count; ++s) {
        const char *name = nullptr;
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_get_worksheet_name(handle, s, &name) != FREEXL_OK ||
            freexl_select_active_worksheet(handle, s) != FREEXL_OK ||
            freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
            return refuse(QStringLiteral("sheet %1").arg(s));
        OutsideSheet sheet{QString::fromUtf8(name), {}, {}};
        for (unsigned int r = 0; r < rows; ++r) {
            QStringList row;
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue v{};
                if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK)
                    return refuse(QStringLiteral("cell %1,%2").arg(r).arg(c));
                if (v.type == FREEXL_CELL_TEXT || v.type == FREEXL_CELL_SST_TEXT)
                    row.push_back(QString::fromUtf8(v.value.text_value));
                else if (v.type == FREEXL_CELL_NULL)
                    row.push_back(QString());
                else {
                    row.push_back(QStringLiteral("?"));
                    sheet.types.push_back(QString::number(v.type));
                }
            }
            sheet.rows.push_back(row);
        }
        sheet.rows = trimmedRows(std::move(sheet.rows));
        sheets.push_back(std::move(sheet));
    }
    freexl_close(handle);
    return sheets;
}

std::optional<std::vector<OutsideSheet>> readWithPython(const QString &path, QString *why)
{
    int exitCode = -1;
    const QByteArray out =
        runTool(systemPython(),
                {sourceDir() + QStringLiteral("/tests/support/read_sheets.py"), path}, &exitCode);
    if (exitCode != 0) {
        if (why)
            *why = QStringLiteral("python exit %1").arg(exitCode);
        return std::nullopt;
    }
    std::vector<OutsideSheet> sheets;
    for (const QJsonValue &s : QJsonDocument::fromJson(out).array()) {
        OutsideSheet sheet{s[QLatin1String("name")].toString(), {}, {}};
        for (const QJsonValue &r : s[QLatin1String("rows")].toArray()) {
            QStringList row;
            for (const QJsonValue &c : r.toArray())
                row.push_back(c.isString() ? c.toString() : QStringLiteral("?"));
            sheet.rows.push_back(row);
        }
        for (const QJsonValue &t : s[QLatin1String("types")].toArray())
            if (t.toString() != QLatin1String("str"))
                sheet.types.push_back(t.toString());
        sheets.push_back(std::move(sheet));
    }
    return sheets;
}

} // namespace

QString systemPython()
{
    return QStringLiteral(QUELMAR_SYSTEM_PYTHON);
}

std::vector<QStringList> trimmedRows(std::vector<QStringList> rows)
{
    for (QStringList &row : rows)
        while (!row.isEmpty() && row.constLast().isEmpty())
            row.removeLast();
    return rows;
}

std::optional<std::vector<OutsideSheet>> readSheetsOutside(const QString &path, QString *why)
{
    if (path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive))
        return readWithFreeXl(path, why);
    return readWithPython(path, why);
}

std::optional<std::vector<QStringList>> outsideSheetRows(const QString &path, const QString &sheet)
{
    const auto sheets = readSheetsOutside(path);
    if (!sheets)
        return std::nullopt;
    for (const OutsideSheet &s : *sheets)
        if (s.name == sheet)
            return s.rows;
    return std::nullopt;
}

} // namespace quelmar::test
