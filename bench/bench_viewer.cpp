// The picture stream's splitter on an in-memory multipart stream of 1280 x 720 JPEG parts,
// fed in chunks of the size given as the argument, as libcurl would hand them over.
#include "device/multipart_splitter.h"
#include "image/frame.h"
#include "image/jpeg_codec.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using quelmar::viewer::MultipartSplitter;

// A detailed picture so the JPEG parts have a realistic size (about 100-200 KB).
std::vector<std::uint8_t> makeJpeg(int seed)
{
    quelmar::Frame frame(1280, 720);
    for (int y = 0; y < frame.height(); ++y) {
        std::uint8_t *pixel = frame.view().row(y);
        for (int x = 0; x < frame.width(); ++x, pixel += 3) {
            const unsigned noise = unsigned(x * 7919 + y * 104729 + seed * 31) * 2654435761u;
            pixel[0] = std::uint8_t((x + seed) ^ (noise >> 27));
            pixel[1] = std::uint8_t((y * 3) ^ (noise >> 26));
            pixel[2] = std::uint8_t((x + y) / 4 + (noise >> 28));
        }
    }
    return quelmar::encodeJpeg(frame.view(), 85).value_or(std::vector<std::uint8_t>{});
}

const std::string &stream()
{
    static const std::string bytes = [] {
        std::string out;
        for (int i = 0; i < 8; ++i) {
            const std::vector<std::uint8_t> jpeg = makeJpeg(i);
            out += "--boundarydonotcross\r\nContent-Type: image/jpeg\r\nContent-Length: " +
                   std::to_string(jpeg.size()) + "\r\n\r\n";
            out.append(reinterpret_cast<const char *>(jpeg.data()), jpeg.size());
            out += "\r\n";
        }
        out += "--boundarydonotcross\r\n";
        return out;
    }();
    return bytes;
}

void BM_MultipartSplit(benchmark::State &state)
{
    const std::string &bytes = stream();
    const auto chunk = std::size_t(state.range(0));
    const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.data());
    std::size_t pictureBytes = 0;
    for (auto _ : state) {
        MultipartSplitter splitter("boundarydonotcross", [&](std::span<const std::uint8_t> jpeg) {
            pictureBytes += jpeg.size();
        });
        for (std::size_t at = 0; at < bytes.size(); at += chunk)
            splitter.feed(data + at, std::min(chunk, bytes.size() - at));
        benchmark::DoNotOptimize(pictureBytes);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes.size()));
}
BENCHMARK(BM_MultipartSplit)->Arg(1)->Arg(1536)->Arg(16384);

} // namespace

BENCHMARK_MAIN();
