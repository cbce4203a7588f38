#include "image/bmp_codec.h"

#include "image/picture_file.h"

#include <QFile>
#include <QSaveFile>

#include <array>
#include <cstring>
#include <limits>
#include <new>

namespace quelmar {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kBitMasksSize = 12;
// No camera or screen comes near this; a larger claim is a damaged or hostile file.
constexpr std::int64_t kMaxSide = 20000;
constexpr std::int64_t kMaxFileSize = kMaxSide * kMaxSide * 4 + (1 << 16);

constexpr std::uint32_t kCompressionNone = 0;
constexpr std::uint32_t kCompressionBitFields = 3;

std::uint16_t readU16(const std::uint8_t *p)
{
    return std::uint16_t(p[0] | p[1] << 8);
}

std::uint32_t readU32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void putU16(std::uint8_t *p, std::uint32_t value)
{
    p[0] = std::uint8_t(value);
    p[1] = std::uint8_t(value >> 8);
}

void putU32(std::uint8_t *p, std::uint32_t value)
{
    putU16(p, value);
    putU16(p + 2, value >> 16);
}

void setError(QString *error, const QString &message)
{
    if (error)
        *error = message;
}

// What an info header says, already checked for consistency. Offsets count from the start of
// the info header.
struct DibLayout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    std::size_t paletteOffset = 0;
    std::uint32_t paletteEntries = 0;        // only for 1/4/8 bits
    std::uint64_t tableEnd = 0;              // where the pixels of a packed DIB start
    std::uint64_t neededTableEnd = 0;        // end of what decoding reads from masks and palette
    std::array<int, 3> channelByte{0, 1, 2}; // 32 bits: byte of blue, green, red in a pixel
    std::uint32_t declaredImageSize = 0;
    std::uint64_t rowStride = 0;
    std::uint64_t pixelBytes = 0; // every row but the last with its padding
};

// A bit-field mask this decoder handles is one whole byte of the 32-bit pixel; returns which.
int maskByte(std::uint32_t mask)
{
    for (int byte = 0; byte < 4; ++byte) {
        if (mask == 0xffu << (8 * byte))
            return byte;
    }
    return -1;
}

bool readBitFields(const std::uint8_t *masks, DibLayout &layout, QString *error)
{
    // In the file the masks are red, green, blue; the layout keeps blue, green, red.
    for (int channel = 0; channel < 3; ++channel) {
        const int byte = maskByte(readU32(masks + 4 * channel));
        if (byte < 0) {
            setError(error, QStringLiteral("unsupported bit-field masks"));
            return false;
        }
        layout.channelByte[2 - channel] = byte;
    }
    const auto &bytes = layout.channelByte;
    if (bytes[0] == bytes[1] || bytes[1] == bytes[2] || bytes[0] == bytes[2]) {
        setError(error, QStringLiteral("bit-field masks overlap"));
        return false;
    }
    return true;
}

