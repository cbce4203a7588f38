// Qt's own texts (Yes and No, OK and Cancel, the file, colour and font choosers) in the
// station's language: Qt's catalogue for it, installed in the application while chosen.
#pragma once

#include "base/language.h"

#include <QString>
#include <QTranslator>

namespace quelmar::station {

// Qt's locale name for one of the station's menu languages ("zh_TW" for Traditional
// Chinese); empty for English and for languages the menu does not offer.
QString qtLocaleName(LanguagePair language);

class QtTranslations {
public:
    // `directory` holds Qt's catalogues; by default the one Qt was installed with.
    explicit QtTranslations(QString directory = {});
    ~QtTranslations();
    Q_DISABLE_COPY_MOVE(QtTranslations)

    // Replaces the installed catalogue by the language's; false when Qt has none for it
    // (its texts are then English).
    bool choose(LanguagePair language);

private:
    QString directory_;
    QTranslator translator_;
    bool installed_ = false;
};

} // namespace quelmar::station
