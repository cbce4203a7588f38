// The 92-byte font description of the label and annotation fonts and its file form: one
// key whose value is every byte as two upper-case hex digits plus a checksum byte, exactly
// as the font files of earlier stations hold it, so files move between stations unchanged.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

namespace quelmar::station {

struct LogFont {
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::array<char16_t, 32> faceName{};

    static constexpr int kByteSize = 92;

    QString face() const;
    void setFace(const QString &name); // cut to 31 code units plus the terminator
    bool isZero() const { return *this == LogFont{}; }

    QByteArray toBytes() const;
    // Nothing but a 92-byte buffer is accepted; otherwise the result is all zero.
    static LogFont fromBytes(const QByteArray &bytes);

    bool operator==(const LogFont &) const = default;
};

// The structure encoding: 186 upper-case hex digits (92 bytes and the checksum byte).
QByteArray encodeProfileStruct(const QByteArray &bytes);
// Empty when the text is not exactly `size` bytes plus a matching checksum.
QByteArray decodeProfileStruct(const QByteArray &text, int size);

// Section "FONT", key "LOGFONT". A missing file, key, wrong length or checksum gives zero.
LogFont readLogFontFile(const QString &path);
bool writeLogFontFile(const QString &path, const LogFont &font);

} // namespace quelmar::station
