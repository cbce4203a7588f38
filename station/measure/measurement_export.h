// "Export to excel": asks for a file, then writes the header and the export rows of a shape
// list into its sheet "ExportData" (appending to what is there, the previous content kept as
// the backup) and tells the user when that fails.
#pragma once

#include "measure/measurement_table.h"

#include <QString>

namespace quelmar::station {

class Language;
class Prompt;

enum class ExportResult {
    Cancelled, // the file dialog was cancelled
    Written,
    Failed, // the user was told why; the file is as it was
};

ExportResult exportMeasurements(const ShapeList &shapes, ShapeNumbering numbering, Prompt &prompt,
                                const Language &language, const QString &proposedPath = {});

} // namespace quelmar::station
