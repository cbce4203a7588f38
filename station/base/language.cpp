#include "base/language.h"

#include "base/code_page.h"
#include "base/private_profile.h"

#include <QFile>
#include <QRegularExpression>

namespace quelmar::station {

QString languageFileName(LanguagePair language)
{
    switch (language.lanId) {
    case 1:
        return QStringLiteral("Arabic1256.ini");
    case 2:
        return QStringLiteral("Bulgarian442.ini");
    case 4:
        return language.subLanId == 1 ? QStringLiteral("Chinese950.ini")
                                      : QStringLiteral("Chinese936.ini");
    case 6:
        return QStringLiteral("Danish1252.ini");
    case 7:
        return QStringLiteral("German1252.ini");
    case 10:
        return QStringLiteral("Spanish1252.ini");
    case 11:
        return QStringLiteral("Finnish1252.ini");
    case 12:
        return QStringLiteral("French1252.ini");
    case 13:
        return QStringLiteral("Hebrew1255.ini");
    case 16:
        return QStringLiteral("Italian1252.ini");
    case 17:
        return QStringLiteral("Japanese932.ini");
    case 18:
        return QStringLiteral("Korean949.ini");
    case 19:
        return QStringLiteral("Dutch1252.ini");
    case 20:
        return QStringLiteral("Norwegian1252.ini");
    case 21:
        return QStringLiteral("Polish1250.ini");
    case 22:
        return QStringLiteral("Portuguese1252.ini");
    case 25:
        return QStringLiteral("Russian1251.ini");
    case 29:
        return QStringLiteral("Swedish1252.ini");
    case 30:
        return QStringLiteral("Thai874.ini");
    case 31:
        return QStringLiteral("Turkish1254.ini");
    case 42:
        return QStringLiteral("Vietnamese1258.ini");
    default:
        return QStringLiteral("English1252.ini");
    }
}

int codePageOfLanguageFile(const QString &fileName)
{
    static const QRegularExpression number(QStringLiteral("(\\d+)\\.ini$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const int page = number.match(fileName).captured(1).toInt();
    // "442" in the Bulgarian file's name is no code page; its texts are Cyrillic 1251.
    return page == 442 ? 1251 : page;
}

std::uint16_t primaryLanguageOfLocale(const QString &localeName)
{
    static const QHash<QString, std::uint16_t> primary = {
        {"ar", 1},  {"bg", 2},  {"ca", 3},  {"zh", 4},  {"cs", 5},  {"da", 6},  {"de", 7},
        {"el", 8},  {"en", 9},  {"es", 10}, {"fi", 11}, {"fr", 12}, {"he", 13}, {"hu", 14},
        {"is", 15}, {"it", 16}, {"ja", 17}, {"ko", 18}, {"nl", 19}, {"nb", 20}, {"nn", 20},
        {"no", 20}, {"pl", 21}, {"pt", 22}, {"ro", 24}, {"ru", 25}, {"hr", 26}, {"sk", 27},
        {"sq", 28}, {"sv", 29}, {"th", 30}, {"tr", 31}, {"ur", 32}, {"id", 33}, {"uk", 34},
        {"be", 35}, {"sl", 36}, {"et", 37}, {"lv", 38}, {"lt", 39}, {"fa", 41}, {"vi", 42},
    };
    const QString lang = localeName.section(u'_', 0, 0).section(u'.', 0, 0).section(u'@', 0, 0);
    return primary.value(lang.toLower(), 9);
}

QString systemLocaleName()
{
    for (const char *var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString v = qEnvironmentVariable(var);
        if (!v.isEmpty())
            return v;
    }
    return QStringLiteral("C");
}

LanguagePair effectiveLanguage(LanguagePair stored, const QString &systemLocale)
{
    if (stored.lanId != 0)
        return stored;
    // Only the primary language (the low 10 bits) of the system's choice counts.
    return {std::uint16_t(primaryLanguageOfLocale(systemLocale) & 0x3FF), 0};
}

void Language::choose(LanguagePair language)
{
    const QString name = languageFileName(language);
    filePath_ = directory_ + u'/' + name;
    texts_.clear();
    QFile f(filePath_);
    if (!f.open(QIODevice::ReadOnly) || f.size() > (4 << 20))
        return;
    const int codePage = codePageOfLanguageFile(name);
    forEachProfileEntry(f.readAll(), "DeskCap",
                        [&](const QByteArray &key, const QByteArray &value) {
                            const QString k = QString::fromLatin1(key).toLower();
                            if (!texts_.contains(k))
                                texts_.insert(k, decodeCodePage(value, codePage));
                        });
}

QString Language::text(const QString &key, int capacity, const QString &fallback) const
{
    const auto it = texts_.constFind(key.toLower());
    const QString &chosen = it == texts_.constEnd() ? fallback : *it;
    return capacity > 0 ? chosen.left(capacity - 1) : QString();
}

} // namespace quelmar::station
