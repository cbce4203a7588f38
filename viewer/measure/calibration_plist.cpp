#include "measure/calibration_plist.h"

#include "atomic_file.h"
#include "measure/shape_labels.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <algorithm>

namespace quelmar::viewer {

namespace {

void setError(QString *error, const QString &message)
{
    if (error)
        *error = message;
}

// Reads the <key>/<string> pairs of the <dict> the reader stands in.
std::optional<PlistDictionary> readDictionary(QXmlStreamReader &xml, QString *error)
{
    PlistDictionary dictionary;
    std::optional<QString> key;
    while (xml.readNextStartElement()) {
        const auto name = xml.name();
        if (name == u"key" && !key) {
            key = xml.readElementText();
        } else if (name == u"string" && key) {
            const QString value = xml.readElementText();
            const auto same = std::find_if(dictionary.begin(), dictionary.end(),
                                           [&](const auto &entry) { return entry.first == *key; });
            if (same != dictionary.end())
                same->second = value;
            else
                dictionary.emplace_back(*key, value);
            key.reset();
        } else {
            setError(error, QStringLiteral("unexpected <%1> in the dictionary").arg(name));
            return std::nullopt;
        }
    }
    if (xml.hasError() || key) {
        setError(error, xml.hasError() ? xml.errorString() : QStringLiteral("a key without value"));
        return std::nullopt;
    }
    return dictionary;
}

QString escaped(const QString &text)
{
    QString out = text;
    out.replace(u'&', QStringLiteral("&amp;"));
    out.replace(u'<', QStringLiteral("&lt;"));
    out.replace(u'>', QStringLiteral("&gt;"));
    return out;
}

} // namespace

std::optional<PlistDictionary> readPlistDictionary(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, file.errorString());
        return std::nullopt;
    }
    QXmlStreamReader xml(&file);
    if (!xml.readNextStartElement() || xml.name() != u"plist" || !xml.readNextStartElement() ||
        xml.name() != u"dict") {
        setError(error, xml.hasError() ? xml.errorString()
                                       : QStringLiteral("not a property list with a dictionary"));
        return std::nullopt;
    }
    return readDictionary(xml, error);
}

bool writePlistDictionary(const QString &path, const PlistDictionary &dictionary, QString *error)
{
    // Laid out as the platform's own property-list writer lays it out.
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                  "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                  "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                                  "<plist version=\"1.0\">\n");
    if (dictionary.empty()) {
        text += QStringLiteral("<dict/>\n");
    } else {
        text += QStringLiteral("<dict>\n");
        for (const auto &[key, value] : dictionary)
            text += QStringLiteral("\t<key>%1</key>\n\t<string>%2</string>\n")
                        .arg(escaped(key), escaped(value));
        text += QStringLiteral("</dict>\n");
    }
    text += QStringLiteral("</plist>\n");
    return replaceFile(path, text.toUtf8(), error);
}

QString calibrationValue(float magnification, const QString &unit, float unitLength)
{
    return fixedText(magnification, 3) + u'-' + unit + u'-' + fixedText(unitLength, 3);
}

CalibrationStore storeCalibration(const QString &path, const QString &name, const QString &value,
                                  QString *error)
{
    if (!QFileInfo::exists(path))
        return CalibrationStore::NoFile;
    std::optional<PlistDictionary> dictionary = readPlistDictionary(path, error);
    if (!dictionary)
        return CalibrationStore::Unreadable;
    const auto same = std::find_if(dictionary->begin(), dictionary->end(),
                                   [&](const auto &entry) { return entry.first == name; });
    if (same != dictionary->end())
        same->second = value;
    else
        dictionary->emplace_back(name, value);
    return writePlistDictionary(path, *dictionary, error) ? CalibrationStore::Stored
                                                          : CalibrationStore::WriteFailed;
}

} // namespace quelmar::viewer
