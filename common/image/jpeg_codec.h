// JPEG files through libjpeg-turbo: baseline stills and thumbnails written straight from BGR
// frames, and any JPEG the station opens decoded back to BGR.
#pragma once

#include "image/frame.h"

#include <QSize>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace quelmar {

inline constexpr int kDefaultJpegQuality = 90;
// Larger pictures are refused before any pixel memory is taken.
inline constexpr int kMaxJpegSide = 20000;
inline constexpr std::int64_t kMaxJpegPixels = kMaxPicturePixels;

// Encodes `frame` as a baseline (sequential, Huffman) JPEG with 4:2:0 chroma. `quality` is
// 1..100. On failure returns std::nullopt and says why in `error`.
std::optional<std::vector<std::uint8_t>>
encodeJpeg(FrameView frame, int quality = kDefaultJpegQuality, QString *error = nullptr);

// Encodes like encodeJpeg and replaces `path` atomically: a failed write leaves whatever was
// there before (or nothing).
bool writeJpeg(const QString &path, FrameView frame, int quality = kDefaultJpegQuality,
               QString *error = nullptr);

// Decodes a JPEG (baseline or progressive, colour or greyscale) into a BGR frame. What libjpeg
// recovers from without losing pixels (stray bytes before a marker) is accepted; damaged or
// truncated data, pictures over kMaxJpegSide a side or kMaxJpegPixels, and headers declaring
// far more blocks than the compressed bytes can hold (a decompression bomb), give
// std::nullopt and the reason.
std::optional<Frame> decodeJpeg(const std::uint8_t *data, std::size_t size,
                                QString *error = nullptr);
// The same, refusing from the header, before any pixel memory is taken, a picture wider or
// taller than `largest` (itself at most kMaxJpegSide a side).
std::optional<Frame> decodeJpeg(const std::uint8_t *data, std::size_t size, QSize largest,
                                QString *error = nullptr);
std::optional<Frame> readJpeg(const QString &path, QString *error = nullptr);

} // namespace quelmar
