// The first picture of a video file (AVI, MP4 or whatever FFmpeg recognises), for thumbnails.
#include "fuzz_support.h"
#include "video/first_frame.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString path = quelmar::fuzz::scratchFile(QStringLiteral("video"), data, size);
    const auto frame = quelmar::readFirstVideoFrame(path, 64, 48);
    if (frame && (frame->width() > 64 || frame->height() > 48))
        quelmar::fuzz::finding("a thumbnail larger than asked for");
    return 0;
}
