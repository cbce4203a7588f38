#include "library/thumbnail_lists.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace quelmar::station {

void ThumbnailList::clear()
{
    items_.clear();
    scrollRow_ = 0;
    selected_ = -1;
}

void ThumbnailList::append(const QString &path)
{
    items_.push_back({path, ThumbnailItem::Present | ThumbnailItem::Listed});
    onCountChanged();
}

void ThumbnailList::addSelected(const QString &path)
{
    clearSelection();
    items_.push_back(
        {path, ThumbnailItem::Present | ThumbnailItem::Listed | ThumbnailItem::Selected});
    selected_ = count() - 1;
    onCountChanged();
    // The last row comes into view.
    const int n = count();
    scrollTo(n <= kCellsPerPage ? 0 : (n - kCellsPerPage) / 2 + (n % 2));
}

void ThumbnailList::remove(int index)
{
    if (index < 0 || index >= count())
        return;
    items_.removeAt(index);
    if (selected_ == index)
        selected_ = -1;
    else if (selected_ > index)
        --selected_;
    onCountChanged();
}

void ThumbnailList::clearSelection()
{
    for (ThumbnailItem &item : items_)
        item.flags &= ~ThumbnailItem::Selected;
    selected_ = -1;
}

void ThumbnailList::select(int index)
{
    clearSelection();
    if (index < 0 || index >= count())
        return;
    items_[index].flags |= ThumbnailItem::Selected;
    selected_ = index;
}

void ThumbnailList::selectAll()
{
    for (ThumbnailItem &item : items_)
        item.flags |= ThumbnailItem::Selected;
}

void ThumbnailList::scrollTo(int row)
{
    scrollRow_ = std::clamp(row, 0, range().lastPosition());
}

int ThumbnailList::firstSelected() const
{
    for (int i = 0; i < count(); ++i)
        if (items_[i].isSelected())
            return i;
    return -1;
}

int ThumbnailList::pageCount() const
{
    return std::clamp(count() - pageStart(), 0, kCellsPerPage);
}

ScrollRange ThumbnailList::rangeFor(int count)
{
    const int rows = (count + kColumns - 1) / kColumns;
    ScrollRange r;
    r.maximum = rows >= 7 ? rows - 1 : 5;
    return r;
}

void ThumbnailList::onCountChanged()
{
    const int rows = (count() + kColumns - 1) / kColumns;
    if (rows < 13 && scrollRow_ != 0)
        scrollRow_ = 0;
    scrollRow_ = std::min(scrollRow_, range().lastPosition());
}

QRect thumbnailCell(int i, QSize client)
{
    const int cw = (client.width() - 20) / 2;
    const int ch = (client.height() - 50) / 6;
    const int column = i % 2;
    const int row = i / 2;
    return {8 + column * (cw + 7), 10 + row * (ch + 7), cw, ch};
}

namespace {

QStringList scan(const QString &dir, const QStringList &suffixes, qint64 minimumSize)
{
    QStringList paths;
    QDirIterator it(dir, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        const qsizetype dot = name.lastIndexOf(u'.');
        if (dot < 0)
            continue;
        const QStringView suffix = QStringView(name).mid(dot + 1);
        const bool wanted = std::any_of(suffixes.begin(), suffixes.end(), [&](const QString &s) {
            return suffix.compare(s, Qt::CaseInsensitive) == 0;
        });
        if (wanted && it.fileInfo().size() > minimumSize)
            paths.push_back(it.filePath());
    }
    // Names start with the capture date and end with the still number: name order is the
    // order they were taken in.
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace

QStringList scanPictures(const QString &pictureDir)
{
    return scan(pictureDir, {QStringLiteral("bmp"), QStringLiteral("jpg")}, 40);
}

QStringList scanVideos(const QString &videoDir)
{
    return scan(videoDir, {QStringLiteral("avi")}, -1);
}

} // namespace quelmar::station
