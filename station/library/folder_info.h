// One row of the Folder Manager: a folder's name, creation time, note, photo and video
// counts with their sizes, and its location.
#pragma once

#include <QString>
#include <QVector>

namespace quelmar::station {

struct CFolderInfo {
    QString name;
    QString created; // "year/month/day hour:minute:second", no leading zeros
    QString note;
    QString photo; // "count/bytes" of the full-size stills
    QString video; // "count/bytes" of the recordings
    QString location;

    static CFolderInfo read(const QString &root, const QString &name);
};

// One row per folder under `root`, in the order the directory lists them.
QVector<CFolderInfo> readFolderInfos(const QString &root);

} // namespace quelmar::station

namespace quelmar::station {

enum class ListKind;

// What the Folder Property dialog shows: the counts follow the kind the strip shows.
struct FolderProperty {
    QString name;
    QString location;
    QString size;     // "%d MB", truncated
    QString contains; // "%d files"
    QString created;  // "yyyy/MM/dd" of the last file counted, empty when none
    QString note;     // with its line breaks

    static FolderProperty read(const QString &folderPath, ListKind shown);
};

} // namespace quelmar::station
