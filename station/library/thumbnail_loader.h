// The picture of one thumbnail cell: a still's thumbnail file decoded, or a video's first
// frame reduced to fit. Cells are remembered by path, size and time, so clicks and scrolling
// redraw without decoding again.
#pragma once

#include "library/thumbnail_lists.h"

#include <QDateTime>
#include <QHash>
#include <QImage>

namespace quelmar::station {

class ThumbnailLoader {
public:
    // A null image when the file cannot be decoded: the cell keeps its background.
    QImage load(const QString &path, ListKind kind);

    // The largest a cell picture is kept at; cells are smaller.
    static constexpr int kMaxCellWidth = 160;
    static constexpr int kMaxCellHeight = 120;

private:
    struct Cached {
        qint64 size = 0;
        QDateTime modified;
        QImage image;
    };
    static constexpr int kMaxCached = 512;
    QHash<QString, Cached> cache_;
};

// A still's thumbnail: ".jpg" (any case) through the JPEG codec, anything else as a BMP read
// from byte 14 on. Headers are checked before any pixel is read.
QImage decodeThumbnailFile(const QString &path);

} // namespace quelmar::station
