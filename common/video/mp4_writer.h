// H.264 in MP4 through FFmpeg and libx264: pictures of one size with explicit timestamps in a
// time base of the caller's choice. The file is a fragmented MP4 (a fragment at every key
// frame behind an empty index), so a file cut short by a crash stays playable up to its last
// fragment, and ordinary players and ffprobe read the finished file as any MP4.
#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>

namespace quelmar {

struct Mp4WriterSettings {
    int width = 640;
    int height = 480;
    // Timestamps count 1/timeBase seconds; the track's own time base is the same.
    int timeBase = 10;
    // A key frame, and so a fragment, at least this often.
    int keyFrameInterval = 10;
    int crf = 23;
    int threads = 1;
};

class Mp4Writer {
public:
    // Creates (replaces) `path` and writes the file's header; nullptr with the reason in
    // *error when the encoder or the file cannot be opened.
    static std::unique_ptr<Mp4Writer> create(const QString &path, const Mp4WriterSettings &settings,
                                             QString *error = nullptr);
    ~Mp4Writer(); // finishes the file when finish() was not called
    Mp4Writer(const Mp4Writer &) = delete;
    Mp4Writer &operator=(const Mp4Writer &) = delete;

    // Encodes one picture of exactly the settings' size, shown from `pts` (in time-base
    // units, increasing). Any QImage format; 32-bit RGB formats are read without a copy.
    bool write(const QImage &picture, std::int64_t pts, QString *error = nullptr);
    // Drains the encoder and writes the trailer; later calls answer the first one's result.
    bool finish(QString *error = nullptr);

    const Mp4WriterSettings &settings() const { return settings_; }
    std::int64_t framesWritten() const { return framesWritten_; }

private:
    struct Handles;
    explicit Mp4Writer(const Mp4WriterSettings &settings);
    bool open(const QString &path, QString *error);
    bool drainPackets(QString *error);

    Mp4WriterSettings settings_;
    std::unique_ptr<Handles> handles_;
    std::int64_t framesWritten_ = 0;
    std::int64_t lastPts_ = INT64_MIN;
    bool opened_ = false; // the header is written
    bool finished_ = false;
    bool finishResult_ = false;
    QString finishError_;
};

} // namespace quelmar
