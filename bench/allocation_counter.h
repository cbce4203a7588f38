// Counts every malloc, calloc and realloc of the program (Qt's included), for benchmarks that
// must show a frame costs no heap traffic. Include it in one source file per program.
#pragma once

#include <atomic>
#include <cstddef>

extern "C" {
void *__libc_malloc(std::size_t size);
void *__libc_calloc(std::size_t count, std::size_t size);
void *__libc_realloc(void *pointer, std::size_t size);
}

namespace quelmar::bench {

inline std::atomic<long> allocations{0};

} // namespace quelmar::bench

// Counting stand-ins in front of the C library's allocator, for the whole program.
extern "C" void *malloc(std::size_t size)
{
    quelmar::bench::allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}

extern "C" void *calloc(std::size_t count, std::size_t size)
{
    quelmar::bench::allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}

extern "C" void *realloc(void *pointer, std::size_t size)
{
    quelmar::bench::allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(pointer, size);
}
