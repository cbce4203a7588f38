// The picture stream's multipart splitter. The first line is the response's Content-Type,
// the first byte after it the chunk size the body arrives in, the rest the body.
#include "device/multipart_splitter.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using quelmar::viewer::MultipartSplitter;
    const QByteArray input = quelmar::fuzz::bytesOf(data, size);
    const qsizetype lineEnd = input.indexOf('\n');
    if (lineEnd < 0 || lineEnd + 1 >= input.size())
        return 0;
    const QByteArray boundary = MultipartSplitter::boundaryFromContentType(input.left(lineEnd));
    const std::size_t chunk = 1 + std::uint8_t(input[lineEnd + 1]) % 97;
    constexpr std::size_t kMaxPart = 4096; // small, so the over-size path is reached
    MultipartSplitter splitter(
        boundary.isEmpty() ? QByteArray("frame") : boundary,
        [](std::span<const std::uint8_t> jpeg) {
            if (jpeg.size() < MultipartSplitter::kMinPictureBytes || jpeg.size() > kMaxPart)
                quelmar::fuzz::finding("a picture outside the part size bounds");
        },
        kMaxPart);
    const std::uint8_t *body = data + lineEnd + 2;
    const std::size_t bodySize = size - std::size_t(lineEnd) - 2;
    for (std::size_t at = 0; at < bodySize; at += chunk)
        splitter.feed(body + at, std::min(chunk, bodySize - at));
    return 0;
}
