#include "library/folder_files.h"

#include <atomic_file.h>

#include <QFile>
#include <QStringConverter>

namespace quelmar::station {

namespace {

QString notePath(const QString &folderPath)
{
    return folderPath + QStringLiteral("/note.txt");
}

} // namespace

QString readFolderNoteLines(const QString &folderPath)
{
    QFile file(notePath(folderPath));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringDecoder decode(QStringConverter::System);
    QString text = decode(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QString readFolderNote(const QString &folderPath)
{
    // Lines joined with nothing between them, as reading line by line and dropping the ends.
    return readFolderNoteLines(folderPath).remove(u'\n');
}

bool writeFolderNote(const QString &folderPath, const QString &note, QString *error)
{
    QString text = note;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\n', QStringLiteral("\r\n"));
    QStringEncoder encode(QStringConverter::System);
    const QByteArray bytes = encode(text);
    return replaceFile(notePath(folderPath), bytes, error);
}

bool writeFolderPathFile(const QString &file, const QString &videoPath, QString *error)
{
    QStringEncoder encode(QStringConverter::Utf16LE);
    const QByteArray bytes = encode(videoPath);
    return replaceFile(file, bytes, error);
}

} // namespace quelmar::station
