// Language files: the first two bytes choose the language (and so the file's code page),
// the rest is the file. Every code page the files use decodes the same bytes too.
#include "base/code_page.h"
#include "base/language.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quelmar::station;
    if (size < 2)
        return 0;
    const LanguagePair pair{data[0], std::uint16_t(data[1] % 8)};
    const QString name = languageFileName(pair);
    quelmar::fuzz::scratchFile(name, data + 2, size - 2);
    Language language(quelmar::fuzz::scratchDir().path());
    language.choose(pair);
    language.text(QStringLiteral("IDS_TITLE"), 16, QStringLiteral("fallback"));
    const QByteArray rest = quelmar::fuzz::bytesOf(data + 2, size - 2);
    for (int codePage : {874, 932, 936, 949, 950, 1250, 1251, 1252, 1254}) {
        if (rest.size() > 0 && decodeCodePage(rest, codePage).isEmpty())
            quelmar::fuzz::finding("bytes decoded to nothing");
    }
    return 0;
}
