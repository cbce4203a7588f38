#include "library/image_operations.h"

#include "library/pixel_kernels.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace quelmar::station {
namespace {

using Byte = std::uint8_t;

const KernelTable &kernelTable(ImageOperations::Kernels kernels)
{
    return kernels == ImageOperations::Kernels::Fastest ? fastestKernels() : portableKernels();
}

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
    constexpr int kChunk = 48; // 16 pixels: whole vectors and whole pixels
    std::array<Byte, kChunk> keep;
    for (int j = 0; j < kChunk; ++j)
        keep[j] = j % 3 == channel ? 0 : 0xff;
    std::size_t i = 0;
    for (; i + kChunk <= size; i += kChunk) {
        for (int k = 0; k < kChunk; ++k)
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

ImageOperations::ImageOperations(Kernels kernels) : kernels_(kernels) {}

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
    // The operation buttons go up; the other two channels only when both were down.
    for (const int button : kButtons) {
        const bool isChannel =
            button == kRedButton || button == kGreenButton || button == kBlueButton;
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

void ImageOperations::releaseButtons()
{
    pressed_.fill(false);
}

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
    const KernelTable &kernels = kernelTable(kernels_);
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
    const KernelTable &kernels = kernelTable(kernels_);

    // Row by row, so each grey row is counted while it is still in the cache; four tables,
    // so that runs of one value do not wait on a single counter.
    std::array<std::array<std::uint32_t, 256>, 4> counts{};
    for (int y = 0; y < frame.height; ++y) {
        const Byte *grey = grey_.data() + std::size_t(y) * width;
        kernels.grey(frame.row(y), grey_.data() + std::size_t(y) * width, width);
        std::size_t x = 0;
        for (; x + 4 <= width; x += 4) {
            ++counts[0][grey[x]];
            ++counts[1][grey[x + 1]];
            ++counts[2][grey[x + 2]];
            ++counts[3][grey[x + 3]];
        }
        for (; x < width; ++x)
            ++counts[0][grey[x]];
    }
    std::array<std::uint32_t, 256> histogram{};
    for (int value = 0; value < 256; ++value)
        histogram[value] =
            counts[0][value] + counts[1][value] + counts[2][value] + counts[3][value];

    kernels.binary(grey_.data(), frame.data, pixels, otsuThreshold(histogram));
}

void ImageOperations::greyValues(FrameView frame, std::uint8_t *grey) const
{
    if (frame.empty())
        return;
    const KernelTable &kernels = kernelTable(kernels_);
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

    // Sums are exact integers; weights, means and the between-class value are single
    // precision, so near-ties fall the way the float arithmetic decides. The first strictly
    // larger value wins; a split with an empty side gives NaN, which never compares larger.
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
