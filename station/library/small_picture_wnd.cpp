#include "library/small_picture_wnd.h"

#include "library/workspace.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSvgRenderer>

#include <cerrno>

#include <sys/stat.h>

namespace quelmar::station {

namespace {

constexpr int kScrollBarWidth = 17;
const QColor kSelectionColour(12, 191, 0);

QImage renderBackground(const QString &resource, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (resource.isEmpty() || !QFile::exists(resource))
        return image;
    QSvgRenderer svg(resource);
    QPainter p(&image);
    // Drawn at its own size; a larger strip shows white beyond it, a smaller one cuts it.
    svg.render(&p, QRectF(QPointF(0, 0), svg.defaultSize()));
    return image;
}

// Only a file the system reports as missing leaves the strip; any other error keeps it.
bool isGone(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) != 0 &&
           (errno == ENOENT || errno == ENOTDIR);
}

} // namespace

CSmallPictureWnd::CSmallPictureWnd(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    scrollBar_ = new QScrollBar(Qt::Vertical, this);
    scrollBar_->setSingleStep(1);
    connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int row) {
        if (syncing_)
            return;
        shown().scrollTo(row);
        Redraw();
    });
}

QSize CSmallPictureWnd::clientSize() const
{
    return {std::max(0, width() - kScrollBarWidth), height()};
}

void CSmallPictureWnd::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    scrollBar_->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
    background_[0] = renderBackground(QStringLiteral(":/icons/strip_videos.svg"), clientSize());
    background_[1] = renderBackground(QStringLiteral(":/icons/strip_pictures.svg"), clientSize());
    Redraw();
}

void CSmallPictureWnd::setKind(ListKind kind)
{
    if (kind == kind_)
        return;
    kind_ = kind;
    Redraw();
}

void CSmallPictureWnd::ClearLists()
{
    pictures_.clear();
    videos_.clear();
    Redraw();
}

void CSmallPictureWnd::ScanFolder(const QString &pictureDir, const QString &videoDir)
{
    for (const QString &path : scanPictures(pictureDir))
        pictures_.append(path);
    for (const QString &path : scanVideos(videoDir))
        videos_.append(path);
    syncScrollBar();
}

void CSmallPictureWnd::AddStill(const QString &thumbnailPath)
{
    pictures_.addSelected(thumbnailPath);
    Redraw();
}

void CSmallPictureWnd::AddRecording(const QString &videoPath)
{
    videos_.addSelected(videoPath);
    Redraw();
}

bool CSmallPictureWnd::HitTest(QPoint point)
{
    ThumbnailList &list = shown();
    list.clearSelection();
    const QSize client = clientSize();
    for (int i = 0; i < list.pageCount(); ++i) {
        if (thumbnailCell(i, client).contains(point)) {
            list.select(list.pageStart() + i);
            Redraw();
            return true;
        }
    }
    Redraw();
    return false;
}

QString CSmallPictureWnd::GetSelected() const
{
    const ThumbnailList &list = kind_ == ListKind::Pictures ? pictures_ : videos_;
    const int index = list.firstSelected();
    return index < 0 ? QString() : insertTmp(list.items()[index].path);
}

bool CSmallPictureWnd::dropVanishedItems()
{
    ThumbnailList &list = shown();
    bool dropped = false;
    // A removal can move the page; items that come into view are checked in turn.
    for (bool again = true; again;) {
        QVector<int> gone;
        for (int i = 0; i < list.pageCount(); ++i)
            if (isGone(list.items()[list.pageStart() + i].path))
                gone.push_back(list.pageStart() + i);
        for (auto it = gone.crbegin(); it != gone.crend(); ++it)
            list.remove(*it);
        again = !gone.isEmpty();
        dropped = dropped || again;
    }
    return dropped;
}

void CSmallPictureWnd::Redraw()
{
    const QSize client = clientSize();
    if (client.isEmpty())
        return;
    dropVanishedItems();
    syncScrollBar();

    const ThumbnailList &list = shown();
    page_ = background_[int(kind_)];
    if (page_.size() != client)
        page_ = renderBackground(QString(), client);
    QPainter p(&page_);
    for (int i = 0; i < list.pageCount(); ++i) {
        const QImage picture = loader_.load(list.items()[list.pageStart() + i].path, kind_);
        if (!picture.isNull())
            p.drawImage(thumbnailCell(i, client), picture);
    }
    const int selectedOnPage = list.selectedIndex() - list.pageStart();
    if (selectedOnPage >= 0 && selectedOnPage < list.pageCount()) {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.setPen(QPen(kSelectionColour, 2, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(thumbnailCell(selectedOnPage, client).adjusted(-2, -2, 2, 2));
    }
    p.end();
    update();
}

void CSmallPictureWnd::syncScrollBar()
{
    const ThumbnailList &list = shown();
    const ScrollRange range = list.range();
    syncing_ = true;
    // Qt's maximum is the last position, not the last row: that position shows the last page.
    scrollBar_->setRange(range.minimum, range.lastPosition());
    scrollBar_->setPageStep(range.page);
    scrollBar_->setValue(list.scrollRow());
    scrollBar_->setEnabled(range.arrowsEnabled());
    syncing_ = false;
}

void CSmallPictureWnd::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (page_.isNull())
        p.fillRect(rect(), Qt::white);
    else
        p.drawImage(0, 0, page_);
}

void CSmallPictureWnd::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        HitTest(event->position().toPoint());
    } else if (event->button() == Qt::RightButton) {
        if (HitTest(event->position().toPoint()))
            Q_EMIT contextMenuRequested(event->globalPosition().toPoint());
    }
}

void CSmallPictureWnd::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && HitTest(event->position().toPoint()))
        Q_EMIT itemActivated();
}

void CSmallPictureWnd::wheelEvent(QWheelEvent *event)
{
    event->accept(); // the strip scrolls by its bar only
}

} // namespace quelmar::station
