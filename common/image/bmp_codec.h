// BMP files: the stills and thumbnails the station writes (24-bit, bottom-up) and the
// uncompressed kinds other programs write, read without trusting any header field.
#pragma once

#include "image/frame.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace quelmar {

// Writes `frame` as a 24-bit uncompressed bottom-up BMP. The file is replaced atomically, so
// a failed write leaves whatever was there before (or nothing). On failure returns false and
// says why in `error`.
bool writeBmp(const QString &path, FrameView frame, QString *error = nullptr);

// Reads a BMP file: 24-bit or 32-bit uncompressed (either row order) or 1/4/8-bit palettized.
// Damaged, truncated or unsupported files give std::nullopt and the reason in `error`.
std::optional<Frame> readBmp(const QString &path, QString *error = nullptr);

// The same from the bytes of a whole BMP file.
std::optional<Frame> decodeBmp(const std::uint8_t *data, std::size_t size,
                               QString *error = nullptr);

// A device-independent bitmap: a BMP file from byte 14 on, i.e. the info header followed
// without a gap by the colour table and the pixels.
std::optional<Frame> decodeDib(const std::uint8_t *data, std::size_t size,
                               QString *error = nullptr);

} // namespace quelmar
