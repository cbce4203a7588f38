// A USB camera frame in Orbilux: a 1920 x 1080 BGR24 frame scaled with smoothing to the view's
// 640 x 480 BGRA with every adjustment set (brightness, contrast, saturation, hue, gamma),
// against a plain copy of a 3264 x 2448 camera frame in the same run. The target is at most
// twice the copy. allocs_per_frame counts every malloc, calloc and realloc made per frame
// (the picture pool's hand-over included): it should stay at 0.
#include "allocation_counter.h"
#include "frame_memcpy.h"

#include "device/usb_picture.h"
#include "image/frame.h"

#include <benchmark/benchmark.h>

#include <QImage>

namespace {

using namespace quelmar;
using namespace quelmar::viewer;
using quelmar::bench::allocations;
using quelmar::bench::BM_FrameMemcpy;

void runUsbFrame(benchmark::State &state, bool adjusted)
{
    Frame frame(1920, 1080);
    for (int y = 0; y < frame.height(); ++y) {
        std::uint8_t *row = frame.view().row(y);
        for (int x = 0; x < frame.width() * 3; ++x)
            row[x] = std::uint8_t((x * 7 + y * 13) & 0xff);
    }
    PictureAdjustments all;
    all.brightness = 0.1f;
    all.contrast = 1.3f;
    all.saturation = 1.4f;
    all.hue = 0.8f;
    all.gamma = 1.2f;
    all.brightnessSet = all.contrastSet = all.saturationSet = all.hueSet = all.gammaSet = adjusted;

    UsbPictureMaker maker;
    QImage shown = maker.make(frame.view(), all); // prepares what later frames reuse
    const long before = allocations.load();
    for (auto _ : state) {
        // The view lets the last picture go as the next one arrives.
        shown = QImage();
        shown = maker.make(frame.view(), all);
        benchmark::DoNotOptimize(shown.constBits());
        benchmark::ClobberMemory();
    }
    state.counters["allocs_per_frame"] =
        double(allocations.load() - before) / double(std::max<std::int64_t>(1, state.iterations()));
}

void BM_ViewerUsbFrame(benchmark::State &state)
{
    runUsbFrame(state, true);
}

// What the adjustments add: the same frame passed through unfiltered.
void BM_ViewerUsbFrameScaleOnly(benchmark::State &state)
{
    runUsbFrame(state, false);
}

BENCHMARK(BM_FrameMemcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerUsbFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerUsbFrameScaleOnly)->Unit(benchmark::kMillisecond);

} // namespace
BENCHMARK_MAIN();
