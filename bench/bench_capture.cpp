// Costs on the capture path: the image operations on a 3264 x 2448 frame against a plain
// copy of it, the hand-over of a frame to a running recording, and the still save against the
// bare libjpeg encode it is built on.
#include "capture/avi_recorder.h"
#include "capture/capture_state.h"
#include "capture/preview_widget.h"
#include "capture/sample_grabber_cb.h"
#include "image/frame.h"
#include "image/jpeg_codec.h"
#include "library/image_operations.h"

#include <QMutex>
#include <QMutexLocker>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include <jpeglib.h>

namespace {

using quelmar::Frame;
using quelmar::station::ImageOperations;

constexpr int kFrameWidth = 3264;
constexpr int kFrameHeight = 2448;
constexpr int kStillWidth = 2592;
constexpr int kStillHeight = 1944;

// A specimen-like picture: shaded background, rings of cells with a fine texture and sharp
// edges, so neither the codec nor the segmentation gets an easy case.
Frame makeTestFrame(int width, int height)
{
    Frame frame(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t *pixel = frame.view().row(y);
        for (int x = 0; x < width; ++x, pixel += 3) {
            const int dx = x - width / 2;
            const int dy = y - height / 2;
            const bool cell = (dx * dx + dy * dy) / 4096 % 7 < 3;
            const int texture = (x * 7 + y * 13) % 23;
            const int shade = x * 255 / width;
            pixel[0] = std::uint8_t(cell ? 40 + texture : shade);
            pixel[1] = std::uint8_t((y * 255 / height) ^ texture);
            pixel[2] = std::uint8_t(cell ? 200 - texture : (shade + y) & 255);
        }
    }
    return frame;
}

void setBytes(benchmark::State &state, const Frame &frame)
{
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(frame.byteCount()));
}

void BM_FrameMemcpy(benchmark::State &state)
{
    const Frame source = makeTestFrame(kFrameWidth, kFrameHeight);
    Frame target(kFrameWidth, kFrameHeight);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.byteCount());
        benchmark::ClobberMemory();
    }
    setBytes(state, source);
}

// Each frame starts from the camera picture again (untimed), as it would on the live path.
void runOperation(benchmark::State &state, std::vector<int> buttons)
{
    const Frame original = makeTestFrame(kFrameWidth, kFrameHeight);
    Frame frame = original;
    ImageOperations operations;
    for (const int button : buttons)
        operations.press(button);
    operations.apply(frame.view()); // the scratch buffers grow once, outside the timing
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(frame.data(), original.data(), original.byteCount());
        state.ResumeTiming();
        operations.apply(frame.view());
        benchmark::ClobberMemory();
    }
    setBytes(state, frame);
}

void BM_HorizontalMirror(benchmark::State &state)
{
    runOperation(state, {ImageOperations::kHorizontalMirrorButton});
}

void BM_VerticalMirror(benchmark::State &state)
{
    runOperation(state, {ImageOperations::kVerticalMirrorButton});
}

void BM_Negative(benchmark::State &state)
{
    runOperation(state, {ImageOperations::kNegativeButton});
}

// Red shown as grey: the channel display that moves the most bytes.
void BM_ChannelDisplay(benchmark::State &state)
{
    runOperation(state, {ImageOperations::kRedButton});
}

void BM_BinarySegmentation(benchmark::State &state)
{
    runOperation(state, {ImageOperations::kBinarySegmentationButton});
}

// One live frame with no operation on: the snapshot copy plus the stretch into a 640 x 480
// preview, as the capture thread runs it.
void BM_ContinuousCallback(benchmark::State &state)
{
    Frame frame = makeTestFrame(kFrameWidth, kFrameHeight);
    quelmar::station::CaptureState captureState;
    quelmar::station::PreviewWidget preview;
    preview.resize(640, 480);
    quelmar::station::CSampleGrabberCB::Wiring wiring;
    wiring.state = &captureState;
    wiring.preview = &preview;
    quelmar::station::CSampleGrabberCB callback(std::move(wiring));
    callback.onFrame(frame.view(), 0.0); // the snapshot and back buffers grow once, untimed
    double sampleTime = 0;
    for (auto _ : state) {
        sampleTime += 1.0 / 30;
        callback.onFrame(frame.view(), sampleTime);
        benchmark::ClobberMemory();
    }
    setBytes(state, frame);
}

// The same copy at the still size the recording hand-over is measured at.
void BM_FrameMemcpyStill(benchmark::State &state)
{
    const Frame source = makeTestFrame(kStillWidth, kStillHeight);
    Frame target(kStillWidth, kStillHeight);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.byteCount());
        benchmark::ClobberMemory();
    }
    setBytes(state, source);
}

// A sink that takes frames as fast as they come: the hand-over alone is measured.
class DiscardingSink final : public quelmar::station::VideoSink {
public:
    bool write(quelmar::FrameView, std::int64_t) override { return true; }
    bool finish() override { return true; }
    QString error() const override { return {}; }
};

