// Records the demo camera through the station's frame path (continuous callback with the
// preview, recording lock, hand-over to the writer thread, AVI writer) for a while and prints
// what happened: frames captured, handed over, written, dropped, the file, the CPU used and how
// busy the writer thread was. bench/record_endtoend.sh runs it and checks the file.
#include "capture/avi_recorder.h"
#include "capture/capture_sizes.h"
#include "capture/capture_state.h"
#include "capture/preview_widget.h"
#include "capture/sample_grabber_cb.h"

#include <camera/synthetic/synthetic_camera.h>
#include <video/avi_writer.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

using namespace quelmar;
using namespace quelmar::station;

namespace {

// The AVI file, timing each write: how much of the writer thread's time the encoder and the
// disk take.
class TimedSink final : public VideoSink {
public:
    explicit TimedSink(std::unique_ptr<AviWriter> writer) : inner_(std::move(writer)) {}
    bool write(FrameView frame, std::int64_t position) override
    {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = inner_.write(frame, position);
        busy += std::chrono::steady_clock::now() - start;
        return ok;
    }
    bool finish() override { return inner_.finish(); }
    QString error() const override { return inner_.error(); }

    std::chrono::steady_clock::duration busy{}; // writer thread until joined

private:
    AviWriterSink inner_;
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::optional<AviCodec> codecNamed(const QString &name)
{
    for (const AviEncoderInfo &e : availableAviEncoders())
        if (e.encoderName == name ||
            (name == QStringLiteral("raw") && e.codec == AviCodec::Uncompressed))
            return e.codec;
    return std::nullopt;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions({
        {"codec", "raw, mjpeg, ffv1, mpeg4 or libx264.", "name", "mjpeg"},
        {"seconds", "How long to record.", "seconds", "60"},
        {"width", "Frame width.", "pixels", "1280"},
        {"height", "Frame height.", "pixels", "1024"},
        {"fps", "The demo camera's pace (default: the station's rate for the size).", "n"},
        {"output", "The AVI file to write (must not exist).", "path"},
    });
    parser.process(app);
    const std::optional<AviCodec> codec = codecNamed(parser.value("codec"));
    if (!codec || parser.value("output").isEmpty()) {
        std::fprintf(stderr, "record_endtoend: need --output and a codec of this FFmpeg\n");
        return 2;
    }
    const int width = parser.value("width").toInt();
    const int height = parser.value("height").toInt();
    const int rate = frameRateFor(width, height);
    const int fps = parser.isSet("fps") ? parser.value("fps").toInt() : rate;
    const int seconds = parser.value("seconds").toInt();

    SyntheticCameraOptions options;
    options.formats = {{width, height, PixelFormat::Mjpg}};
    options.framesPerSecond = [fps](int, int) { return fps; };
    auto hub = std::make_shared<SyntheticCameraHub>(options);
    SyntheticBackend backend(hub);
    std::unique_ptr<Camera> camera = backend.open(backend.enumerate().front());
    camera->setFormat({width, height, PixelFormat::Mjpg});

    AviWriterSettings settings;
    settings.width = width;
    settings.height = height;
    settings.rate = rate;
    settings.compression.codec = *codec;
    AviFailure failure;
    std::unique_ptr<AviWriter> writer = AviWriter::open(parser.value("output"), settings, &failure);
    if (!writer) {
        std::fprintf(stderr, "record_endtoend: %s\n", qPrintable(failure.detail));
        return 1;
    }
    auto timed = std::make_unique<TimedSink>(std::move(writer));
    TimedSink *sink = timed.get();

    CaptureState state;
    PreviewWidget preview;
    preview.resize(640, 480);
    QMutex recordingLock;
    AviRecorder recorder;
    FrameHooks hooks;
    hooks.record = [&](FrameView frame, double t) { recorder.write(frame, t); };
    CSampleGrabberCB::Wiring wiring;
    wiring.state = &state;
    wiring.preview = &preview;
    wiring.recordingLock = &recordingLock;
    wiring.hooks = &hooks;
    CSampleGrabberCB grabber(std::move(wiring));
    std::atomic<std::int64_t> callbackNanos{0};
    std::atomic<std::int64_t> callbacks{0};

    recorder.begin(std::move(timed), QSize(width, height), rate);
    state.recording = true;
    const double cpuStart = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    camera->start(
        [&](FrameView frame, double t) {
            const auto start = std::chrono::steady_clock::now();
            grabber.onFrame(frame, t);
            callbackNanos += std::chrono::duration_cast<std::chrono::nanoseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count();
            ++callbacks;
        },
        {});
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    QApplication::exec();

    state.recording = false;
    {
        QMutexLocker lock(&recordingLock);
        recorder.stopAccepting();
    }
    camera->stop();
    const double busy = std::chrono::duration<double>(sink->busy).count();
    const RecordingCounts counts = recorder.end();
    const double elapsed = wall.elapsed() / 1000.0;
    const double cpu = cpuSeconds() - cpuStart;

    std::printf("codec=%s size=%dx%d camera_fps=%d stream_rate=%d seconds=%.1f\n",
                qPrintable(parser.value("codec")), width, height, fps, rate, elapsed);
    std::printf("captured=%llu handed=%lld written=%lld dropped=%lld skipped=%lld failed=%lld\n",
                static_cast<unsigned long long>(hub->framesProduced()),
                static_cast<long long>(counts.offered), static_cast<long long>(counts.written),
                static_cast<long long>(counts.dropped), static_cast<long long>(counts.skipped),
                static_cast<long long>(counts.failed));
    std::printf("last_position=%lld expected_duration=%.3f file_bytes=%lld\n",
                static_cast<long long>(counts.lastPosition), double(counts.lastPosition + 1) / rate,
                static_cast<long long>(QFileInfo(parser.value("output")).size()));
    std::printf("cpu_seconds=%.2f cpu_percent=%.1f callback_ms=%.2f writer_busy_percent=%.1f "
                "writer_ms_per_frame=%.2f\n",
                cpu, 100.0 * cpu / elapsed,
                callbacks ? double(callbackNanos) / double(callbacks) / 1e6 : 0.0,
                100.0 * busy / elapsed,
                counts.written ? 1000.0 * busy / double(counts.written) : 0.0);
    if (!counts.error.isEmpty())
        std::printf("error=%s\n", qPrintable(counts.error));
    return counts.failed == 0 ? 0 : 1;
}
