#include "app/property_list.h"

#include "atomic_file.h"

#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>

namespace quelmar::viewer {

namespace {

// The calibration file is a handful of lines; anything far larger is not one.
constexpr qint64 kMaxFileBytes = qint64(16) << 20;

bool isScalar(QStringView element)
{
    return element == u"string" || element == u"integer" || element == u"real" ||
           element == u"date" || element == u"data";
}

bool isBoolean(QStringView element)
{
    return element == u"true" || element == u"false";
}

} // namespace

PropertyList PropertyList::read(const QString &path, Status *status, QString *error)
{
    const auto report = [&](Status s, const QString &why) {
        if (status)
            *status = s;
        if (error)
            *error = why;
        return PropertyList();
    };
    QFile file(path);
    if (!file.exists())
        return report(Status::Missing, {});
    if (!file.open(QIODevice::ReadOnly))
        return report(Status::Unreadable, file.errorString());
    if (file.size() > kMaxFileBytes)
        return report(Status::Unreadable, QStringLiteral("the file is too large"));
    bool ok = false;
    QString why;
    PropertyList list = parse(file.readAll(), &why, &ok);
    if (!ok)
        return report(Status::Unreadable, why);
    if (status)
        *status = Status::Read;
    return list;
}

PropertyList PropertyList::parse(const QByteArray &xml, QString *error, bool *ok)
{
    PropertyList list;
    QString problem;
    QXmlStreamReader reader(xml);
    // <plist><dict> (<key>k</key><string>v</string>)* </dict></plist>
    const auto fail = [&](const QString &why) {
        problem = why;
        reader.raiseError(why);
    };
    if (reader.readNextStartElement()) {
        if (reader.name() != u"plist")
            fail(QStringLiteral("the root is not a property list"));
        else if (!reader.readNextStartElement() || reader.name() != u"dict")
            fail(QStringLiteral("the property list is not a dictionary"));
    } else {
        fail(QStringLiteral("no property list"));
    }
    QString key;
    bool haveKey = false;
    while (!reader.hasError() && reader.readNextStartElement()) {
        const QString element = reader.name().toString();
        if (element == u"key" && !haveKey) {
            key = reader.readElementText();
            haveKey = true;
            continue;
        }
        if (!haveKey || !(isScalar(element) || isBoolean(element))) {
            fail(QStringLiteral("unexpected <%1> in the dictionary").arg(element));
            break;
        }
        QString value;
        if (isBoolean(element))
            reader.skipCurrentElement();
        else
            value = reader.readElementText();
        haveKey = false;
        const auto same = std::find_if(list.entries_.begin(), list.entries_.end(),
                                       [&](const Entry &e) { return e.key == key; });
        if (same != list.entries_.end())
            *same = {key, element, value}; // a repeated key: the last value counts
        else
            list.entries_.push_back({key, element, value});
    }
    if (!reader.hasError() && haveKey)
        fail(QStringLiteral("a key without a value"));
    // Whatever follows the dictionary must still be well-formed XML.
    while (!reader.hasError() && !reader.atEnd())
        reader.readNext();
    const bool parsed = !reader.hasError();
    if (!parsed && problem.isEmpty())
        problem = reader.errorString();
    if (ok)
        *ok = parsed;
    if (error)
        *error = problem;
    return parsed ? list : PropertyList();
}

QStringList PropertyList::keys() const
{
    QStringList keys;
    keys.reserve(qsizetype(entries_.size()));
    for (const Entry &entry : entries_)
        keys << entry.key;
    return keys;
}

bool PropertyList::contains(const QString &key) const
{
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const Entry &e) { return e.key == key; });
}

QString PropertyList::value(const QString &key) const
{
    for (const Entry &entry : entries_) {
        if (entry.key == key)
            return entry.value;
    }
    return {};
}

bool PropertyList::onlyStrings() const
{
    return std::all_of(entries_.begin(), entries_.end(),
                       [](const Entry &e) { return e.type == u"string"; });
}

void PropertyList::setString(const QString &key, const QString &value)
{
    for (Entry &entry : entries_) {
        if (entry.key == key) {
            entry = {key, QStringLiteral("string"), value};
            return;
        }
    }
    entries_.push_back({key, QStringLiteral("string"), value});
}

QByteArray PropertyList::toXml() const
{
    std::vector<const Entry *> sorted;
    for (const Entry &entry : entries_)
        sorted.push_back(&entry);
    std::sort(sorted.begin(), sorted.end(),
              [](const Entry *a, const Entry *b) { return a->key < b->key; });

    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(-1); // one tab per level
    writer.writeStartDocument();
    writer.writeDTD(QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                   "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"));
    writer.writeStartElement(QStringLiteral("plist"));
    writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    writer.writeStartElement(QStringLiteral("dict"));
    for (const Entry *entry : sorted) {
        writer.writeTextElement(QStringLiteral("key"), entry->key);
        if (isBoolean(entry->type))
            writer.writeEmptyElement(entry->type);
        else
            writer.writeTextElement(entry->type, entry->value);
    }
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndDocument();
    return xml;
}

bool PropertyList::write(const QString &path, QString *error) const
{
    // A key or value XML cannot hold (a control character) would leave a file no reader
    // takes; such a list is not written.
    const QByteArray xml = toXml();
    bool ok = false;
    const PropertyList again = parse(xml, nullptr, &ok);
    const bool same = ok && again.size() == size() &&
                      std::all_of(entries_.begin(), entries_.end(), [&](const Entry &e) {
                          return again.contains(e.key) && again.value(e.key) == e.value;
                      });
    if (!same) {
        if (error)
            *error = QStringLiteral("the entries cannot be written as XML");
        return false;
    }
    return replaceFile(path, xml, error);
}

} // namespace quelmar::viewer
