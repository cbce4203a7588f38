#include "library/image_operations.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace quelmar::station {
namespace {

using Byte = std::uint8_t;
using Bytes16 [[gnu::vector_size(16)]] = Byte;
using Bytes8 [[gnu::vector_size(8)]] = Byte;
using Words8 [[gnu::vector_size(16)]] = std::uint16_t;

// Pixels are 3 bytes, vectors 16: the kernels work on blocks of 16 pixels, 48 bytes, and
// move bytes inside a block with shuffles. A map names the source byte of output byte j.
constexpr int kBlockPixels = 16;
constexpr int kBlockBytes = 48;

struct ReversedPixels {
    static constexpr int at(int j) { return 3 * (kBlockPixels - 1 - j / 3) + j % 3; }
};
template <int kChannel> struct ChannelInAll { // every byte of a pixel takes one channel
    static constexpr int at(int j) { return 3 * (j / 3) + kChannel; }
};
struct ChannelPlanes { // 16 blues, 16 greens, 16 reds
    static constexpr int at(int j) { return 3 * (j % kBlockPixels) + j / kBlockPixels; }
};
struct TripledBytes { // 16 bytes, each repeated for the three bytes of a pixel
    static constexpr int at(int j) { return j / 3; }
};

// Output vector kOut of a block. Indices 0..31 lie in the first two input vectors, 32..47
// in the last two; a constant mask picks between the two shuffles.
template <class Map, int kOut, int... J>
[[gnu::always_inline]] inline Bytes16 gather16(const Bytes16 *in, std::integer_sequence<int, J...>)
{
    constexpr auto fromLow = [](int i) { return i < 32 ? i : 0; };
    constexpr auto fromHigh = [](int i) { return i >= 32 ? i - 16 : 0; };
    const Bytes16 low = __builtin_shufflevector(in[0], in[1], fromLow(Map::at(kOut * 16 + J))...);
    const Bytes16 high =
        __builtin_shufflevector(in[1], in[2], fromHigh(Map::at(kOut * 16 + J))...);
    const Bytes16 useHigh = {Byte(Map::at(kOut * 16 + J) >= 32 ? 0xff : 0)...};
    return (low & ~useHigh) | (high & useHigh);
}

// dst[j] = src[Map::at(j)] for one block; src holds kInBytes bytes, src and dst may overlap.
// Without vector shuffles (x86-64's baseline has none) plain byte moves are faster than the
// compiler's emulation of them.
template <bool kShuffle, class Map, int kInBytes = kBlockBytes>
[[gnu::always_inline]] inline void permuteBlock(const Byte *src, Byte *dst)
{
    if constexpr (kShuffle) {
        Bytes16 in[3] = {};
        std::memcpy(in, src, kInBytes);
        const auto lanes = std::make_integer_sequence<int, 16>{};
        const Bytes16 out[3] = {gather16<Map, 0>(in, lanes), gather16<Map, 1>(in, lanes),
                                gather16<Map, 2>(in, lanes)};
        std::memcpy(dst, out, kBlockBytes);
    } else {
        Byte in[kBlockBytes] = {};
        std::memcpy(in, src, kInBytes);
        [&]<int... J>(std::integer_sequence<int, J...>) {
            ((dst[J] = in[Map::at(J)]), ...);
        }(std::make_integer_sequence<int, kBlockBytes>{});
    }
}

// The grey value of the segmentation, exactly as the formula is written: in double.
Byte exactGrey(const Byte *pixel)
{
    return Byte(int(pixel[1] * 0.59 + pixel[0] * 0.11 + pixel[2] * 0.3 + 0.5));
}

// Mathematically the grey value is (59 G + 11 B + 30 R + 50) / 100 in integers. The two
// differ only when that division is exact: there the double sum may land just below the
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

// Grey values of 16 pixels given as planes; true when one of them needs the double formula.
[[gnu::always_inline]] inline bool integerGrey(const Byte *planes, Byte *grey)
{
    Words8 exact = {};
    for (int half = 0; half < 2; ++half) {
        Bytes8 blue, green, red;
        std::memcpy(&blue, planes + 8 * half, 8);
        std::memcpy(&green, planes + 16 + 8 * half, 8);
        std::memcpy(&red, planes + 32 + 8 * half, 8);
        const Words8 sum = __builtin_convertvector(green, Words8) * 59 +
                           __builtin_convertvector(blue, Words8) * 11 +
                           __builtin_convertvector(red, Words8) * 30 + 50;
        const Words8 value = sum / 100;
        exact |= Words8(sum - value * 100 == 0);
        const Bytes8 narrow = __builtin_convertvector(value, Bytes8);
        std::memcpy(grey + 8 * half, &narrow, 8);
    }
    std::uint64_t flags[2];
    std::memcpy(flags, &exact, sizeof flags);
    return (flags[0] | flags[1]) != 0;
}

// The kernels that move bytes between the pixels of a block, for either kind of permute.
template <bool kShuffle> struct PixelKernels {
    static void reverse(const Byte *src, Byte *dst, std::size_t count)
    {
        const Byte *from = src + count * 3;
        std::size_t i = 0;
        for (; i + kBlockPixels <= count; i += kBlockPixels, dst += kBlockBytes) {
            from -= kBlockBytes;
            permuteBlock<kShuffle, ReversedPixels>(from, dst);
        }
        for (; i < count; ++i, dst += 3) {
            from -= 3;
            std::memcpy(dst, from, 3);
        }
    }

    template <int kChannel> static void spread(Byte *pixels, std::size_t count)
    {
        std::size_t i = 0;
        for (; i + kBlockPixels <= count; i += kBlockPixels, pixels += kBlockBytes)
            permuteBlock<kShuffle, ChannelInAll<kChannel>>(pixels, pixels);
        for (; i < count; ++i, pixels += 3)
            pixels[0] = pixels[1] = pixels[2] = pixels[kChannel];
    }

    static void grey(const Byte *src, Byte *grey, std::size_t count)
    {
        BoundaryGrey boundary;
        std::size_t i = 0;
        for (; i + kBlockPixels <= count; i += kBlockPixels, src += kBlockBytes) {
            Byte planes[kBlockBytes];
            permuteBlock<kShuffle, ChannelPlanes>(src, planes);
            if (integerGrey(planes, grey)) {
                for (int k = 0; k < kBlockPixels; ++k) {
                    const Byte *pixel = src + 3 * k;
                    if ((59 * pixel[1] + 11 * pixel[0] + 30 * pixel[2] + 50) % 100 == 0)
                        grey[k] = boundary(pixel);
                }
            }
            grey += kBlockPixels;
        }
        for (; i < count; ++i, src += 3)
            *grey++ = exactGrey(src);
    }

    static void binary(const Byte *grey, Byte *dst, std::size_t count, int threshold)
    {
        Bytes16 limit;
        for (int k = 0; k < 16; ++k)
            limit[k] = Byte(threshold);
        std::size_t i = 0;
        for (; i + kBlockPixels <= count; i += kBlockPixels, grey += kBlockPixels) {
            Bytes16 values;
            std::memcpy(&values, grey, 16);
            const auto white = values >= limit; // all bits set where white
            Byte mask[16];
            std::memcpy(mask, &white, 16);
            permuteBlock<kShuffle, TripledBytes, 16>(mask, dst + 3 * i);
        }
        for (; i < count; ++i, ++grey)
            std::memset(dst + 3 * i, *grey < threshold ? 0 : 255, 3);
    }
};

struct KernelTable {
    void (*reverse)(const Byte *src, Byte *dst, std::size_t count);
    void (*spread[3])(Byte *pixels, std::size_t count); // by channel: blue, green, red
    void (*grey)(const Byte *src, Byte *grey, std::size_t count);
    void (*binary)(const Byte *grey, Byte *dst, std::size_t count, int threshold);
};

template <bool kShuffle> constexpr KernelTable kernelTable()
{
    using K = PixelKernels<kShuffle>;
    return {K::reverse,
            {K::template spread<0>, K::template spread<1>, K::template spread<2>},
            K::grey,
            K::binary};
}

constexpr KernelTable kPortableKernels = kernelTable<false>();

#if defined(__x86_64__) || defined(__i386__)
// Copies of the shuffling kernels built for SSSE3, used only when the processor has it.
#define QUELMAR_SSSE3 [[gnu::target("ssse3"), gnu::flatten]]
QUELMAR_SSSE3 void reverseSsse3(const Byte *src, Byte *dst, std::size_t count)
{
    PixelKernels<true>::reverse(src, dst, count);
}
QUELMAR_SSSE3 void spreadBlueSsse3(Byte *pixels, std::size_t count)
{
    PixelKernels<true>::spread<0>(pixels, count);
}
QUELMAR_SSSE3 void spreadGreenSsse3(Byte *pixels, std::size_t count)
{
    PixelKernels<true>::spread<1>(pixels, count);
}
QUELMAR_SSSE3 void spreadRedSsse3(Byte *pixels, std::size_t count)
{
    PixelKernels<true>::spread<2>(pixels, count);
}
QUELMAR_SSSE3 void greySsse3(const Byte *src, Byte *grey, std::size_t count)
{
    PixelKernels<true>::grey(src, grey, count);
}
QUELMAR_SSSE3 void binarySsse3(const Byte *grey, Byte *dst, std::size_t count, int threshold)
{
    PixelKernels<true>::binary(grey, dst, count, threshold);
}
#undef QUELMAR_SSSE3

constexpr KernelTable kShuffleKernels = {
    reverseSsse3, {spreadBlueSsse3, spreadGreenSsse3, spreadRedSsse3}, greySsse3, binarySsse3};

bool processorShuffles()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3");
}
#else
constexpr KernelTable kShuffleKernels = kernelTable<true>();

