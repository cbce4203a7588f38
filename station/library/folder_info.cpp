#include "library/folder_info.h"

#include "library/folder_files.h"
#include "library/thumbnail_lists.h"
#include "library/workspace.h"

#include <QDir>

#include <algorithm>

namespace quelmar::station {

namespace {

QString countText(const FileTally &tally)
{
    return QStringLiteral("%1/%2").arg(tally.count).arg(tally.bytes);
}

} // namespace

CFolderInfo CFolderInfo::read(const QString &root, const QString &name)
{
    CFolderInfo info;
    info.name = name;
    info.location = root + u'/' + name;
    const QDateTime t = creationTime(QFileInfo(info.location)).toLocalTime();
    if (t.isValid())
        info.created = QStringLiteral("%1/%2/%3 %4:%5:%6")
                           .arg(t.date().year())
                           .arg(t.date().month())
                           .arg(t.date().day())
                           .arg(t.time().hour())
                           .arg(t.time().minute())
                           .arg(t.time().second());
    info.note = readFolderNote(info.location);
    info.photo =
        countText(tallyFiles(folderDirectories(info.location).fullSizeDir, {"bmp", "jpg"}));
    info.video = countText(tallyFiles(folderDirectories(info.location).videoDir, {"avi"}));
    return info;
}

QVector<CFolderInfo> readFolderInfos(const QString &root)
{
    QVector<CFolderInfo> rows;
    const QStringList names = folderNamesIn(root);
    rows.reserve(names.size());
    for (const QString &name : names)
        rows.push_back(CFolderInfo::read(root, name));
    return rows;
}

FolderProperty FolderProperty::read(const QString &folderPath, ListKind shown)
{
    FolderProperty p;
    p.location = folderPath;
    p.name = folderPath.mid(folderPath.lastIndexOf(u'/') + 1);
    const FileTally tally =
        shown == ListKind::Pictures
            ? tallyFiles(folderDirectories(folderPath).fullSizeDir, {"bmp", "jpg"})
            : tallyFiles(folderDirectories(folderPath).videoDir, {"avi"});
    p.size = QStringLiteral("%1 MB").arg(tally.bytes / 1048576);
    p.contains = QStringLiteral("%1 files").arg(tally.count);
    if (tally.count > 0 && tally.lastCreated.isValid())
        p.created = tally.lastCreated.toLocalTime().toString(QStringLiteral("yyyy/MM/dd"));
    // Lines kept: the dialog writes its note back, and a joined one would lose its breaks.
    p.note = readFolderNoteLines(folderPath);
    return p;
}

} // namespace quelmar::station
