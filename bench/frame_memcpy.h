// The yardstick of the viewer's per-frame budgets: a plain copy of a 3264 x 2448 BGR24
// camera frame, run in the same program as what it is held against.
#pragma once

#include "image/frame.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>

namespace quelmar::bench {

inline void BM_FrameMemcpy(benchmark::State &state)
{
    Frame source(3264, 2448);
    std::memset(source.data(), 0x5a, source.byteCount());
    Frame target(3264, 2448);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.byteCount());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(source.byteCount()));
}

} // namespace quelmar::bench
