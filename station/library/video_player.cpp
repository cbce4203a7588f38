#include "library/video_player.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace quelmar::station {

bool CompanionPlayer::play(const QString &videoPath)
{
    // The player learns the video from the hand-over file, so it starts without arguments.
    const QFileInfo player(QCoreApplication::applicationDirPath() + QStringLiteral("/reelview"));
    if (player.isFile() && player.isExecutable() &&
        QProcess::startDetached(player.absoluteFilePath(), {}))
        return true;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(videoPath));
}

} // namespace quelmar::station
