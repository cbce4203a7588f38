// The capture configuration record (the capture pin's video-info header) and its 88-byte
// little-endian file CapConfig.dat, which brings the last capture size back at the next start.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace quelmar::station {

struct BitmapInfoHeader {
    std::uint32_t size = 40;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0; // four-character code, 0 for uncompressed
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;

    bool operator==(const BitmapInfoHeader &) const = default;
};

struct CapConfig {
    std::array<std::int32_t, 4> source{}; // left, top, right, bottom
    std::array<std::int32_t, 4> target{};
    std::uint32_t bitRate = 0;
    std::uint32_t bitErrorRate = 0;
    std::int64_t avgTimePerFrame = 0; // 100 ns units
    BitmapInfoHeader bmi;

    static constexpr int kByteSize = 88;

    std::array<std::uint8_t, kByteSize> toBytes() const;
    static CapConfig fromBytes(const std::uint8_t *bytes); // kByteSize bytes

    bool operator==(const CapConfig &) const = default;
};

// Nothing when the file is missing or shorter than 88 bytes.
std::optional<CapConfig> readCapConfig(const QString &path);
bool writeCapConfig(const QString &path, const CapConfig &config);

} // namespace quelmar::station
