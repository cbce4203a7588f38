// The two small text files of the workspace: a folder's note.txt, and folderpath.txt, which
// tells the companion player which video to show.
#pragma once

#include <QString>

namespace quelmar::station {

// The note of the folder at `folderPath`: note.txt in the locale's encoding, its lines joined
// with their line ends removed; empty when there is no such file.
QString readFolderNote(const QString &folderPath);
// The same note with its lines kept apart by line feeds: the text to edit and write back.
QString readFolderNoteLines(const QString &folderPath);
// Replaces note.txt (atomically) with `note`, every line feed stored as CR LF; false with
// the reason in `error` when it cannot be written.
bool writeFolderNote(const QString &folderPath, const QString &note, QString *error = nullptr);

// Replaces `file` with the characters of `videoPath` in UTF-16LE, without byte-order mark,
// terminator or line end.
bool writeFolderPathFile(const QString &file, const QString &videoPath, QString *error = nullptr);

} // namespace quelmar::station
