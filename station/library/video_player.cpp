#include "library/video_player.h"

#include "base/station_paths.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace quelmar::station {

bool CompanionPlayer::play(const QString &videoPath)
{
    // The player learns the video from the hand-over file, so it starts without arguments. It
    // is installed beside the program, or among the station's read-only files.
    for (const QString &dir : {QCoreApplication::applicationDirPath(), StationPaths::shareDir()}) {
        const QFileInfo player(dir + QStringLiteral("/reelview"));
        if (player.isFile() && player.isExecutable() &&
            QProcess::startDetached(player.absoluteFilePath(), {}))
            return true;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(videoPath));
}

} // namespace quelmar::station
