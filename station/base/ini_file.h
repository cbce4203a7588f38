// CIniFile: the line-based INI reader and writer of the calibration file. Its lookup rules
// are deliberately loose (a key matches anywhere inside a line) because calibration files
// written by earlier stations depend on them.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace quelmar::station {

class CIniFile {
public:
    // Reads every line of an 8-bit text file; a file that cannot be opened leaves it unloaded.
    bool Load(const QString &path);
    bool isLoaded() const { return loaded_; }

    // 1-based line of the key inside the section, or nothing.
    std::optional<qsizetype> Find(const QString &section, const QString &key) const;
    // The text after the first "=" of the key's line.
    std::optional<QString> Read(const QString &section, const QString &key) const;
    // Sets the key's line and writes the whole file back; false when not loaded or not written.
    bool Write(const QString &section, const QString &key, const QString &value);

    const QList<QByteArray> &lines() const { return lines_; }

private:
    enum class Lookup { Found, NotInSection, NoSection };
    Lookup find(const QByteArray &section, const QByteArray &key, qsizetype &index) const;
    bool save() const;

    QString path_;
    QList<QByteArray> lines_;
    bool loaded_ = false;
};

} // namespace quelmar::station
