// Reading a picture file whole, with a size limit, before a codec decodes it.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace quelmar {

// The file's bytes, or nothing (with the reason in *error) when it cannot be read or is
// larger than `maxBytes`.
std::optional<QByteArray> readPictureFile(const QString &path, qint64 maxBytes, QString *error);

} // namespace quelmar