bool processorShuffles() { return true; }
#endif

// Whole-frame operations on the contiguous frame bytes. The inner loops have a fixed trip
// count so that the compiler vectorises them at -O2.
void invert(Byte *bytes, std::size_t size)
{
    constexpr std::size_t kChunk = 64;
    std::size_t i = 0;
    for (; i + kChunk <= size; i += kChunk) {
        for (std::size_t k = 0; k < kChunk; ++k)
            bytes[i + k] = Byte(255 - bytes[i + k]);
    }
    for (; i < size; ++i)
        bytes[i] = Byte(255 - bytes[i]);
}

void clearChannel(Byte *bytes, std::size_t size, int channel)
{
    std::array<Byte, kBlockBytes> keep;
    for (int j = 0; j < kBlockBytes; ++j)
        keep[j] = j % 3 == channel ? 0 : 0xff;
    std::size_t i = 0;
    for (; i + kBlockBytes <= size; i += kBlockBytes) {
        for (int k = 0; k < kBlockBytes; ++k)
            bytes[i + k] &= keep[k];
    }
    for (; i < size; i += 3)
        bytes[i + channel] = 0;
}

void showChannels(FrameView frame, int mask, const KernelTable &kernels)
{
    constexpr int kBlue = 0, kGreen = 1, kRed = 2;
    using Ops = ImageOperations;
    const std::size_t pixels = std::size_t(frame.width) * std::size_t(frame.height);
    switch (mask) {
    case Ops::kRedBit:
        return kernels.spread[kRed](frame.data, pixels);
    case Ops::kGreenBit:
        return kernels.spread[kGreen](frame.data, pixels);
    case Ops::kBlueBit:
        return kernels.spread[kBlue](frame.data, pixels);
    case Ops::kRedBit | Ops::kGreenBit:
        return clearChannel(frame.data, frame.byteCount(), kBlue);
    case Ops::kRedBit | Ops::kBlueBit:
        return clearChannel(frame.data, frame.byteCount(), kGreen);
    case Ops::kGreenBit | Ops::kBlueBit:
        return clearChannel(frame.data, frame.byteCount(), kRed);
    default:
        return; // no other mask can be set
    }
}

