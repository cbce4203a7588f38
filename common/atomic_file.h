// Replacing a file in one step: the new contents go to a temporary file that takes the
// name only when complete, so a crash or a full disk never leaves half a file.
#pragma once

#include <QByteArrayView>
#include <QSaveFile>
#include <QString>

namespace quelmar {

// False, with the reason in `error`, when the file could not be replaced; whatever was
// there before is then left as it was.
inline bool replaceFile(const QString &path, QByteArrayView bytes, QString *error = nullptr)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes.data(), bytes.size()) == bytes.size() &&
        file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace quelmar
