#include "shell/qt_translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>

namespace quelmar::station {

QString qtLocaleName(LanguagePair language)
{
    switch (language.lanId) {
    case 2:
        return QStringLiteral("bg");
    case 4:
        return language.subLanId == 1 ? QStringLiteral("zh_TW") : QStringLiteral("zh_CN");
    case 7:
        return QStringLiteral("de");
    case 10:
        return QStringLiteral("es");
    case 16:
        return QStringLiteral("it");
    case 17:
        return QStringLiteral("ja");
    case 18:
        return QStringLiteral("ko");
    case 22:
        return QStringLiteral("pt_PT");
    case 25:
        return QStringLiteral("ru");
    case 30:
        return QStringLiteral("th");
    case 31:
        return QStringLiteral("tr");
    default:
        return {};
    }
}

QtTranslations::QtTranslations(QString directory)
    : directory_(directory.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath)
                                     : std::move(directory))
{}

QtTranslations::~QtTranslations()
{
    if (installed_)
        QCoreApplication::removeTranslator(&translator_);
}

bool QtTranslations::choose(LanguagePair language)
{
    if (installed_)
        QCoreApplication::removeTranslator(&translator_);
    installed_ = false;
    const QString locale = qtLocaleName(language);
    if (locale.isEmpty())
        return false;
    // The load falls back from "pt_PT" to "pt" by itself; where Qt ships only another
    // country's variant (Brazilian for Portuguese), that one is nearer than English.
    QStringList names{QStringLiteral("qtbase_") + locale};
    const QString primary = locale.section(u'_', 0, 0);
    names +=
        QDir(directory_)
            .entryList({QStringLiteral("qtbase_%1_*.qm").arg(primary)}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        if (translator_.load(name, directory_)) {
            installed_ = QCoreApplication::installTranslator(&translator_);
            return installed_;
        }
    }
    return false;
}

} // namespace quelmar::station