// Column order reversed, through a copy of each row.
void mirrorRows(FrameView frame, Byte *scratch, const KernelTable &kernels)
{
    const std::size_t rowBytes = std::size_t(frame.width) * 3;
    for (int y = 0; y < frame.height; ++y) {
        std::memcpy(scratch, frame.row(y), rowBytes);
        kernels.reverse(scratch, frame.row(y), std::size_t(frame.width));
    }
}

// Row and column order reversed: row pairs from the outside in swap places, each reversed.
void turnHalf(FrameView frame, Byte *scratch, const KernelTable &kernels)
{
    const std::size_t width = std::size_t(frame.width);
    const std::size_t rowBytes = width * 3;
    int top = 0;
    for (int bottom = frame.height - 1; top < bottom; ++top, --bottom) {
        std::memcpy(scratch, frame.row(top), rowBytes);
        kernels.reverse(frame.row(bottom), frame.row(top), width);
        kernels.reverse(scratch, frame.row(bottom), width);
    }
    if (top == frame.height - 1 - top) {
        std::memcpy(scratch, frame.row(top), rowBytes);
        kernels.reverse(scratch, frame.row(top), width);
    }
}

using Histogram = std::array<std::uint32_t, 256>;

// Four tables, so that runs of one grey value do not wait on a single counter.
void count(const Byte *grey, std::size_t size, std::array<Histogram, 4> &counts)
{
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        ++counts[0][grey[i]];
        ++counts[1][grey[i + 1]];
        ++counts[2][grey[i + 2]];
        ++counts[3][grey[i + 3]];
    }
    for (; i < size; ++i)
        ++counts[0][grey[i]];
}

