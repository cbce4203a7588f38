#include "app/gallery_view.h"

#include "app/gallery.h"

#include <QMenu>
#include <QPainter>
#include <QRandomGenerator>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

namespace quelmar::viewer {

namespace {

constexpr int kSpacing = 6;

// The "BackgroundNoisy" pattern: a fixed grain, the same on every start.
QPixmap noisyBackground()
{
    QImage tile(64, 64, QImage::Format_RGB32);
    QRandomGenerator grain(42);
    for (int y = 0; y < tile.height(); ++y) {
        for (int x = 0; x < tile.width(); ++x) {
            const int level = 226 + int(grain.bounded(14));
            tile.setPixel(x, y, qRgb(level, level, level + 2));
        }
    }
    return QPixmap::fromImage(tile);
}

// Hover and selection backgrounds behind the picture, which is fitted into the cell.
class CellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return {GalleryModel::kCellSide, GalleryModel::kCellSide};
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const QRect cell = option.rect;
        if (option.state & QStyle::State_Selected)
            painter->fillRect(cell, QColor::fromRgbF(0.542f, 0.699f, 0.807f, 0.42f));
        else if (option.state & QStyle::State_MouseOver)
            painter->fillRect(cell, QColor::fromRgbF(0.5f, 0.5f, 0.5f, 0.42f));
        const QImage picture = index.data(Qt::DecorationRole).value<QImage>();
        if (picture.isNull())
            return;
        const QSize fitted = picture.size().scaled(cell.size() - QSize(4, 4), Qt::KeepAspectRatio);
        QRect target(QPoint(), fitted);
        target.moveCenter(cell.center());
        painter->drawImage(target, picture);
    }
};

} // namespace

GalleryView::GalleryView(Gallery &gallery, GalleryModel &model, QWidget *parent)
    : QListView(parent), gallery_(gallery), menu_(new QMenu(this))
{
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setSpacing(kSpacing);
    setGridSize(QSize(GalleryModel::kCellSide + kSpacing, GalleryModel::kCellSide + kSpacing));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMouseTracking(true);
    setItemDelegate(new CellDelegate(this));
    setContextMenuPolicy(Qt::CustomContextMenu);
    QPalette palette = this->palette();
    palette.setBrush(QPalette::Base, QBrush(noisyBackground()));
    setPalette(palette);
    setModel(&model);

    menu_->addAction(QStringLiteral("Open"), &gallery_, &Gallery::openMenuItemAction);
    menu_->addAction(QStringLiteral("Save"), &gallery_, &Gallery::saveMenuItemAction);
    menu_->addAction(QStringLiteral("Delete"), &gallery_, &Gallery::deleteSigMenuItemAction);
    menu_->addAction(QStringLiteral("Delete All"), &gallery_, &Gallery::deleteMulMenuItemAction);

    connect(this, &QListView::pressed, this,
            [this](const QModelIndex &index) { gallery_.select(index.row()); });
    connect(this, &QListView::doubleClicked, this,
            [this](const QModelIndex &index) { gallery_.openItem(index.row()); });
    connect(this, &QWidget::customContextMenuRequested, this, &GalleryView::showMenu);
}

void GalleryView::showSelection(int row)
{
    const QSignalBlocker blocker(this);
    if (row < 0 || row >= model()->rowCount()) {
        clearSelection();
        setCurrentIndex({});
        return;
    }
    const QModelIndex index = model()->index(row, 0);
    setCurrentIndex(index);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void GalleryView::showMenu(const QPoint &position)
{
    // The item under the mouse is the one the menu acts on, shown selected; none off the items.
    gallery_.select(indexAt(position).row());
    menu_->popup(viewport()->mapToGlobal(position));
}

} // namespace quelmar::viewer
