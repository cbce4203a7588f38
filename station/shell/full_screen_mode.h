// The main window's two displays: the normal fixed layout, centred on the screen, and full
// screen, where only the live picture stays and covers the whole screen. Leaving full screen
// brings back exactly the controls that were shown before, where the window was.
#pragma once

#include <QPointer>
#include <QRect>

#include <vector>

class QMainWindow;
class QWidget;

namespace quelmar::station {

// Where a window of `size` goes to be centred in `available`; a window larger than the area
// keeps its top left corner (and so its title bar) inside it.
QPoint centredTopLeft(QSize size, const QRect &available);

class FullScreenMode {
public:
    // `canvas` is the window's client area with its fixed size already set; `preview` one of
    // its children, which sits at `previewRect` in the normal layout.
    FullScreenMode(QMainWindow *window, QWidget *canvas, QWidget *preview, QRect previewRect);

    bool isActive() const { return active_; }

    // Sizes the window to its layout (the menu bar over the client area) and centres it.
    void placeNormal();
    void enter();
    void leave();

private:
    QMainWindow *window_;
    QWidget *canvas_;
    QWidget *preview_;
    QRect previewRect_;
    QSize clientSize_;
    bool active_ = false;
    QRect normalGeometry_;
    std::vector<QPointer<QWidget>> hidden_; // controls shown before entering, hidden since
};

} // namespace quelmar::station
