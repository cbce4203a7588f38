// JPEG stills, thumbnails and stream pictures: refused or decoded within the pixel budget.
#include "fuzz_support.h"
#include "image/jpeg_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto frame = quelmar::decodeJpeg(data, size);
    if (frame && std::int64_t(frame->width()) * frame->height() > quelmar::kMaxJpegPixels)
        quelmar::fuzz::finding("a picture over the pixel budget was decoded");
    // The stream reader's own bound, as a 1280 x 720 device sets it.
    const auto streamed = quelmar::decodeJpeg(data, size, QSize(1280, 720));
    if (streamed && (streamed->width() > 1280 || streamed->height() > 720))
        quelmar::fuzz::finding("a stream picture over the device's size was decoded");
    return 0;
}
