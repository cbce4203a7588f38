#include "library/pixel_kernels.h"

#include <array>
#include <bit>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define QUELMAR_HAS_SSSE3_KERNELS 1
#endif

namespace quelmar::station {
namespace {

using Byte = std::uint8_t;

// The grey value of the segmentation, exactly as the formula is written: in double.
Byte exactGrey(const Byte *pixel)
{
    return Byte(int(pixel[1] * 0.59 + pixel[0] * 0.11 + pixel[2] * 0.3 + 0.5));
}

// Mathematically the grey value is (59 G + 11 B + 30 R + 50) / 100 in integers. The two
// differ only where that division is exact: there the double sum may land just below the
// integer. Those colours (1 in 100) are recomputed in double; the last one is remembered
// because they come in runs on flat areas.
class BoundaryGrey {
public:
    Byte operator()(const Byte *pixel)
    {
        const std::uint32_t colour = pixel[0] | pixel[1] << 8 | pixel[2] << 16;
        if (colour != colour_) {
            colour_ = colour;
            grey_ = exactGrey(pixel);
        }
        return grey_;
    }

private:
    std::uint32_t colour_ = 0xffffffff;
    Byte grey_ = 0;
};

// Plain loops, for any processor and for the few pixels after the last full vector block.
namespace portable {

void reverse(const Byte *src, Byte *dst, std::size_t count)
{
    const Byte *from = src + count * 3;
    for (std::size_t i = 0; i < count; ++i, dst += 3) {
        from -= 3;
        dst[0] = from[0];
        dst[1] = from[1];
        dst[2] = from[2];
    }
}

template <int kChannel> void spread(Byte *pixels, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i, pixels += 3) {
        const Byte value = pixels[kChannel];
        pixels[0] = value;
        pixels[1] = value;
        pixels[2] = value;
    }
}

void grey(const Byte *src, Byte *grey, std::size_t count)
{
    BoundaryGrey boundary;
    for (std::size_t i = 0; i < count; ++i, src += 3) {
        const int sum = 59 * src[1] + 11 * src[0] + 30 * src[2] + 50;
        grey[i] = sum % 100 == 0 ? boundary(src) : Byte(sum / 100);
    }
}

void binary(const Byte *grey, Byte *dst, std::size_t count, int threshold)
{
    for (std::size_t i = 0; i < count; ++i, dst += 3)
        std::memset(dst, grey[i] < threshold ? 0 : 255, 3);
}

constexpr KernelTable kKernels = {reverse, {spread<0>, spread<1>, spread<2>}, grey, binary};

} // namespace portable

#ifdef QUELMAR_HAS_SSSE3_KERNELS
// Pixels are 3 bytes, vectors 16: these kernels take blocks of 16 pixels (three vectors) and
// move bytes with SSSE3's byte shuffle, which x86-64's baseline lacks; without it the
// compiler leaves such loops scalar. They run only when the processor has SSSE3.
namespace ssse3 {

#define QUELMAR_SSSE3_INLINE [[gnu::target("ssse3"), gnu::always_inline]] inline
#define QUELMAR_SSSE3 [[gnu::target("ssse3")]]

constexpr int kBlockPixels = 16;
constexpr int kBlockBytes = 48;
constexpr int kZero = -1;

// A block map names for output byte j the input byte it takes, or kZero.
struct ReversedPixels {
    static constexpr int kOutputs = 3;
    static constexpr int at(int j) { return 3 * (kBlockPixels - 1 - j / 3) + j % 3; }
};
template <int kChannel> struct ChannelInAll {
    static constexpr int kOutputs = 3;
    static constexpr int at(int j) { return 3 * (j / 3) + kChannel; }
};
struct TripledBytes { // the first 16 bytes, each three times
    static constexpr int kOutputs = 3;
    static constexpr int at(int j) { return j / 3; }
};
// Blue-green byte pairs of pixels 0..7 and 8..15, then red with a zero byte for the same.
struct GreyPairs {
    static constexpr int kOutputs = 4;
    static constexpr int at(int j)
    {
        const int pixel = j % 16 / 2 + (j / 16 % 2) * 8;
        const bool second = j % 2 == 1;
        if (j < 32)
            return 3 * pixel + (second ? 1 : 0);
        return second ? kZero : 3 * pixel + 2;
    }
};

// The shuffle control that takes from input vector `input` the bytes output vector `output`
// needs, zeroing the others (control bytes with the top bit set), so the parts can be ORed.
template <class Map> struct Shuffles {
    using Control = std::array<std::int8_t, 16>;
    static constexpr auto controls = [] {
        std::array<std::array<Control, 3>, Map::kOutputs> all{};
        for (int output = 0; output < Map::kOutputs; ++output) {
            for (int input = 0; input < 3; ++input) {
                for (int lane = 0; lane < 16; ++lane) {
                    const int from = Map::at(output * 16 + lane);
                    const bool here = from != kZero && from / 16 == input;
                    all[output][input][lane] = std::int8_t(here ? from % 16 : -128);
                }
            }
        }
        return all;
    }();
    static constexpr bool uses(int output, int input)
    {
        for (const std::int8_t lane : controls[output][input]) {
            if (lane >= 0)
                return true;
        }
        return false;
    }
};

template <class Map, int kOutput, int kInput> QUELMAR_SSSE3_INLINE __m128i part(const __m128i *in)
{
    if constexpr (Shuffles<Map>::uses(kOutput, kInput)) {
        const auto &control = Shuffles<Map>::controls[kOutput][kInput];
        return _mm_shuffle_epi8(in[kInput],
                                _mm_loadu_si128(reinterpret_cast<const __m128i *>(&control)));
    } else {
        return _mm_setzero_si128();
    }
}

template <class Map, int kOutput> QUELMAR_SSSE3_INLINE __m128i gather(const __m128i *in)
{
    return _mm_or_si128(_mm_or_si128(part<Map, kOutput, 0>(in), part<Map, kOutput, 1>(in)),
                        part<Map, kOutput, 2>(in));
}

QUELMAR_SSSE3_INLINE void loadBlock(const Byte *src, __m128i *in)
{
    for (int k = 0; k < 3; ++k)
        in[k] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + 16 * k));
}

