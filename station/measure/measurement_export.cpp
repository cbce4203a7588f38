#include "measure/measurement_export.h"

#include "base/language.h"
#include "base/prompt.h"
#include "spreadsheet/spreadsheet.h"

namespace quelmar::station {

ExportResult exportMeasurements(const ShapeList &shapes, ShapeNumbering numbering, Prompt &prompt,
                                const Language &language, const QString &proposedPath)
{
    FileDialogRequest request;
    request.proposedPath = proposedPath;
    request.filter = QStringLiteral("xls Files (*.xls *.XLS);;xlsx Files (*.xlsx *.XLSX)");
    request.defaultSuffix = QStringLiteral("xls");
    request.confirmOverwrite = true;
    const std::optional<QString> path = prompt.saveFile(request);
    if (!path || path->isEmpty())
        return ExportResult::Cancelled;

    spreadsheet::SpreadSheet sheet(*path, QStringLiteral("ExportData"), true);
    bool ok = sheet.addHeaders(exportHeader());
    for (const QStringList &row : exportRows(shapes, numbering))
        ok = ok && sheet.addRow(row);
    ok = ok && sheet.commit();
    if (ok)
        return ExportResult::Written;

    QString text;
    switch (sheet.fileStatus()) {
    case spreadsheet::FileStatus::Foreign:
        text = language.text(QStringLiteral("ExportForeignBook"),
                             QStringLiteral("This workbook holds other sheets, formulas or "
                                            "formatting that the export would lose. It was left "
                                            "unchanged; please choose another file."));
        break;
    case spreadsheet::FileStatus::TooLarge:
        text = language.text(QStringLiteral("ExportTooLarge"),
                             QStringLiteral("The measurements do not fit this file format (too "
                                            "many rows, or a value longer than 255 characters). "
                                            "Nothing was written."));
        break;
    default:
        text = language.text(QStringLiteral("SaveFail"), QStringLiteral("Save fail"));
        break;
    }
    prompt.message(language.text(QStringLiteral("MsgTitle"), QStringLiteral("Quelmar")), text,
                   PromptIcon::Warning);
    return ExportResult::Failed;
}

} // namespace quelmar::station
