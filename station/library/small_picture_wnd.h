// CSmallPictureWnd: the thumbnail strip. Twelve cells in two columns over the background
// picture, a vertical scroll bar, the selection frame; the lists themselves are plain models.
#pragma once

#include "library/thumbnail_lists.h"
#include "library/thumbnail_loader.h"

#include <QImage>
#include <QWidget>

class QScrollBar;

namespace quelmar::station {

class CSmallPictureWnd : public QWidget {
    Q_OBJECT
public:
    explicit CSmallPictureWnd(QWidget *parent = nullptr);

    ListKind kind() const { return kind_; }
    void setKind(ListKind kind);
    ThumbnailList &list(ListKind kind) { return kind == ListKind::Pictures ? pictures_ : videos_; }
    ThumbnailList &shown() { return list(kind_); }

    void ClearLists();
    void ScanFolder(const QString &pictureDir, const QString &videoDir);
    // Draws the visible page and sets the scroll bar; items whose files are gone leave the
    // list first. Call it after changing a list.
    void Redraw();
    void AddStill(const QString &thumbnailPath);
    void AddRecording(const QString &videoPath);
    // Selects the shown item under `point` (widget coordinates); false when there is none.
    bool HitTest(QPoint point);
    // The working path of the selected item of the shown list: a picture's full-size file, or
    // the video with "tmp/" inserted (callers strip it); empty when nothing is selected.
    QString GetSelected() const;

    // The drawn page, for tests and for the benchmark.
    const QImage &page() const { return page_; }
    QSize clientSize() const;

Q_SIGNALS:
    void contextMenuRequested(QPoint globalPos);
    void itemActivated();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void syncScrollBar();
    // Removes items whose file no longer exists; true when one was removed.
    bool dropVanishedItems();

    ThumbnailList pictures_;
    ThumbnailList videos_;
    ListKind kind_ = ListKind::Pictures;
    ThumbnailLoader loader_;
    QScrollBar *scrollBar_ = nullptr;
    QImage page_;
    QImage background_[2]; // indexed by ListKind
    bool syncing_ = false;
};

} // namespace quelmar::station
