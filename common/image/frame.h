// Packed 24-bit BGR pictures: the one pixel layout every frame, still and thumbnail uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quelmar {

// The most pixels a picture read from a file may have (192 MB as BGR24), eight times the
// largest camera picture; readers refuse more from the header, before taking pixel memory.
inline constexpr std::int64_t kMaxPicturePixels = 64'000'000;

// A borrowed view of a packed BGR24 picture: rows top-down, `width * 3` bytes each, no padding.
struct FrameView {
    std::uint8_t *data = nullptr;
    int width = 0;
    int height = 0;

    std::size_t byteCount() const { return std::size_t(width) * std::size_t(height) * 3; }
    std::uint8_t *row(int y) const { return data + std::size_t(y) * std::size_t(width) * 3; }
    bool empty() const { return data == nullptr || width <= 0 || height <= 0; }
};

// An owned packed BGR24 picture. Resizing only reallocates when the picture grows, so a
// buffer reused for every frame of one size never allocates again.
class Frame {
public:
    Frame() = default;
    Frame(int width, int height) { resize(width, height); }

    void resize(int width, int height)
    {
        width_ = width > 0 ? width : 0;
        height_ = height > 0 ? height : 0;
        const std::size_t needed = std::size_t(width_) * std::size_t(height_) * 3;
        if (pixels_.size() < needed)
            pixels_.resize(needed);
    }

    int width() const { return width_; }
    int height() const { return height_; }
    std::size_t byteCount() const { return std::size_t(width_) * std::size_t(height_) * 3; }
    bool empty() const { return width_ == 0 || height_ == 0; }

    std::uint8_t *data() { return pixels_.data(); }
    const std::uint8_t *data() const { return pixels_.data(); }
    FrameView view() { return {pixels_.data(), width_, height_}; }

private:
    std::vector<std::uint8_t> pixels_;
    int width_ = 0;
    int height_ = 0;
};

} // namespace quelmar
