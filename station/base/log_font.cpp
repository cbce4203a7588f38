#include "base/log_font.h"

#include "base/private_profile.h"

#include <QtEndian>

#include <algorithm>
#include <cctype>

namespace quelmar::station {

QString LogFont::face() const
{
    qsizetype n = 0;
    while (n < qsizetype(faceName.size()) && faceName[size_t(n)] != 0)
        ++n;
    return QString::fromUtf16(faceName.data(), n);
}

void LogFont::setFace(const QString &name)
{
    faceName.fill(0);
    const qsizetype n = std::min<qsizetype>(name.size(), qsizetype(faceName.size()) - 1);
    for (qsizetype i = 0; i < n; ++i)
        faceName[size_t(i)] = name[i].unicode();
}

QByteArray LogFont::toBytes() const
{
    QByteArray out(kByteSize, '\0');
    auto *p = reinterpret_cast<uchar *>(out.data());
    for (const std::int32_t v : {height, width, escapement, orientation, weight}) {
        qToLittleEndian(v, p);
        p += 4;
    }
    for (const std::uint8_t v : {italic, underline, strikeOut, charSet, outPrecision, clipPrecision,
                                 quality, pitchAndFamily})
        *p++ = v;
    for (const char16_t c : faceName) {
        qToLittleEndian(quint16(c), p);
        p += 2;
    }
    return out;
}

LogFont LogFont::fromBytes(const QByteArray &bytes)
{
    LogFont f;
    if (bytes.size() != kByteSize)
        return f;
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    for (std::int32_t *v : {&f.height, &f.width, &f.escapement, &f.orientation, &f.weight}) {
        *v = qFromLittleEndian<std::int32_t>(p);
        p += 4;
    }
    for (std::uint8_t *v : {&f.italic, &f.underline, &f.strikeOut, &f.charSet, &f.outPrecision,
                            &f.clipPrecision, &f.quality, &f.pitchAndFamily})
        *v = *p++;
    for (char16_t &c : f.faceName) {
        c = qFromLittleEndian<quint16>(p);
        p += 2;
    }
    return f;
}

QByteArray encodeProfileStruct(const QByteArray &bytes)
{
    unsigned sum = 0;
    for (const char b : bytes)
        sum += uchar(b);
    QByteArray withSum = bytes;
    withSum.append(char(sum & 0xFF));
    return withSum.toHex().toUpper();
}

QByteArray decodeProfileStruct(const QByteArray &text, int size)
{
    if (text.size() != 2 * (size + 1))
        return {};
    for (const char c : text)
        if (!std::isxdigit(uchar(c)))
            return {};
    const QByteArray bytes = QByteArray::fromHex(text);
    unsigned sum = 0;
    for (int i = 0; i < size; ++i)
        sum += uchar(bytes[i]);
    if (uchar(bytes[size]) != (sum & 0xFF))
        return {};
    return bytes.left(size);
}

LogFont readLogFontFile(const QString &path)
{
    const auto value = readProfileValue(path, "FONT", "LOGFONT");
    if (!value)
        return {};
    return LogFont::fromBytes(decodeProfileStruct(*value, LogFont::kByteSize));
}

bool writeLogFontFile(const QString &path, const LogFont &font)
{
    return writeProfileValue(path, "FONT", "LOGFONT", encodeProfileStruct(font.toBytes()));
}

} // namespace quelmar::station