std::optional<DibLayout> parseInfoHeader(const std::uint8_t *dib, std::size_t size, QString *error)
{
    if (size < kInfoHeaderSize) {
        setError(error, QStringLiteral("the info header is cut off"));
        return std::nullopt;
    }
    const std::uint32_t headerSize = readU32(dib);
    // 40: BITMAPINFOHEADER; 52/56: with bit masks; 108/124: V4/V5. Others (OS/2, core) differ.
    if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
        headerSize != 124) {
        setError(error, QStringLiteral("unsupported info header size %1").arg(headerSize));
        return std::nullopt;
    }
    if (headerSize > size) {
        setError(error, QStringLiteral("the info header is cut off"));
        return std::nullopt;
    }

    const std::int64_t width = std::int32_t(readU32(dib + 4));
    const std::int64_t height = std::int32_t(readU32(dib + 8));
    const std::uint16_t planes = readU16(dib + 12);
    const std::uint16_t bitCount = readU16(dib + 14);
    const std::uint32_t compression = readU32(dib + 16);
    const std::uint32_t coloursUsed = readU32(dib + 32);

    if (width <= 0 || height == 0 || width > kMaxSide || height > kMaxSide || height < -kMaxSide) {
        setError(error, QStringLiteral("implausible size %1 x %2").arg(width).arg(height));
        return std::nullopt;
    }
    // A 1-bit file spends a bit on a pixel the frame spends 24 on: the file size alone does
    // not bound the memory.
    if (width * (height < 0 ? -height : height) > kMaxPicturePixels) {
        setError(error, QStringLiteral("%1 x %2 is over the %3 pixels a picture may have")
                            .arg(width)
                            .arg(height < 0 ? -height : height)
                            .arg(kMaxPicturePixels));
        return std::nullopt;
    }
    if (planes != 1) {
        setError(error, QStringLiteral("%1 planes instead of 1").arg(planes));
        return std::nullopt;
    }

    DibLayout layout;
    layout.width = int(width);
    layout.height = int(height < 0 ? -height : height);
    layout.topDown = height < 0;
    layout.bitCount = bitCount;
    layout.declaredImageSize = readU32(dib + 20);

    const bool indexed = bitCount == 1 || bitCount == 4 || bitCount == 8;
    const bool bitFields = bitCount == 32 && compression == kCompressionBitFields;
    if (!indexed && bitCount != 24 && bitCount != 32) {
        setError(error, QStringLiteral("unsupported bit depth %1").arg(bitCount));
        return std::nullopt;
    }
    if (compression != kCompressionNone && !bitFields) {
        setError(error, QStringLiteral("unsupported compression %1").arg(compression));
        return std::nullopt;
    }

    // Masks sit at byte 40 either way: inside the larger headers, after the 40-byte one.
    const std::uint64_t masksAfterHeader = bitFields && headerSize == 40 ? kBitMasksSize : 0;
    if (bitFields) {
        if (kInfoHeaderSize + kBitMasksSize > size) {
            setError(error, QStringLiteral("the bit-field masks are cut off"));
            return std::nullopt;
        }
        if (!readBitFields(dib + kInfoHeaderSize, layout, error))
            return std::nullopt;
    }

    layout.paletteOffset = headerSize + masksAfterHeader;
    const std::uint64_t tableEntries = coloursUsed;
    if (indexed) {
        const std::uint32_t maxEntries = 1u << bitCount;
        if (coloursUsed > maxEntries) {
            setError(
                error,
                QStringLiteral("%1 palette entries for %2 bits").arg(coloursUsed).arg(bitCount));
            return std::nullopt;
        }
        layout.paletteEntries = coloursUsed == 0 ? maxEntries : coloursUsed;
    }
    // True-colour files may carry an optional colour table; a packed DIB's pixels follow it.
    layout.tableEnd = layout.paletteOffset + (indexed ? layout.paletteEntries : tableEntries) * 4;
    layout.neededTableEnd = layout.paletteOffset + std::uint64_t(layout.paletteEntries) * 4;
    if (layout.neededTableEnd > size) {
        setError(error, QStringLiteral("the colour table is cut off"));
        return std::nullopt;
    }

    const std::uint64_t rowBits = std::uint64_t(layout.width) * bitCount;
    layout.rowStride = (rowBits + 31) / 32 * 4;
    layout.pixelBytes = layout.rowStride * std::uint64_t(layout.height - 1) + (rowBits + 7) / 8;
    return layout;
}

// Copies the pixels of `layout` into a packed BGR frame. `pixels` holds at least
// layout.pixelBytes bytes, `palette` the palette entries.
void convertPixels(const DibLayout &layout, const std::uint8_t *palette, const std::uint8_t *pixels,
                   Frame &out)
{
    const int width = layout.width;
    std::array<std::array<std::uint8_t, 3>, 256> colours{}; // indices past the table show black
    for (std::uint32_t i = 0; i < layout.paletteEntries; ++i)
        std::memcpy(colours[i].data(), palette + 4 * i, 3);

    const int bits = layout.bitCount;
    const unsigned indexMask = (1u << (bits < 8 ? bits : 8)) - 1;
    for (int y = 0; y < layout.height; ++y) {
        const std::uint8_t *src = pixels + std::size_t(y) * layout.rowStride;
        std::uint8_t *dst = out.view().row(layout.topDown ? y : layout.height - 1 - y);
        if (bits == 24) {
            std::memcpy(dst, src, std::size_t(width) * 3);
        } else if (bits == 32) {
            const auto [blue, green, red] = layout.channelByte;
            for (int x = 0; x < width; ++x, src += 4, dst += 3) {
                dst[0] = src[blue];
                dst[1] = src[green];
                dst[2] = src[red];
            }
        } else {
            for (int x = 0; x < width; ++x, dst += 3) {
                const std::size_t bit = std::size_t(x) * bits;
                const unsigned shift = 8 - bits - unsigned(bit & 7);
                std::memcpy(dst, colours[(src[bit >> 3] >> shift) & indexMask].data(), 3);
            }
        }
    }
}

// Checks that the pixels fit into `available` bytes, then decodes them.
std::optional<Frame> decodeLaidOut(const DibLayout &layout, const std::uint8_t *palette,
                                   const std::uint8_t *pixels, std::uint64_t available,
                                   QString *error)
{
    if (layout.pixelBytes > available) {
        setError(error, QStringLiteral("the pixels are cut off: %1 of %2 bytes")
                            .arg(available)
                            .arg(layout.pixelBytes));
        return std::nullopt;
    }
    if (layout.declaredImageSize > available) {
        setError(error, QStringLiteral("the header claims %1 bytes of pixels, the file has %2")
                            .arg(layout.declaredImageSize)
                            .arg(available));
        return std::nullopt;
    }
    try {
        Frame frame(layout.width, layout.height);
        convertPixels(layout, palette, pixels, frame);
        return frame;
    } catch (const std::bad_alloc &) {
        setError(error, QStringLiteral("out of memory for %1 x %2 pixels")
                            .arg(layout.width)
                            .arg(layout.height));
        return std::nullopt;
    }
}

} // namespace

