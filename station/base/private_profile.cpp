#include "base/private_profile.h"

#include <atomic_file.h>

#include <QFile>
#include <QList>

namespace quelmar::station {

namespace detail {
QByteArray sectionName(const QByteArray &trimmedLine)
{
    const qsizetype close = trimmedLine.indexOf(']');
    return (close < 0 ? trimmedLine.mid(1) : trimmedLine.mid(1, close - 1)).trimmed();
}
} // namespace detail

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    // Profile files are small; a huge file is not one of ours.
    if (!f.open(QIODevice::ReadOnly) || f.size() > (16 << 20))
        return {};
    return f.readAll();
}

} // namespace

std::optional<QByteArray> readProfileValue(const QByteArray &fileBytes, const QByteArray &section,
                                           const QByteArray &key)
{
    std::optional<QByteArray> result;
    forEachProfileEntry(fileBytes, section, [&](const QByteArray &k, const QByteArray &v) {
        if (!result && k.compare(key, Qt::CaseInsensitive) == 0)
            result = v;
    });
    return result;
}

std::optional<QByteArray> readProfileValue(const QString &path, const QByteArray &section,
                                           const QByteArray &key)
{
    if (!QFile::exists(path))
        return std::nullopt;
    return readProfileValue(readFile(path), section, key);
}

QList<QByteArray> splitLines(const QByteArray &fileBytes)
{
    if (fileBytes.isEmpty())
        return {};
    QList<QByteArray> lines = fileBytes.split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &l : lines)
        if (l.endsWith('\r'))
            l.chop(1);
    return lines;
}

bool writeProfileValue(const QString &path, const QByteArray &section, const QByteArray &key,
                       const QByteArray &value)
{
    QList<QByteArray> lines = splitLines(readFile(path));

    const QByteArray keyLine = key + '=' + value;
    qsizetype sectionStart = -1;
    qsizetype sectionEnd = -1; // one past the last non-empty line of the section
    bool written = false;
    for (qsizetype i = 0; i < lines.size() && !written; ++i) {
        const QByteArray t = lines[i].trimmed();
        if (t.startsWith('[')) {
            if (sectionStart >= 0)
                break;
            if (detail::sectionName(t).compare(section, Qt::CaseInsensitive) == 0)
                sectionStart = sectionEnd = i + 1;
            continue;
        }
        if (sectionStart < 0)
            continue;
        if (!t.isEmpty())
            sectionEnd = i + 1;
        const qsizetype eq = t.indexOf('=');
        if (eq > 0 && t.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            lines[i] = keyLine;
            written = true;
        }
    }
    if (!written) {
        if (sectionStart < 0) {
            lines.append('[' + section + ']');
            lines.append(keyLine);
        } else {
            lines.insert(sectionEnd, keyLine);
        }
    }

    QByteArray text;
    for (const QByteArray &l : lines)
        text += l + "\r\n";
    return replaceFile(path, text);
}

} // namespace quelmar::station
