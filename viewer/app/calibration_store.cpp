#include "app/calibration_store.h"

#include "app/property_list.h"

#include "atomic_file.h"

#include <QFile>

#include <charconv>
#include <cmath>

namespace quelmar::viewer {

std::optional<float> positiveNumber(const QString &text)
{
    const QByteArray latin = text.trimmed().toLatin1();
    if (latin.isEmpty() || text.trimmed().size() != latin.size())
        return std::nullopt;
    // Only digits, one point and an exponent: from_chars alone would take "inf" and "nan".
    for (const char c : latin) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-'))
            return std::nullopt;
    }
    const char *begin = latin.constData();
    const char *end = begin + latin.size();
    if (*begin == '+')
        ++begin;
    double value = 0;
    const auto [stop, status] = std::from_chars(begin, end, value, std::chars_format::general);
    if (status != std::errc() || stop != end)
        return std::nullopt;
    const auto narrow = float(value);
    if (!std::isfinite(narrow) || !(narrow > 0))
        return std::nullopt;
    return narrow;
}

QString formatCalibration(const Calibration &calibration)
{
    // QString::asprintf formats with a point in every locale.
    return QString::asprintf("%.3f-", double(calibration.magnification)) + calibration.unit +
           QString::asprintf("-%.3f", double(calibration.unitLength));
}

std::optional<Calibration> parseCalibration(const QString &value)
{
    const QStringList parts = value.split(u'-');
    if (parts.size() != 3 || parts[1].trimmed().isEmpty())
        return std::nullopt;
    const std::optional<float> magnification = positiveNumber(parts[0]);
    const std::optional<float> unitLength = positiveNumber(parts[2]);
    if (!magnification || !unitLength)
        return std::nullopt;
    return Calibration{*magnification, parts[1], *unitLength};
}

bool CalibrationStore::createIfMissing(const QByteArray &defaultContents, QString *error) const
{
    if (QFile::exists(path_))
        return true;
    return replaceFile(path_, defaultContents, error);
}

QStringList CalibrationStore::names(bool *readable) const
{
    PropertyList::Status status = PropertyList::Status::Read;
    const PropertyList list = PropertyList::read(path_, &status);
    if (readable)
        *readable = status != PropertyList::Status::Unreadable;
    return list.keys();
}

std::optional<Calibration> CalibrationStore::find(const QString &name) const
{
    const PropertyList list = PropertyList::read(path_);
    if (!list.contains(name))
        return std::nullopt;
    return parseCalibration(list.value(name));
}

bool CalibrationStore::store(const QString &name, const Calibration &calibration,
                             QString *error) const
{
    const QString value = formatCalibration(calibration);
    if (!parseCalibration(value)) {
        if (error)
            *error = QStringLiteral("%1 is not a usable calibration").arg(value);
        return false;
    }
    PropertyList::Status status = PropertyList::Status::Read;
    QString why;
    PropertyList list = PropertyList::read(path_, &status, &why);
    if (status == PropertyList::Status::Unreadable) {
        if (error)
            *error = QStringLiteral("%1 cannot be read (%2)").arg(path_, why);
        return false;
    }
    // A file holding anything but calibration texts is someone else's: it is left as it is.
    if (!list.onlyStrings()) {
        if (error)
            *error = QStringLiteral("%1 holds values that are not calibrations").arg(path_);
        return false;
    }
    list.setString(name, value);
    return list.write(path_, error);
}

bool CalibrationStore::clear(QString *error) const
{
    return PropertyList().write(path_, error);
}

} // namespace quelmar::viewer
