// One grid of the gallery on screen: 80 x 80 cells on a noisy background, grey when the mouse
// is over a cell and blue when it is selected, and the menu with Open, Save, Delete and
// Delete All. It only shows a GalleryModel and routes clicks and choices to the Gallery.
#pragma once

#include <QListView>

namespace quelmar::viewer {

class Gallery;
class GalleryModel;

class GalleryView : public QListView {
    Q_OBJECT

public:
    GalleryView(Gallery &gallery, GalleryModel &model, QWidget *parent = nullptr);

    // The menu the grid shows on a right-click, for tests and the window's menu.
    QMenu *contextMenu() const { return menu_; }
    // Shows `row` selected (or nothing for -1), as the gallery's selection says.
    void showSelection(int row);

private:
    void showMenu(const QPoint &position);

    Gallery &gallery_;
    QMenu *menu_;
};

} // namespace quelmar::viewer
