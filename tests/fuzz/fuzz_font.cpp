// Font files: one hex key holding the 92-byte font description and a checksum.
#include "base/log_font.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quelmar::station;
    const QString path = quelmar::fuzz::scratchFile(QStringLiteral("font.ini"), data, size);
    const LogFont font = readLogFontFile(path);
    font.face();
    if (!font.isZero() && LogFont::fromBytes(font.toBytes()) != font)
        quelmar::fuzz::finding("a font read from a file does not survive its own bytes");
    const QByteArray decoded = decodeProfileStruct(quelmar::fuzz::bytesOf(data, size), 92);
    if (!decoded.isEmpty() && decoded.size() != 92)
        quelmar::fuzz::finding("a decoded structure of the wrong size");
    return 0;
}