// Grows `buffer` to `size` bytes; false when memory runs out, and the frame goes unchanged.
bool grow(std::vector<Byte> &buffer, std::size_t size)
{
    try {
        if (buffer.size() < size)
            buffer.resize(size);
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

} // namespace

ImageOperations::ImageOperations(Kernels kernels)
    : shuffles_(kernels == Kernels::Fastest && processorShuffles())
{
}

bool &ImageOperations::pressed(int buttonId)
{
    const auto *found = std::find(kButtons.begin(), kButtons.end(), buttonId);
    return pressed_[std::size_t(found - kButtons.begin())];
}

bool ImageOperations::isPressed(int buttonId) const
{
    const auto *found = std::find(kButtons.begin(), kButtons.end(), buttonId);
    return found != kButtons.end() && pressed_[std::size_t(found - kButtons.begin())];
}

bool ImageOperations::press(int buttonId)
{
    switch (buttonId) {
    case kRedButton:
        pressChannel(buttonId, kRedBit);
        return true;
    case kGreenButton:
        pressChannel(buttonId, kGreenBit);
        return true;
    case kBlueButton:
        pressChannel(buttonId, kBlueBit);
        return true;
    case kHorizontalMirrorButton:
    case kVerticalMirrorButton:
    case kNegativeButton:
    case kBinarySegmentationButton:
    case kRgbButton:
        pressOperation(buttonId);
        return true;
    default:
        return false;
    }
}

void ImageOperations::pressOperation(int buttonId)
{
    const bool wasPressed = pressed(buttonId);
    pressed_.fill(false);
    Switches on;
    if (!wasPressed) {
        pressed(buttonId) = true;
        on.horizontalMirror = buttonId == kHorizontalMirrorButton;
        on.verticalMirror = buttonId == kVerticalMirrorButton;
        on.negative = buttonId == kNegativeButton;
        on.binarySegmentation = buttonId == kBinarySegmentationButton;
        // RGB has no operation of its own: pressing it only switches the others off.
    }
    setSwitches(on);
}

void ImageOperations::pressChannel(int buttonId, int bit)
{
    constexpr std::array<int, 3> channelButtons = {kRedButton, kGreenButton, kBlueButton};
    int othersPressed = 0;
    for (const int other : channelButtons)
        othersPressed += other != buttonId && pressed(other);
    const bool wasPressed = pressed(buttonId);
    for (const int button : kButtons) {
        const bool isChannel = button == kRedButton || button == kGreenButton ||
                               button == kBlueButton;
        if (!isChannel || othersPressed == 2)
            pressed(button) = false;
    }

    int mask = channelMask_.load();
    if (wasPressed) {
        pressed(buttonId) = false;
        mask &= ~bit;
    } else {
        pressed(buttonId) = true;
        mask |= bit;
        if (mask == (kRedBit | kGreenBit | kBlueBit))
            mask = bit; // the mask always holds one or two channels
    }
    setSwitches({.channelMask = mask});
}

void ImageOperations::setSwitches(const Switches &switches)
{
    // A frame may see a mix of old and new switches for once; the next frame is consistent.
    horizontalMirror_.store(switches.horizontalMirror);
    verticalMirror_.store(switches.verticalMirror);
    binarySegmentation_.store(switches.binarySegmentation);
    negative_.store(switches.negative);
    channelMask_.store(switches.channelMask);
}

void ImageOperations::releaseButtons() { pressed_.fill(false); }

ImageOperations::Switches ImageOperations::switches() const
{
    return {.horizontalMirror = horizontalMirror_.load() != 0,
            .verticalMirror = verticalMirror_.load() != 0,
            .binarySegmentation = binarySegmentation_.load() != 0,
            .negative = negative_.load() != 0,
            .channelMask = channelMask_.load()};
}

void ImageOperations::apply(FrameView frame)
{
    if (frame.empty())
        return;
    const KernelTable &kernels = shuffles_ ? kShuffleKernels : kPortableKernels;
    const std::size_t rowBytes = std::size_t(frame.width) * 3;

    if (horizontalMirror_.load(std::memory_order_relaxed) && grow(rowScratch_, rowBytes))
        mirrorRows(frame, rowScratch_.data(), kernels);
    if (verticalMirror_.load(std::memory_order_relaxed) && grow(rowScratch_, rowBytes))
        turnHalf(frame, rowScratch_.data(), kernels);
    if (binarySegmentation_.load(std::memory_order_relaxed))
        segment(frame);
    if (negative_.load(std::memory_order_relaxed))
        invert(frame.data, frame.byteCount());
    if (const int mask = channelMask_.load(std::memory_order_relaxed))
        showChannels(frame, mask, kernels);
}

void ImageOperations::segment(FrameView frame)
{
    const std::size_t width = std::size_t(frame.width);
    const std::size_t pixels = width * std::size_t(frame.height);
    if (!grow(grey_, pixels))
        return;
    const KernelTable &kernels = shuffles_ ? kShuffleKernels : kPortableKernels;

    // Row by row, so each grey row is counted while it is still in the cache.
    std::array<Histogram, 4> counts{};
    for (int y = 0; y < frame.height; ++y) {
        Byte *grey = grey_.data() + std::size_t(y) * width;
        kernels.grey(frame.row(y), grey, width);
        count(grey, width, counts);
    }
    Histogram histogram{};
    for (int value = 0; value < 256; ++value)
        histogram[value] = counts[0][value] + counts[1][value] + counts[2][value] + counts[3][value];

    kernels.binary(grey_.data(), frame.data, pixels, otsuThreshold(histogram));
}

void ImageOperations::greyValues(FrameView frame, std::uint8_t *grey) const
{
    if (frame.empty())
        return;
    const KernelTable &kernels = shuffles_ ? kShuffleKernels : kPortableKernels;
    kernels.grey(frame.data, grey, std::size_t(frame.width) * std::size_t(frame.height));
}

int ImageOperations::otsuThreshold(const std::array<std::uint32_t, 256> &histogram)
{
    std::uint64_t total = 0;
    std::uint64_t weightedTotal = 0;
    for (int i = 0; i < 256; ++i) {
        total += histogram[i];
        weightedTotal += std::uint64_t(i) * histogram[i];
    }
    const float n = float(total);

    // Single precision throughout, as the threshold has always been computed; the first
    // strictly larger between-class value wins, and a split with an empty side gives NaN,
    // which never compares larger.
    std::uint64_t below = 0;
    std::uint64_t weightedBelow = 0;
    float best = 0.0f;
    int threshold = 0;
    for (int t = 0; t < 255; ++t) {
        below += histogram[t];
        weightedBelow += std::uint64_t(t) * histogram[t];
        const float w = float(below);
        const float m0 = float(weightedBelow) / w;
        const float m1 = float(weightedTotal - weightedBelow) / (n - w);
        const float p = w / n;
        const float value = (m1 - m0) * (m1 - m0) * p * (1.0f - p);
        if (value > best) {
            best = value;
            threshold = t;
        }
    }
    return threshold;
}

} // namespace quelmar::station