QUELMAR_SSSE3_INLINE void storeBlock(Byte *dst, const __m128i *out)
{
    for (int k = 0; k < 3; ++k)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + 16 * k), out[k]);
}

// One block of three vectors through a three-output map; src and dst may be the same.
template <class Map> QUELMAR_SSSE3_INLINE void permuteBlock(const Byte *src, Byte *dst)
{
    __m128i in[3];
    loadBlock(src, in);
    const __m128i out[3] = {gather<Map, 0>(in), gather<Map, 1>(in), gather<Map, 2>(in)};
    storeBlock(dst, out);
}

QUELMAR_SSSE3 void reverse(const Byte *src, Byte *dst, std::size_t count)
{
    const Byte *from = src + count * 3;
    std::size_t i = 0;
    for (; i + kBlockPixels <= count; i += kBlockPixels, dst += kBlockBytes) {
        from -= kBlockBytes;
        permuteBlock<ReversedPixels>(from, dst);
    }
    portable::reverse(src, dst, count - i); // the first pixels of the row come last
}

template <int kChannel> QUELMAR_SSSE3 void spread(Byte *pixels, std::size_t count)
{
    std::size_t i = 0;
    for (; i + kBlockPixels <= count; i += kBlockPixels, pixels += kBlockBytes)
        permuteBlock<ChannelInAll<kChannel>>(pixels, pixels);
    portable::spread<kChannel>(pixels, count - i);
}

