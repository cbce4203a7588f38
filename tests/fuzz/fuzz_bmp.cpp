// BMP files and packed DIBs (the clipboard's form): anything is refused or decoded whole.
#include "fuzz_support.h"
#include "image/bmp_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    for (const auto &frame : {quelmar::decodeBmp(data, size), quelmar::decodeDib(data, size)}) {
        if (frame && std::int64_t(frame->width()) * frame->height() > quelmar::kMaxPicturePixels)
            quelmar::fuzz::finding("a picture over the pixel budget was decoded");
    }
    return 0;
}
