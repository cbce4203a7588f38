#include "base/ini_file.h"

#include "base/private_profile.h"

#include <atomic_file.h>

#include <QFile>

namespace quelmar::station {

namespace {

QByteArray trimmedLeft(const QByteArray &s)
{
    qsizetype i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    return s.mid(i);
}

} // namespace

bool CIniFile::Load(const QString &path)
{
    path_ = path;
    lines_.clear();
    loaded_ = false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    lines_ = splitLines(f.readAll());
    loaded_ = true;
    return true;
}

CIniFile::Lookup CIniFile::find(const QByteArray &section, const QByteArray &key,
                                qsizetype &index) const
{
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const QByteArray header = lines_[i].trimmed();
        // The header test drops the first and last character without checking the brackets.
        if (header.size() < 2 ||
            header.mid(1, header.size() - 2).compare(section, Qt::CaseInsensitive) != 0)
            continue;
        for (qsizetype j = i + 1; j < lines_.size(); ++j) {
            const QByteArray line = trimmedLeft(lines_[j]);
            if (line.contains("//"))
                continue;
            if (line.contains(key)) {
                index = j;
                return Lookup::Found;
            }
            if (line.contains('[')) {
                index = j;
                return Lookup::NotInSection;
            }
        }
        index = lines_.size();
        return Lookup::NotInSection;
    }
    return Lookup::NoSection;
}

std::optional<qsizetype> CIniFile::Find(const QString &section, const QString &key) const
{
    qsizetype index = 0;
    if (!loaded_ || find(section.toLocal8Bit(), key.toLocal8Bit(), index) != Lookup::Found)
        return std::nullopt;
    return index + 1;
}

std::optional<QString> CIniFile::Read(const QString &section, const QString &key) const
{
    const auto line = Find(section, key);
    if (!line)
        return std::nullopt;
    const QByteArray &text = lines_[*line - 1];
    const qsizetype eq = text.indexOf('=');
    return QString::fromLocal8Bit(eq < 0 ? QByteArray() : text.mid(eq + 1));
}

bool CIniFile::Write(const QString &section, const QString &key, const QString &value)
{
    if (!loaded_)
        return false;
    const QByteArray sec = section.toLocal8Bit();
    const QByteArray k = key.toLocal8Bit();
    const QByteArray keyLine = k + '=' + value.toLocal8Bit();
    qsizetype index = 0;
    switch (find(sec, k, index)) {
    case Lookup::Found:
        lines_[index] = keyLine;
        break;
    case Lookup::NotInSection:
        // New keys go at the end of their section, before any blank lines that close it.
        while (index > 0 && lines_[index - 1].trimmed().isEmpty())
            --index;
        lines_.insert(index, keyLine);
        break;
    case Lookup::NoSection:
        lines_.append('[' + sec + ']');
        lines_.append(keyLine);
        break;
    }
    return save();
}

bool CIniFile::save() const
{
    QByteArray text;
    for (const QByteArray &l : lines_)
        text += l + '\n';
    return replaceFile(path_, text);
}

} // namespace quelmar::station
