// The FTP command words the server understands: an XML property list that maps each
// lower-case command word to the name of the handler that answers it.
#pragma once

#include <QHash>
#include <QString>

namespace quelmar::viewer {

class FtpCommandTable {
public:
    // The table compiled into the program.
    static QString builtInPath();

    // Reads a table; a file that is missing or not a property list gives an empty table,
    // which leaves every command unknown.
    static FtpCommandTable load(const QString &path);

    // The handler name for a lower-case command word; empty when the word is unknown.
    QString handlerFor(const QString &word) const { return handlers_.value(word); }
    bool isEmpty() const { return handlers_.isEmpty(); }

private:
    QHash<QString, QString> handlers_;
};

} // namespace quelmar::viewer
