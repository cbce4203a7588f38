#include "library/thumbnail_loader.h"

#include <image/bmp_codec.h>
#include <image/frame_image.h>
#include <image/jpeg_codec.h>
#include <image/picture_file.h>
#include <video/first_frame.h>

#include <QFileInfo>

namespace quelmar::station {

namespace {

// Room of the thumbnail decode buffer after the bitmap header, plus the two headers.
constexpr qint64 kMaxThumbnailFileBytes = 20155392 + 54;
// A JPEG thumbnail may be any picture the user put there; its file stays below this.
constexpr qint64 kMaxJpegFileBytes = 64 * 1024 * 1024;

} // namespace

QImage decodeThumbnailFile(const QString &path)
{
    const bool jpeg = path.endsWith(QStringLiteral(".jpg"), Qt::CaseInsensitive);
    const std::optional<QByteArray> bytes =
        readPictureFile(path, jpeg ? kMaxJpegFileBytes : kMaxThumbnailFileBytes, nullptr);
    if (!bytes)
        return {};
    const auto *data = reinterpret_cast<const std::uint8_t *>(bytes->constData());
    const std::size_t size = std::size_t(bytes->size());
    if (jpeg) {
        const std::optional<Frame> frame = decodeJpeg(data, size);
        return frame ? toQImage(*frame) : QImage();
    }
    if (size <= 14)
        return {};
    const std::optional<Frame> frame = decodeDib(data + 14, size - 14);
    return frame ? toQImage(*frame) : QImage();
}

QImage ThumbnailLoader::load(const QString &path, ListKind kind)
{
    const QFileInfo info(path);
    const auto cached = cache_.constFind(path);
    if (cached != cache_.cend() && cached->size == info.size() &&
        cached->modified == info.lastModified())
        return cached->image;

    QImage image;
    if (kind == ListKind::Pictures) {
        image = decodeThumbnailFile(path);
    } else if (const std::optional<Frame> frame =
                   readFirstVideoFrame(path, kMaxCellWidth, kMaxCellHeight)) {
        image = toQImage(*frame);
    }
    // A picture someone put there may be large; the cell needs no more than this.
    if (image.width() > kMaxCellWidth || image.height() > kMaxCellHeight)
        image = image.scaled(kMaxCellWidth, kMaxCellHeight);
    if (cache_.size() >= kMaxCached)
        cache_.clear();
    cache_.insert(path, {info.size(), info.lastModified(), image});
    return image;
}

} // namespace quelmar::station
