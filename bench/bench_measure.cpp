// The polygon pixel area of an outline covering most of a 2592 x 1944 picture.
#include "measure/geometry.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

void BM_PolygonPixelArea(benchmark::State &state)
{
    // A wavy outline of 400 vertices around the picture's centre.
    QVector<QPoint> polygon;
    for (int i = 0; i < 400; ++i) {
        const double t = i * 2 * M_PI / 400;
        const double r = 0.45 + 0.03 * std::sin(12 * t);
        polygon << QPoint(int(1296 + 2592 * r * std::cos(t)), int(972 + 1944 * r * std::sin(t)));
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(quelmar::station::polygonPixelArea(polygon));
}

BENCHMARK(BM_PolygonPixelArea)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