// What a running recording adds to the capture thread per frame: the recording lock, the
// frame's position and its copy into a free buffer of the writer's queue (2592 x 1944).
void BM_RecordFrameHandOff(benchmark::State &state)
{
    Frame frame = makeTestFrame(kStillWidth, kStillHeight);
    QMutex recordingLock;
    quelmar::station::AviRecorder recorder;
    constexpr int kRate = 2; // the table's rate at 2592 x 1944
    recorder.begin(std::make_unique<DiscardingSink>(), QSize(kStillWidth, kStillHeight), kRate);
    double sampleTime = 0;
    std::int64_t handed = 0;
    for (auto _ : state) {
        {
            QMutexLocker lock(&recordingLock);
            recorder.write(frame.view(), sampleTime);
        }
        sampleTime += 1.0 / kRate;
        ++handed;
        benchmark::ClobberMemory();
        // A dropped frame costs nothing; on a busy machine the writer thread may not run for
        // a while, so it catches up outside the timing and every timed hand-over is a copy.
        if (handed - recorder.counts().written >= recorder.capacity() - 1) {
            state.PauseTiming();
            while (handed - recorder.counts().written > 1)
                std::this_thread::yield();
            state.ResumeTiming();
        }
    }
    recorder.stopAccepting();
    const quelmar::station::RecordingCounts counts = recorder.end();
    state.counters["dropped"] = double(counts.dropped);
    state.counters["written"] = double(counts.written);
    setBytes(state, frame);
}

// The whole continuous callback at 2592 x 1944 with a recording running: the snapshot copy,
// the hand-over and the preview stretch.
void BM_ContinuousCallbackRecording(benchmark::State &state)
{
    Frame frame = makeTestFrame(kStillWidth, kStillHeight);
    quelmar::station::CaptureState captureState;
    quelmar::station::PreviewWidget preview;
    preview.resize(640, 480);
    QMutex recordingLock;
    quelmar::station::AviRecorder recorder;
    constexpr int kRate = 2;
    recorder.begin(std::make_unique<DiscardingSink>(), QSize(kStillWidth, kStillHeight), kRate);
    quelmar::station::FrameHooks hooks;
    hooks.record = [&](quelmar::FrameView view, double t) { recorder.write(view, t); };
    quelmar::station::CSampleGrabberCB::Wiring wiring;
    wiring.state = &captureState;
    wiring.preview = &preview;
    wiring.recordingLock = &recordingLock;
    wiring.hooks = &hooks;
    quelmar::station::CSampleGrabberCB callback(std::move(wiring));
    callback.onFrame(frame.view(), 0.0); // the snapshot and back buffers grow once, untimed
    captureState.recording = true;
    double sampleTime = 0;
    for (auto _ : state) {
        sampleTime += 1.0 / kRate;
        callback.onFrame(frame.view(), sampleTime);
        benchmark::ClobberMemory();
    }
    captureState.recording = false;
    recorder.stopAccepting();
    state.counters["dropped"] = double(recorder.end().dropped);
    setBytes(state, frame);
}

void BM_StillSaveJpeg(benchmark::State &state)
{
    Frame frame = makeTestFrame(kStillWidth, kStillHeight);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Still_N0001.jpg"));
    for (auto _ : state) {
        QString error;
        if (!quelmar::writeJpeg(path, frame.view(), 90, &error)) {
            state.SkipWithError(error.toUtf8().constData());
            break;
        }
    }
    setBytes(state, frame);
}

// The encode the still save is built on, with nothing around it: into a memory buffer large
// enough that libjpeg never grows it.
void BM_BareJpegEncode(benchmark::State &state)
{
    Frame frame = makeTestFrame(kStillWidth, kStillHeight);
    std::vector<unsigned char> buffer(frame.byteCount());
    const std::size_t stride = std::size_t(frame.width()) * 3;
    for (auto _ : state) {
        jpeg_compress_struct info;
        jpeg_error_mgr errors;
        info.err = jpeg_std_error(&errors);
        jpeg_create_compress(&info);
        unsigned char *out = buffer.data();
        unsigned long size = buffer.size();
        jpeg_mem_dest(&info, &out, &size);
        info.image_width = JDIMENSION(frame.width());
        info.image_height = JDIMENSION(frame.height());
        info.input_components = 3;
        info.in_color_space = JCS_EXT_BGR;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, 90, TRUE);
        jpeg_start_compress(&info, TRUE);
        while (info.next_scanline < info.image_height) {
            JSAMPROW row = frame.data() + info.next_scanline * stride;
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
        benchmark::DoNotOptimize(size);
        jpeg_destroy_compress(&info);
        if (out != buffer.data())
            std::free(out);
    }
    setBytes(state, frame);
}

BENCHMARK(BM_FrameMemcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HorizontalMirror)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VerticalMirror)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Negative)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChannelDisplay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinarySegmentation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContinuousCallback)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameMemcpyStill)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordFrameHandOff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContinuousCallbackRecording)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StillSaveJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareJpegEncode)->Unit(benchmark::kMillisecond);

} // namespace
