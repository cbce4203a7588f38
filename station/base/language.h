// The station's texts: one file per language with a section "DeskCap" of key=text lines, the
// file chosen from the language identifiers, every text with its English default at the
// place of use.
#pragma once

#include <QHash>
#include <QString>

#include <cstdint>

namespace quelmar::station {

struct LanguagePair {
    std::uint16_t lanId = 0;
    std::uint16_t subLanId = 0;
    bool operator==(const LanguagePair &) const = default;
};

// The file name ("German1252.ini") for a language; English for anything unknown.
QString languageFileName(LanguagePair language);
// The code page a language file's texts are in, from the number in its name.
int codePageOfLanguageFile(const QString &fileName);
// Primary language identifier of a POSIX locale name ("de_DE.UTF-8" gives 7); 9 when unknown.
std::uint16_t primaryLanguageOfLocale(const QString &localeName);
// The locale that decides the user's language: LC_ALL, then LC_MESSAGES, then LANG.
QString systemLocaleName();
// LanID 0 follows the system language, with sub-language 0.
LanguagePair effectiveLanguage(LanguagePair stored, const QString &systemLocale);

class Language {
public:
    explicit Language(QString directory = {}) : directory_(std::move(directory)) {}

    void setDirectory(const QString &directory) { directory_ = directory; }
    // Sets the file path by the table and reads the file (a missing file is no error).
    void choose(LanguagePair language);
    const QString &filePath() const { return filePath_; }

    // The key's text cut to `capacity` characters including the terminator, or `fallback`
    // (cut the same way) when the file or the key is missing. Keys ignore case.
    QString text(const QString &key, int capacity, const QString &fallback) const;
    QString text(const QString &key, const QString &fallback) const
    {
        return text(key, 256, fallback);
    }

private:
    QString directory_;
    QString filePath_;
    QHash<QString, QString> texts_; // keys folded to lower case
};

} // namespace quelmar::station
