#include "base/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

namespace quelmar::station {

namespace {

struct IconvCloser {
    void operator()(void *cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle openIconv(const char *to, const char *from)
{
    const iconv_t cd = iconv_open(to, from);
    return IconvHandle(cd == iconv_t(-1) ? nullptr : static_cast<void *>(cd));
}

// Converts everything; an invalid input byte is replaced by `replacement` and skipped.
QByteArray convert(const IconvHandle &cd, const QByteArray &in, const QByteArray &replacement)
{
    QByteArray out;
    out.reserve(in.size() * 2 + 16);
    char *src = const_cast<char *>(in.constData());
    size_t srcLeft = size_t(in.size());
    char buffer[4096];
    while (srcLeft > 0) {
        char *dst = buffer;
        size_t dstLeft = sizeof buffer;
        const size_t r = iconv(static_cast<iconv_t>(cd.get()), &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, qsizetype(sizeof buffer - dstLeft));
        if (r == size_t(-1) && errno != E2BIG) {
            // EILSEQ or EINVAL (truncated sequence): skip one byte and go on.
            out.append(replacement);
            ++src;
            --srcLeft;
        }
    }
    return out;
}

} // namespace

std::optional<QByteArray> iconvNameForCodePage(int codePage)
{
    switch (codePage) {
    case 874:
        return QByteArray("CP874");
    case 932:
        return QByteArray("CP932");
    case 936:
        return QByteArray("CP936");
    case 949:
        return QByteArray("CP949");
    case 950:
        return QByteArray("CP950");
    default:
        break;
    }
    if (codePage >= 1250 && codePage <= 1258)
        return "CP" + QByteArray::number(codePage);
    return std::nullopt;
}

QString decodeCodePage(const QByteArray &bytes, int codePage)
{
    const auto name = iconvNameForCodePage(codePage);
    const IconvHandle cd = name ? openIconv("UTF-16LE", name->constData()) : IconvHandle();
    if (!cd)
        return QString::fromLatin1(bytes);
    const QByteArray utf16 = convert(cd, bytes, QByteArray("\xFD\xFF", 2));
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(utf16.constData()),
                              utf16.size() / 2);
}

QByteArray encodeCodePage(const QString &text, int codePage)
{
    const auto name = iconvNameForCodePage(codePage);
    const IconvHandle cd = name ? openIconv(name->constData(), "UTF-8") : IconvHandle();
    if (!cd)
        return text.toLatin1();
    return convert(cd, text.toUtf8(), "?");
}

} // namespace quelmar::station
