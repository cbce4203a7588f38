#include "image/resample.h"

#include <cstdint>
#include <cstring>

namespace quelmar {
namespace {

// Walks the source positions floor((2i + 1) * from / (2 * to)) for i = 0, 1, ... without a
// division per step: the pixel whose area holds the centre of target pixel i.
class CentreSteps {
public:
    CentreSteps(int from, int to)
        : denominator_(2 * std::int64_t(to)), step_(2 * std::int64_t(from) / denominator_),
          stepRemainder_(2 * std::int64_t(from) % denominator_),
          position_(std::int64_t(from) / denominator_),
          remainder_(std::int64_t(from) % denominator_)
    {}

    int position() const { return int(position_); }

    void next()
    {
        position_ += step_;
        remainder_ += stepRemainder_;
        if (remainder_ >= denominator_) {
            remainder_ -= denominator_;
            ++position_;
        }
    }

private:
    std::int64_t denominator_;
    std::int64_t step_;
    std::int64_t stepRemainder_;
    std::int64_t position_;
    std::int64_t remainder_;
};

} // namespace

Frame resizeNearest(FrameView src, int width, int height)
{
    Frame dst;
    resizeNearest(src, width, height, dst);
    return dst;
}

void resizeNearest(FrameView src, int width, int height, Frame &dst)
{
    if (src.empty() || width <= 0 || height <= 0) {
        dst.resize(0, 0);
        return;
    }
    dst.resize(width, height);
    const FrameView out = dst.view();
    const std::size_t rowBytes = std::size_t(width) * 3;
    CentreSteps rows(src.height, height);
    int previousY = -1;
    for (int y = 0; y < height; ++y, rows.next()) {
        std::uint8_t *target = out.row(y);
        if (rows.position() == previousY) { // enlarging: repeat the row just made
            std::memcpy(target, target - rowBytes, rowBytes);
            continue;
        }
        previousY = rows.position();
        const std::uint8_t *source = src.row(previousY);
        CentreSteps columns(src.width, width);
        for (int x = 0; x < width; ++x, columns.next(), target += 3)
            std::memcpy(target, source + std::size_t(columns.position()) * 3, 3);
    }
}

} // namespace quelmar
