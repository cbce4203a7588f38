// The multipart splitter: boundary spellings, line ends, header case, chunkings, and which
// parts count as pictures.
#include "device/multipart_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using quelmar::viewer::MultipartSplitter;

struct Part {
    std::string type;
    std::string body;
};

// A body with parts whose payloads contain near-boundaries and line ends of their own.
std::string buildStream(const std::string &delimiter, const std::string &eol,
                        const std::vector<Part> &parts, bool close)
{
    std::string out = "preamble text" + eol;
    for (const Part &part : parts) {
        out += delimiter + eol;
        if (!part.type.empty())
            out += "Content-Type: " + part.type + eol;
        out += "X-Other: 1" + eol + eol + part.body + eol;
    }
    out += close ? delimiter + "--" + eol : delimiter + eol;
    return out;
}

std::vector<std::string> split(const std::string &boundary, const std::string &stream,
                               std::size_t chunk = std::size_t(1) << 20,
                               std::size_t maxPart = MultipartSplitter::kDefaultMaxPartBytes)
{
    std::vector<std::string> pictures;
    MultipartSplitter splitter(
        QByteArray::fromStdString(boundary),
        [&](std::span<const std::uint8_t> jpeg) {
            pictures.emplace_back(reinterpret_cast<const char *>(jpeg.data()), jpeg.size());
        },
        maxPart);
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(stream.data());
    for (std::size_t at = 0; at < stream.size(); at += chunk)
        splitter.feed(bytes + at, std::min(chunk, stream.size() - at));
    return pictures;
}

const std::vector<Part> kParts = {
    {"image/jpeg", std::string("\xFF\xD8 first\r\n--fram\n-frame x--frame\r\n\xFF\xD9")},
    {"image/jpeg", "\xFF\xD8 second, ends in a line feed\n"},
    {"image/jpeg", std::string(5000, '\x5A') + "\r\n-"},
};
const std::vector<std::string> kPictures = {kParts[0].body, kParts[1].body, kParts[2].body};

struct Layout {
    const char *declared;  // as the Content-Type names it
    const char *delimiter; // as the stream writes it
    const char *eol;
};

class SplitterLayouts : public ::testing::TestWithParam<std::tuple<Layout, std::size_t>> {};

TEST_P(SplitterLayouts, EveryChunkingGivesTheSamePictures)
{
    const auto [layout, chunk] = GetParam();
    const std::string stream = buildStream(layout.delimiter, layout.eol, kParts, false);
    EXPECT_EQ(split(layout.declared, stream, chunk), kPictures);
}

INSTANTIATE_TEST_SUITE_P(
    BoundariesLineEndsChunks, SplitterLayouts,
    ::testing::Combine(
        ::testing::Values(Layout{"frame", "--frame", "\r\n"}, Layout{"--frame", "--frame", "\r\n"},
                          Layout{"--frame", "----frame", "\r\n"}, Layout{"frame", "--frame", "\n"},
                          Layout{"\"frame\"", "--frame", "\n"}, Layout{"", "--frame", "\r\n"}),
        ::testing::Values(std::size_t(1), std::size_t(2), std::size_t(7), std::size_t(9),
                          std::size_t(1536), std::size_t(1) << 20)));

TEST(MultipartSplitter, PictureIsTakenOnlyOnceTheNextPartBegins)
{
    std::vector<std::string> pictures;
    MultipartSplitter splitter("b", [&](std::span<const std::uint8_t> jpeg) {
        pictures.emplace_back(reinterpret_cast<const char *>(jpeg.data()), jpeg.size());
    });
    splitter.feed(QByteArray("--b\r\nContent-Type: image/jpeg\r\n\r\n123456\r\n--b"));
    EXPECT_TRUE(pictures.empty());
    splitter.feed(QByteArray("\r\n"));
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0], "123456");
    // The closing delimiter begins no part: the last one is never shown.
    splitter.feed(QByteArray("Content-Type: image/jpeg\r\n\r\nabcdefg\r\n--b--\r\n"));
    EXPECT_EQ(pictures.size(), 1u);
    EXPECT_TRUE(splitter.finished());
}

struct PartCase {
    const char *name;
    Part part;
    bool isPicture;
};

class SplitterParts : public ::testing::TestWithParam<PartCase> {};

TEST_P(SplitterParts, OnlyJpegPartsOverFiveBytesArePictures)
{
    const PartCase &c = GetParam();
    const std::string stream =
        buildStream("--b", "\r\n", {c.part, {"image/jpeg", "after!"}}, false);
    const auto pictures = split("b", stream);
    std::vector<std::string> expected;
    if (c.isPicture)
        expected.push_back(c.part.body);
    expected.push_back("after!");
    EXPECT_EQ(pictures, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Parts, SplitterParts,
    ::testing::Values(PartCase{"FiveBytes", {"image/jpeg", "12345"}, false},
                      PartCase{"SixBytes", {"image/jpeg", "123456"}, true},
                      PartCase{"Empty", {"image/jpeg", ""}, false},
                      PartCase{"TextPart", {"text/plain", "not a picture"}, false},
                      PartCase{"NoType", {"", "no type at all"}, false},
                      PartCase{"TypeWithParameters", {"image/jpeg; q=1", "with params"}, true},
                      PartCase{"TypeInCapitals", {"IMAGE/JPEG", "capitals"}, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MultipartSplitter, HeaderNamesMatchWithoutCaseAndContentLengthIsNotTrusted)
{
    const std::string stream = "--b\r\nCONTENT-type: image/jpeg\r\ncontent-length: 2\r\n\r\n"
                               "longer than said\r\n--b\r\n";
    EXPECT_EQ(split("b", stream), std::vector<std::string>{"longer than said"});
}

TEST(MultipartSplitter, OversizedPartIsDroppedAndTheStreamGoesOn)
{
    const std::string big(1000, 'x');
    const std::string stream =
        buildStream("--b", "\r\n", {{"image/jpeg", big}, {"image/jpeg", "small!"}}, false);
    for (const std::size_t chunk : {std::size_t(1), std::size_t(64), std::size_t(4096)})
        EXPECT_EQ(split("b", stream, chunk, 100), std::vector<std::string>{"small!"})
            << "chunk " << chunk;
}

TEST(MultipartSplitter, BoundaryFromContentType)
{
    EXPECT_EQ(MultipartSplitter::boundaryFromContentType(
                  "multipart/x-mixed-replace;boundary=boundarydonotcross"),
              "boundarydonotcross");
    EXPECT_EQ(MultipartSplitter::boundaryFromContentType(
                  "multipart/x-mixed-replace; charset=x; BOUNDARY=\"--my b\""),
              "--my b");
    EXPECT_EQ(MultipartSplitter::boundaryFromContentType("image/jpeg"), "");
}

} // namespace
