// Replacing a file in one step: the new contents go to a temporary file that takes the
// name only when complete, so a crash or a full disk never leaves half a file.
#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
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

// Copies `source` over `destination` the same way: an existing file is replaced only once the
// copy is whole; copying a file onto itself leaves it alone. Large files go in pieces.
inline bool copyFileReplacing(const QString &source, const QString &destination,
                              QString *error = nullptr)
{
    const QString from = QFileInfo(source).canonicalFilePath();
    if (!from.isEmpty() && from == QFileInfo(destination).canonicalFilePath())
        return true; // the file itself: replacing it by its copy would only risk it
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = in.errorString();
        return false;
    }
    QSaveFile out(destination);
    if (!out.open(QIODevice::WriteOnly)) {
        if (error)
            *error = out.errorString();
        return false;
    }
    QByteArray chunk;
    bool written = true;
    while (written && !(chunk = in.read(1 << 20)).isEmpty())
        written = out.write(chunk) == chunk.size();
    if (!written || in.error() != QFileDevice::NoError || !in.atEnd() || !out.commit()) {
        if (error)
            *error = written && in.error() != QFileDevice::NoError ? in.errorString()
                                                                   : out.errorString();
        return false; // QSaveFile drops the unfinished copy
    }
    return true;
}

} // namespace quelmar
