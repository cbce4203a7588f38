// Reading video files the way outside programs do: ffprobe for what a file holds, ffmpeg for
// its decoded pictures. Tests check the station's files with these, never with its own reader.
#pragma once

#include "temp_home.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace quelmar::test {

struct VideoProbe {
    QString codec;
    QString tag;
    int width = 0;
    int height = 0;
    qint64 frames = -1;      // the stream header's frame count (empty positions included)
    qint64 readPackets = -1; // packets ffprobe could read
    double duration = -1;    // seconds
};

// ffprobe's view of the first video stream; nullopt when ffprobe cannot read the file.
inline std::optional<VideoProbe> probeVideo(const QString &path)
{
    int rc = -1;
    const QByteArray out = runTool(
        QStringLiteral("ffprobe"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_packets"),
         QStringLiteral("-select_streams"), QStringLiteral("v:0"), QStringLiteral("-show_entries"),
         QStringLiteral("stream=codec_name,codec_tag_string,width,height,nb_frames,duration,"
                        "nb_read_packets:format=duration"),
         QStringLiteral("-of"), QStringLiteral("json"), path},
        &rc);
    if (rc != 0)
        return std::nullopt;
    const QJsonObject root = QJsonDocument::fromJson(out).object();
    const QJsonArray streams = root.value(QStringLiteral("streams")).toArray();
    if (streams.isEmpty())
        return std::nullopt;
    const QJsonObject s = streams.first().toObject();
    VideoProbe p;
    p.codec = s.value(QStringLiteral("codec_name")).toString();
    p.tag = s.value(QStringLiteral("codec_tag_string")).toString();
    p.width = s.value(QStringLiteral("width")).toInt();
    p.height = s.value(QStringLiteral("height")).toInt();
    bool ok = false;
    const qint64 frames = s.value(QStringLiteral("nb_frames")).toString().toLongLong(&ok);
    p.frames = ok ? frames : -1;
    const qint64 packets = s.value(QStringLiteral("nb_read_packets")).toString().toLongLong(&ok);
    p.readPackets = ok ? packets : -1;
    const double duration = s.value(QStringLiteral("duration")).toString().toDouble(&ok);
    p.duration = ok ? duration : -1;
    return p;
}

// Picture `index` of the file decoded by ffmpeg as packed BGR24 rows top-down; empty when
// ffmpeg cannot produce it.
inline QByteArray decodeVideoFrame(const QString &path, int index)
{
    int rc = -1;
    const QByteArray out =
        runTool(QStringLiteral("ffmpeg"),
                {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
                 QStringLiteral("-i"), path, QStringLiteral("-vf"),
                 QStringLiteral("select=eq(n\\,%1)").arg(index), QStringLiteral("-vsync"),
                 QStringLiteral("0"), QStringLiteral("-frames:v"), QStringLiteral("1"),
                 QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                 QStringLiteral("bgr24"), QStringLiteral("-")},
                &rc);
    return rc == 0 ? out : QByteArray();
}

// Peak signal-to-noise ratio of two equally long 8-bit pictures, in dB; infinity when equal.
inline double psnr(const std::uint8_t *a, const std::uint8_t *b, std::size_t bytes)
{
    double squares = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        const double d = double(a[i]) - double(b[i]);
        squares += d * d;
    }
    if (squares == 0)
        return std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(255.0 * 255.0 / (squares / double(bytes)));
}

} // namespace quelmar::test
