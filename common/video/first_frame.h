// The first picture of a video file, shrunk for a thumbnail.
#pragma once

#include "image/frame.h"

#include <QString>

#include <optional>

namespace quelmar {

// Pictures with a side beyond this are refused before the decoder allocates them.
inline constexpr int kMaxVideoSide = 16384;

// Decodes the first intact picture of the first video stream of any file FFmpeg opens (cover
// art of audio files does not count) and scales it to min(width, maxWidth) x
// min(height, maxHeight) packed BGR24, ignoring proportions: the caller stretches it into its
// cell. The decoded picture is converted straight to that size, with no full-size BGR copy.
// Damaged, truncated or foreign files give std::nullopt and the reason in *error. Reads a
// bounded number of packets and gives up after ten seconds, so no file can hang the caller.
// Safe to call from several threads at once.
std::optional<Frame> readFirstVideoFrame(const QString &path, int maxWidth, int maxHeight,
                                         QString *error = nullptr);

} // namespace quelmar
