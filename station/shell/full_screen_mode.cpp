#include "shell/full_screen_mode.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>

namespace quelmar::station {

QPoint centredTopLeft(QSize size, const QRect &available)
{
    const int x = available.x() + (available.width() - size.width()) / 2;
    const int y = available.y() + (available.height() - size.height()) / 2;
    return {std::max(x, available.x()), std::max(y, available.y())};
}

FullScreenMode::FullScreenMode(QMainWindow *window, QWidget *canvas, QWidget *preview,
                               QRect previewRect)
    : window_(window), canvas_(canvas), preview_(preview), previewRect_(previewRect),
      clientSize_(canvas->size())
{}

void FullScreenMode::placeNormal()
{
    window_->resize(window_->sizeHint());
    if (const QScreen *screen = window_->screen())
        window_->move(centredTopLeft(window_->frameGeometry().size(), screen->availableGeometry()));
}

void FullScreenMode::enter()
{
    if (active_)
        return;
    active_ = true;
    // A maximise by the window manager may already have resized the window.
    normalGeometry_ = window_->normalGeometry();
    hidden_.clear();
    // Only what shows now is brought back later; hidden controls and popups (the context
    // menu is a child of the canvas too) stay as they are.
    for (QWidget *child : canvas_->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child == preview_ || child->isWindow() || child->isHidden())
            continue;
        hidden_.emplace_back(child);
        child->hide();
    }
    window_->menuBar()->hide();
    canvas_->setMinimumSize(0, 0);
    canvas_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window_->showFullScreen();
    const QSize screen = window_->screen() ? window_->screen()->size() : previewRect_.size();
    preview_->setGeometry(QRect(QPoint(0, 0), screen));
}

void FullScreenMode::leave()
{
    if (!active_)
        return;
    active_ = false;
    window_->showNormal();
    canvas_->setFixedSize(clientSize_);
    for (const QPointer<QWidget> &child : hidden_)
        if (child)
            child->show();
    hidden_.clear();
    window_->menuBar()->show();
    preview_->setGeometry(previewRect_);
    if (normalGeometry_.isValid())
        window_->setGeometry(QRect(normalGeometry_.topLeft(), window_->sizeHint()));
    else
        placeNormal();
}

} // namespace quelmar::station
