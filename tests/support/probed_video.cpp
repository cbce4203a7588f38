#include "probed_video.h"

#include "temp_home.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quelmar::test {

ProbedVideo probeVideo(const QString &path)
{
    int exitCode = -1;
    const QByteArray json =
        runTool(QStringLiteral("ffprobe"),
                {"-v", "error", "-select_streams", "v:0", "-count_frames", "-show_entries",
                 "stream=codec_name,width,height,pix_fmt,time_base,r_frame_rate,nb_read_frames:"
                 "format=duration",
                 "-of", "json", path},
                &exitCode);
    ProbedVideo video;
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    const QJsonArray streams = root[QStringLiteral("streams")].toArray();
    if (exitCode != 0 || streams.isEmpty())
        return video;
    const QJsonObject stream = streams.at(0).toObject();
    video.readable = true;
    video.codec = stream[QStringLiteral("codec_name")].toString();
    video.width = stream[QStringLiteral("width")].toInt();
    video.height = stream[QStringLiteral("height")].toInt();
    video.pixelFormat = stream[QStringLiteral("pix_fmt")].toString();
    video.timeBase = stream[QStringLiteral("time_base")].toString();
    video.frameRate = stream[QStringLiteral("r_frame_rate")].toString();
    video.frames = stream[QStringLiteral("nb_read_frames")].toString().toInt();
    video.duration =
        root[QStringLiteral("format")].toObject()[QStringLiteral("duration")].toString().toDouble();
    return video;
}

} // namespace quelmar::test
