// The viewer's named calibrations in calibration.plist: each key a name, each value
// "magnification-unit-unit length" ("200.000-mm-0.125"). Values are checked when read, so a
// damaged entry means no calibration, and a file that cannot be read or holds anything but
// texts is never overwritten by a store, which could lose what it holds.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quelmar::viewer {

struct Calibration {
    float magnification = 0;
    QString unit;
    float unitLength = 0;

    bool operator==(const Calibration &) const = default;
};

// A positive, finite number in the C locale's notation ("1.5", "100", " 2e3"); nullopt for
// anything else, "1,5", "abc", "inf", "-5" and "0" among them. As float, as the viewer keeps it.
std::optional<float> positiveNumber(const QString &text);

// "%.3f-%@-%.3f" of the three, with a point whatever the locale.
QString formatCalibration(const Calibration &calibration);
// The value split at "-" into exactly three valid parts; nullopt otherwise.
std::optional<Calibration> parseCalibration(const QString &value);

class CalibrationStore {
public:
    explicit CalibrationStore(QString path) : path_(std::move(path)) {}

    const QString &path() const { return path_; }

    // Writes `defaultContents` (the program's own calibration.plist) when the file is
    // missing; the copy is an ordinary writable file.
    bool createIfMissing(const QByteArray &defaultContents, QString *error = nullptr) const;
    // The names in file order; empty, with *readable false, when the file cannot be read.
    QStringList names(bool *readable = nullptr) const;
    // The stored calibration of `name`; nullopt when it is absent or not a valid value.
    std::optional<Calibration> find(const QString &name) const;
    // Adds or replaces one calibration. Refused (false, with the reason) when the existing
    // file cannot be read, holds a value that is not a text, or the value would not read back
    // as the same valid calibration.
    bool store(const QString &name, const Calibration &calibration, QString *error = nullptr) const;
    // Replaces the file by an empty dictionary.
    bool clear(QString *error = nullptr) const;

private:
    QString path_;
};

} // namespace quelmar::viewer
