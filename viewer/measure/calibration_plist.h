// The calibration file as an XML property list: a dictionary of calibration names to texts
// "magnification-unit-unit length". Small on purpose: read, set one key, replace atomically.
#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace quelmar::viewer {

// Key and value in the file's order.
using PlistDictionary = std::vector<std::pair<QString, QString>>;

// The dictionary of string values at the root of an XML property list; empty when the file
// is missing, cannot be read or holds anything else, with the reason in `error`.
std::optional<PlistDictionary> readPlistDictionary(const QString &path, QString *error = nullptr);

// The dictionary as an XML property list, replacing `path` atomically.
bool writePlistDictionary(const QString &path, const PlistDictionary &dictionary,
                          QString *error = nullptr);

// The calibration text "%.3f-%@-%.3f" of magnification, unit and unit length.
QString calibrationValue(float magnification, const QString &unit, float unitLength);

enum class CalibrationStore { Stored, NoFile, Unreadable, WriteFailed };

// Sets `name` to `value` in an existing calibration file (a new name goes last). A missing
// file stays missing; a file that is not a dictionary of texts is left as it is.
CalibrationStore storeCalibration(const QString &path, const QString &name, const QString &value,
                                  QString *error = nullptr);

} // namespace quelmar::viewer
