// Row kernels of the image operations: the loops that move bytes between the channels and
// pixels of a row, in plain code and, where the processor has it, with SSSE3 byte shuffles.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quelmar::station {

// Kernels of the operations that move bytes between the channels and pixels of a row:
// `reverse` reverses the pixel order, `spread[c]` gives every byte of a pixel the value of
// its blue, green or red byte, `grey` and `binary` are the two passes of the segmentation.
struct KernelTable {
    void (*reverse)(const std::uint8_t *src, std::uint8_t *dst, std::size_t count);
    void (*spread[3])(std::uint8_t *pixels, std::size_t count);
    void (*grey)(const std::uint8_t *src, std::uint8_t *grey, std::size_t count);
    void (*binary)(const std::uint8_t *grey, std::uint8_t *dst, std::size_t count, int threshold);
};

// Plain loops that run anywhere.
const KernelTable &portableKernels();
// The fastest kernels this processor runs; they give the same bytes as the portable ones.
const KernelTable &fastestKernels();

} // namespace quelmar::station
