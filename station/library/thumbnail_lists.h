// The model behind the thumbnail strip: the picture list and the video list, each with its
// own scroll row and selection, the scroll-range rules and the cell layout. No widget here.
#pragma once

#include <QRect>
#include <QString>
#include <QVector>

#include <algorithm>
#include <array>

namespace quelmar::station {

enum class ListKind { Videos = 0, Pictures = 1 };

struct ThumbnailItem {
    enum Flag { Present = 1, Listed = 2, Selected = 4 };
    QString path; // the thumbnail of a still, or the video itself
    int flags = Present | Listed;

    bool isSelected() const { return (flags & (Present | Selected)) == (Present | Selected); }
};

// The scroll bar's range for a list, a page of six rows showing rows minimum..maximum; both
// arrows are off when maximum < page. The last position shows the last page in full.
struct ScrollRange {
    int minimum = 0;
    int maximum = 5;
    int page = 6;
    bool arrowsEnabled() const { return maximum >= page; }
    int lastPosition() const { return std::max(minimum, maximum - page + 1); }
};

class ThumbnailList {
public:
    static constexpr int kCellsPerPage = 12;
    static constexpr int kColumns = 2;

    const QVector<ThumbnailItem> &items() const { return items_; }
    int count() const { return int(items_.size()); }
    int scrollRow() const { return scrollRow_; }
    int selectedIndex() const { return selected_; }
    ScrollRange range() const { return rangeFor(count()); }

    void clear();
    // A scanned item: neither selected nor scrolled to.
    void append(const QString &path);
    // A new still or recording: appended, made the only selected item and scrolled to.
    void addSelected(const QString &path);
    void remove(int index);
    void clearSelection();
    void select(int index);
    void selectAll();
    // Scrolls to `row`, clamped to the range.
    void scrollTo(int row);
    // The first item whose present and selected bits are set, or -1.
    int firstSelected() const;
    // The items on the shown page: indexes 2 x scroll row onward, at most twelve.
    int pageStart() const { return scrollRow_ * kColumns; }
    int pageCount() const;

    static ScrollRange rangeFor(int count);

private:
    // After any change of the count: the range's rules for the scroll row.
    void onCountChanged();

    QVector<ThumbnailItem> items_;
    int scrollRow_ = 0;
    int selected_ = -1;
};

// Cell `i` of the page (0..11) in a client area of `client` size.
QRect thumbnailCell(int i, QSize client);

// The full path of each file of `pictureDir` that is listed as a picture (".bmp" or ".jpg",
// any case, more than 40 bytes) and each ".avi" of `videoDir`, in name order.
QStringList scanPictures(const QString &pictureDir);
QStringList scanVideos(const QString &videoDir);

} // namespace quelmar::station
