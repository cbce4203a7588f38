#include "image/picture_file.h"

#include <QFile>

namespace quelmar {

std::optional<QByteArray> readPictureFile(const QString &path, qint64 maxBytes, QString *error)
{
    const auto fail = [&](const QString &message) {
        if (error)
            *error = message;
        return std::nullopt;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    if (file.size() > maxBytes)
        return fail(QStringLiteral("%1 is too large for a picture").arg(path));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    return bytes;
}

} // namespace quelmar
