#include "measure/calibration_plist.h"

#include "atomic_file.h"
#include "measure/shape_labels.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

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
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(-1); // one tab, as property lists are laid out
    xml.writeStartDocument();
    xml.writeDTD(QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"));
    xml.writeStartElement(QStringLiteral("plist"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    xml.writeStartElement(QStringLiteral("dict"));
    for (const auto &[key, value] : dictionary) {
        xml.writeTextElement(QStringLiteral("key"), key);
        xml.writeTextElement(QStringLiteral("string"), value);
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return replaceFile(path, bytes, error);
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
