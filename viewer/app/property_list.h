// XML property lists whose root is a dictionary of plain values, as the viewer keeps its
// calibrations: read with every key in file order, written with sorted keys and replaced
// atomically. A file with nested containers or any other root is not one of these lists.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace quelmar::viewer {

class PropertyList {
public:
    enum class Status { Read, Missing, Unreadable };

    struct Entry {
        QString key;
        QString type = QStringLiteral("string"); // the value's element: string, integer, real...
        QString value;
    };

    // Missing and Unreadable files give an empty list; *error says why it was unreadable.
    static PropertyList read(const QString &path, Status *status = nullptr,
                             QString *error = nullptr);
    static PropertyList parse(const QByteArray &xml, QString *error = nullptr, bool *ok = nullptr);

    QStringList keys() const; // in file order, each once
    bool contains(const QString &key) const;
    // The value's text whatever its type; empty when the key is absent.
    QString value(const QString &key) const;
    // A new key goes to the end; an existing one keeps its place and becomes a string.
    void setString(const QString &key, const QString &value);
    // Whether every value is a <string>.
    bool onlyStrings() const;
    bool isEmpty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }

    QByteArray toXml() const;
    bool write(const QString &path, QString *error = nullptr) const;

private:
    std::vector<Entry> entries_;
};

} // namespace quelmar::viewer
