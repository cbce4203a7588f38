#include "app/gallery_model.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>

namespace quelmar::viewer {

namespace {

// Pictures beyond this are not what the viewer writes; their headers count as unreadable.
constexpr int kMaxPictureSide = 20000;

bool readableHeader(const QString &path)
{
    QImageReader reader(path, "jpeg");
    const QSize size = reader.size();
    return size.isValid() && size.width() <= kMaxPictureSide && size.height() <= kMaxPictureSide;
}

QString sortKey(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.indexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

} // namespace

GalleryModel::GalleryModel(QObject *parent) : QAbstractListModel(parent) {}

bool GalleryModel::nameLess(const QString &a, const QString &b)
{
    const QString keyA = sortKey(a);
    const QString keyB = sortKey(b);
    return keyA != keyB ? keyA < keyB : a < b;
}

bool GalleryModel::listable(const QString &fileName)
{
    // Exactly "jpg": the viewer writes nothing else, and "x.JPG" is another file here.
    return fileName.endsWith(QStringLiteral(".jpg")) && fileName.size() > 4;
}

void GalleryModel::load(const QString &directory)
{
    beginResetModel();
    directory_ = directory;
    paths_.clear();
    const QDir dir(directory);
    const QStringList names = dir.entryList(QDir::Files | QDir::Readable);
    for (const QString &name : names) {
        if (!listable(name))
            continue;
        const QString path = dir.filePath(name);
        // A picture decoded before counts as readable while the file is unchanged.
        const auto known = thumbnails_.constFind(path);
        const QFileInfo info(path);
        const bool cached = known != thumbnails_.cend() && !known->image.isNull() &&
                            known->modified == info.lastModified() && known->size == info.size();
        if (cached || readableHeader(path))
            paths_.push_back(path);
    }
    std::sort(paths_.begin(), paths_.end(), &GalleryModel::nameLess);
    endResetModel();
}

bool GalleryModel::add(const QString &path)
{
    if (!listable(QFileInfo(path).fileName()) || !readableHeader(path))
        return false;
    if (indexOfPath(path) >= 0) {
        // Replaced on disk: its thumbnail is decoded again.
        thumbnails_.remove(path);
        const QModelIndex at = index(indexOfPath(path));
        Q_EMIT dataChanged(at, at);
        return true;
    }
    const auto place = std::upper_bound(paths_.begin(), paths_.end(), path, &nameLess);
    const int row = int(place - paths_.begin());
    beginInsertRows({}, row, row);
    paths_.insert(place, path);
    endInsertRows();
    return true;
}

void GalleryModel::removeAt(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    beginRemoveRows({}, row, row);
    thumbnails_.remove(paths_[std::size_t(row)]);
    paths_.erase(paths_.begin() + row);
    endRemoveRows();
}

void GalleryModel::clear()
{
    beginResetModel();
    for (const QString &path : paths_)
        thumbnails_.remove(path);
    paths_.clear();
    endResetModel();
}

QString GalleryModel::pathAt(int row) const
{
    return row >= 0 && row < rowCount() ? paths_[std::size_t(row)] : QString();
}

int GalleryModel::indexOfPath(const QString &path) const
{
    const auto it = std::find(paths_.begin(), paths_.end(), path);
    return it == paths_.end() ? -1 : int(it - paths_.begin());
}

int GalleryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(paths_.size());
}

QVariant GalleryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const QString &path = paths_[std::size_t(index.row())];
    switch (role) {
    case Qt::DecorationRole:
        return thumbnail(path);
    case Qt::ToolTipRole:
        return QFileInfo(path).fileName();
    case PathRole:
        return path;
    default:
        return {};
    }
}

QImage GalleryModel::thumbnail(const QString &path) const
{
    const QFileInfo info(path);
    auto it = thumbnails_.find(path);
    if (it != thumbnails_.end() && it->modified == info.lastModified() && it->size == info.size())
        return it->image;

    // The JPEG decoder scales while decoding, so a large still costs little more than a small
    // one.
    QImageReader reader(path, "jpeg");
    const QSize full = reader.size();
    QImage image;
    if (full.isValid() && full.width() <= kMaxPictureSide && full.height() <= kMaxPictureSide) {
        reader.setScaledSize(full.scaled(kCellSide, kCellSide, Qt::KeepAspectRatio));
        image = reader.read();
    }
    ++decoded_;
    thumbnails_.insert(path, {info.lastModified(), info.size(), image});
    return image;
}

} // namespace quelmar::viewer
