// AVI files on FFmpeg's muxer: one video stream of packed 24-bit frames, stored uncompressed
// (bottom-up, as bitmaps are) or through one of the encoders that fit AVI. Files beyond 1 GB
// continue in OpenDML extension chunks.
#pragma once

#include "image/frame.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace quelmar {

enum class AviCodec { Uncompressed, MotionJpeg, Ffv1, Mpeg4, H264 };

struct AviEncoderInfo {
    AviCodec codec;
    QString encoderName; // FFmpeg's name, e.g. "mjpeg"
    QString title;       // what a list shows, e.g. "Motion JPEG"
    bool lossy;          // takes a quality
};

// The encoders of the installed FFmpeg that take 24-bit frames and fit AVI, uncompressed
// first. H.264 only where libx264 is present.
std::vector<AviEncoderInfo> availableAviEncoders();

struct AviCompression {
    AviCodec codec = AviCodec::Uncompressed;
    int quality = 95; // 1 (smallest) to 100 (best); lossy encoders only
    bool operator==(const AviCompression &) const = default;
};

struct AviWriterSettings {
    int width = 0;
    int height = 0;
    int rate = 11; // frames a second: a position is 1/rate seconds
    AviCompression compression;
    // Positions between two pushes of the written data to the system, so that a process
    // killed mid-recording leaves a file readable up to its last second; 0: one second.
    int flushEvery = 0;
};

// The steps of opening, in order; a failure names the step it stopped at.
enum class AviStage { OpenFile, CreateStream, Compressor, StreamFormat };

// How a refused stream format is reported: a format FFmpeg cannot write at all, one whose
// parameters it rejects, or another failure (the disk).
enum class AviFormatProblem { Other, Unsupported, Bad };

struct AviFailure {
    AviStage stage = AviStage::OpenFile;
    int code = 0;   // FFmpeg's negative error code
    QString detail; // FFmpeg's or the system's wording
    AviFormatProblem problem = AviFormatProblem::Other;
};

class AviWriter {
public:
    // Creates `path` (an existing file is never replaced) and writes the headers. On failure
    // nothing is left on disk and *failure says where and why.
    static std::unique_ptr<AviWriter> open(const QString &path, const AviWriterSettings &settings,
                                           AviFailure *failure);
    // Opens the encoder for the settings on a temporary file outside any workspace, writes
    // one frame and removes the file: whether a recording with them would start.
    static bool probe(const AviWriterSettings &settings, AviFailure *failure = nullptr);

    ~AviWriter(); // finishes the file when finish() was not called
    AviWriter(const AviWriter &) = delete;
    AviWriter &operator=(const AviWriter &) = delete;

    // Writes one top-down frame at `position` (strictly increasing; skipped positions stay
    // empty). A frame of another size is refused. False on a write error, with the reason in
    // lastError(); the file stays usable up to the frame before.
    bool write(FrameView frame, std::int64_t position);
    // Flushes the encoder, writes the index and closes the file.
    bool finish();

    const QString &path() const { return path_; }
    const AviWriterSettings &settings() const { return settings_; }
    std::int64_t framesWritten() const { return framesWritten_; }
    // Frames that a process killed now would leave readable.
    std::int64_t framesFlushed() const { return framesFlushed_; }
    const QString &lastError() const { return lastError_; }

    struct Impl;

private:
    AviWriter(QString path, const AviWriterSettings &settings);

    QString path_;
    AviWriterSettings settings_;
    std::unique_ptr<Impl> impl_;
    std::int64_t framesWritten_ = 0;
    std::int64_t framesFlushed_ = 0;
    std::int64_t lastPosition_ = -1;
    std::int64_t lastFlushPosition_ = 0;
    QString lastError_;
    bool finished_ = true; // until the headers are written
};

} // namespace quelmar