// Integer grey values of one block; returns the pixels on a rounding boundary, bit k for
// pixel k. Unsigned pixel bytes times signed weight bytes, added pairwise: blue * 11 +
// green * 59 and red * 30 + 1 * 50; the sums stay below 25551, inside 16 bits.
QUELMAR_SSSE3_INLINE unsigned integerGreyBlock(const Byte *src, Byte *grey)
{
    __m128i in[3];
    loadBlock(src, in);
    const __m128i pairs[4] = {gather<GreyPairs, 0>(in), gather<GreyPairs, 1>(in),
                              gather<GreyPairs, 2>(in), gather<GreyPairs, 3>(in)};
    __m128i value[2];
    __m128i exact[2];
    for (int half = 0; half < 2; ++half) {
        const __m128i red = _mm_or_si128(pairs[2 + half], _mm_set1_epi16(1 << 8));
        const __m128i sum =
            _mm_add_epi16(_mm_maddubs_epi16(pairs[half], _mm_set1_epi16(59 << 8 | 11)),
                          _mm_maddubs_epi16(red, _mm_set1_epi16(50 << 8 | 30)));
        // sum / 100 == (sum * 5243) >> 19 for every sum up to 25550
        value[half] = _mm_srli_epi16(_mm_mulhi_epu16(sum, _mm_set1_epi16(5243)), 3);
        exact[half] = _mm_cmpeq_epi16(sum, _mm_mullo_epi16(value[half], _mm_set1_epi16(100)));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i *>(grey), _mm_packus_epi16(value[0], value[1]));
    return unsigned(_mm_movemask_epi8(_mm_packs_epi16(exact[0], exact[1])));
}

QUELMAR_SSSE3 void grey(const Byte *src, Byte *grey, std::size_t count)
{
    BoundaryGrey boundary;
    // Boundary pixels are noted per chunk and fixed after it: a branch per block on whether
    // one of its pixels is on a boundary would be mispredicted too often.
    constexpr std::size_t kChunkBlocks = 64;
    std::array<std::uint32_t, kChunkBlocks> pendingBlock;
    std::array<std::uint32_t, kChunkBlocks> pendingPixels;
    const std::size_t blocks = count / kBlockPixels;
    for (std::size_t first = 0; first < blocks; first += kChunkBlocks) {
        const std::size_t end = std::min(blocks, first + kChunkBlocks);
        std::size_t pending = 0;
        for (std::size_t block = first; block < end; ++block) {
            const unsigned pixels =
                integerGreyBlock(src + block * kBlockBytes, grey + block * kBlockPixels);
            pendingBlock[pending] = std::uint32_t(block);
            pendingPixels[pending] = pixels;
            pending += pixels != 0;
        }
        for (std::size_t p = 0; p < pending; ++p) {
            const std::size_t base = std::size_t(pendingBlock[p]) * kBlockPixels;
            for (unsigned pixels = pendingPixels[p]; pixels != 0; pixels &= pixels - 1) {
                const std::size_t k = base + std::size_t(std::countr_zero(pixels));
                grey[k] = boundary(src + 3 * k);
            }
        }
    }
    const std::size_t done = blocks * kBlockPixels;
    portable::grey(src + 3 * done, grey + done, count - done);
}

QUELMAR_SSSE3 void binary(const Byte *grey, Byte *dst, std::size_t count, int threshold)
{
    const __m128i limit = _mm_set1_epi8(char(threshold));
    std::size_t i = 0;
    for (; i + kBlockPixels <= count; i += kBlockPixels, grey += kBlockPixels, dst += kBlockBytes) {
        const __m128i values = _mm_loadu_si128(reinterpret_cast<const __m128i *>(grey));
        // Unsigned value >= threshold: the larger of the two is the value itself.
        const __m128i in[3] = {_mm_cmpeq_epi8(_mm_max_epu8(values, limit), values)};
        const __m128i out[3] = {gather<TripledBytes, 0>(in), gather<TripledBytes, 1>(in),
                                gather<TripledBytes, 2>(in)};
        storeBlock(dst, out);
    }
    portable::binary(grey, dst, count - i, threshold);
}

#undef QUELMAR_SSSE3_INLINE
#undef QUELMAR_SSSE3

constexpr KernelTable kKernels = {reverse, {spread<0>, spread<1>, spread<2>}, grey, binary};

bool available()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3");
}

} // namespace ssse3
#endif

} // namespace

const KernelTable &portableKernels()
{
    return portable::kKernels;
}

const KernelTable &fastestKernels()
{
#ifdef QUELMAR_HAS_SSSE3_KERNELS
    static const bool ssse3 = ssse3::available();
    return ssse3 ? ssse3::kKernels : portable::kKernels;
#else
    return portable::kKernels;
#endif
}

} // namespace quelmar::station
