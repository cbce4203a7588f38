// What ffprobe, an outside reader, says about a video file's first video stream.
#pragma once

#include <QString>

namespace quelmar::test {

struct ProbedVideo {
    bool readable = false; // ffprobe opened the file and found a video stream
    QString codec;         // "h264"
    int width = 0;
    int height = 0;
    QString pixelFormat; // "yuv420p"
    QString timeBase;    // "1/10"
    QString frameRate;   // r_frame_rate, "10/1"
    double duration = 0; // of the container, seconds
    int frames = 0;      // pictures decoded by counting every one
};

// Runs ffprobe with -count_frames on `path`.
ProbedVideo probeVideo(const QString &path);

} // namespace quelmar::test
