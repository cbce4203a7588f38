// Section/key files read and written the way the station's font files and language files
// have always been: sections and keys ignore case, values are trimmed, CR LF line ends.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace quelmar::station {

// The raw bytes of a value, or nothing when the file, section or key is missing.
std::optional<QByteArray> readProfileValue(const QByteArray &fileBytes, const QByteArray &section,
                                           const QByteArray &key);
std::optional<QByteArray> readProfileValue(const QString &path, const QByteArray &section,
                                           const QByteArray &key);

// The lines of a text file without their line ends (LF or CR LF); no last empty line.
QList<QByteArray> splitLines(const QByteArray &fileBytes);

// Replaces or adds the key's value, keeping every other line; the file is replaced atomically.
bool writeProfileValue(const QString &path, const QByteArray &section, const QByteArray &key,
                       const QByteArray &value);

// Every key=value line of one section, in file order (for reading a whole language file).
template <typename Fn>
void forEachProfileEntry(const QByteArray &fileBytes, const QByteArray &section, Fn &&fn);

namespace detail {
QByteArray sectionName(const QByteArray &trimmedLine);
}

template <typename Fn>
void forEachProfileEntry(const QByteArray &fileBytes, const QByteArray &section, Fn &&fn)
{
    bool inSection = false;
    for (const QByteArray &raw : fileBytes.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inSection = detail::sectionName(line).compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (!inSection || eq <= 0)
            continue;
        fn(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
}

} // namespace quelmar::station
