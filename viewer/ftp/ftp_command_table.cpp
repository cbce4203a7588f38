#include "ftp/ftp_command_table.h"

#include <QFile>
#include <QXmlStreamReader>

// The resource sits in a static library: nothing would pull it into the program unless
// something names its initialiser, which must happen outside any namespace.
static void initFtpResource()
{
    Q_INIT_RESOURCE(ftp);
}

namespace quelmar::viewer {

QString FtpCommandTable::builtInPath()
{
    initFtpResource();
    return QStringLiteral(":/ftp/ftp_commands.plist");
}

FtpCommandTable FtpCommandTable::load(const QString &path)
{
    FtpCommandTable table;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return table;

    // <plist><dict><key>word</key><string>handler</string>...</dict></plist>; only the
    // outermost dictionary's string values count.
    QXmlStreamReader xml(&file);
    int depth = 0;
    int dictDepth = -1;
    QString key;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (--depth < dictDepth)
                break;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        const auto name = xml.name();
        if (dictDepth < 0) {
            if (name == u"dict")
                dictDepth = depth;
            continue;
        }
        if (depth != dictDepth + 1)
            continue;
        if (name == u"key") {
            key = xml.readElementText();
            --depth;
        } else if (name == u"string" && !key.isEmpty()) {
            table.handlers_.insert(key.toLower(), xml.readElementText().trimmed());
            --depth;
            key.clear();
        } else {
            key.clear();
        }
    }
    if (xml.hasError())
        table.handlers_.clear();
    return table;
}

} // namespace quelmar::viewer