bool writeBmp(const QString &path, FrameView frame, QString *error)
{
    if (frame.empty()) {
        setError(error, QStringLiteral("the picture is empty"));
        return false;
    }
    const std::uint64_t rowBytes = std::uint64_t(frame.width) * 3;
    const std::uint64_t stride = (rowBytes + 3) & ~std::uint64_t(3);
    const std::uint64_t imageBytes = stride * std::uint64_t(frame.height);
    const std::uint64_t fileBytes = kFileHeaderSize + kInfoHeaderSize + imageBytes;
    if (fileBytes > std::numeric_limits<std::uint32_t>::max()) {
        setError(error, QStringLiteral("%1 x %2 is too large for a BMP file")
                            .arg(frame.width)
                            .arg(frame.height));
        return false;
    }

    std::array<std::uint8_t, kFileHeaderSize + kInfoHeaderSize> header{};
    header[0] = 'B';
    header[1] = 'M';
    putU32(&header[2], std::uint32_t(fileBytes));
    putU32(&header[10], std::uint32_t(header.size()));
    std::uint8_t *info = &header[kFileHeaderSize];
    putU32(info, kInfoHeaderSize);
    putU32(info + 4, std::uint32_t(frame.width));
    putU32(info + 8, std::uint32_t(frame.height)); // positive: rows bottom-up
    putU16(info + 12, 1);
    putU16(info + 14, 24);
    putU32(info + 20, std::uint32_t(imageBytes));
    // Compression, resolution and colour counts stay 0.

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, QStringLiteral("cannot create %1: %2").arg(path, file.errorString()));
        return false;
    }
    const char padding[3] = {};
    const qint64 padBytes = qint64(stride - rowBytes);
    bool written = file.write(reinterpret_cast<const char *>(header.data()), header.size()) ==
                   qint64(header.size());
    for (int y = frame.height - 1; written && y >= 0; --y) {
        written = file.write(reinterpret_cast<const char *>(frame.row(y)), qint64(rowBytes)) ==
                      qint64(rowBytes) &&
                  (padBytes == 0 || file.write(padding, padBytes) == padBytes);
    }
    if (!written || !file.commit()) {
        setError(error, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        return false; // QSaveFile drops the unfinished temporary file
    }
    return true;
}

std::optional<Frame> readBmp(const QString &path, QString *error)
{
    const auto bytes = readPictureFile(path, kMaxFileSize, error);
    if (!bytes)
        return std::nullopt;
    return decodeBmp(reinterpret_cast<const std::uint8_t *>(bytes->constData()),
                     std::size_t(bytes->size()), error);
}

std::optional<Frame> decodeBmp(const std::uint8_t *data, std::size_t size, QString *error)
{
    if (data == nullptr || size < kFileHeaderSize) {
        setError(error, QStringLiteral("too short for a BMP file (%1 bytes)").arg(size));
        return std::nullopt;
    }
    if (data[0] != 'B' || data[1] != 'M') {
        setError(error, QStringLiteral("not a BMP file"));
        return std::nullopt;
    }
    const std::optional<DibLayout> layout =
        parseInfoHeader(data + kFileHeaderSize, size - kFileHeaderSize, error);
    if (!layout)
        return std::nullopt;
    const std::uint64_t pixelOffset = readU32(data + 10);
    if (pixelOffset < kFileHeaderSize + layout->neededTableEnd || pixelOffset > size) {
        setError(error,
                 QStringLiteral("pixel offset %1 lies outside the pixel area of a %2-byte file")
                     .arg(pixelOffset)
                     .arg(size));
        return std::nullopt;
    }
    return decodeLaidOut(*layout, data + kFileHeaderSize + layout->paletteOffset,
                         data + pixelOffset, size - pixelOffset, error);
}

std::optional<Frame> decodeDib(const std::uint8_t *data, std::size_t size, QString *error)
{
    if (data == nullptr) {
        setError(error, QStringLiteral("no data"));
        return std::nullopt;
    }
    const std::optional<DibLayout> layout = parseInfoHeader(data, size, error);
    if (!layout)
        return std::nullopt;
    if (layout->tableEnd > size) {
        setError(error, QStringLiteral("the colour table is cut off"));
        return std::nullopt;
    }
    return decodeLaidOut(*layout, data + layout->paletteOffset, data + layout->tableEnd,
                         size - layout->tableEnd, error);
}

} // namespace quelmar
