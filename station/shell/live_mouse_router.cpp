#include "shell/live_mouse_router.h"

#include "measure/live_measure.h"

#include <QMouseEvent>
#include <QWidget>

namespace quelmar::station {

LiveMouseRouter::LiveMouseRouter(QWidget *preview, QWidget *client, LiveMeasure &live,
                                 std::function<void()> changed)
    : preview_(preview), client_(client), live_(live), changed_(std::move(changed))
{
    preview_->setMouseTracking(true);
    preview_->installEventFilter(this);
}

void LiveMouseRouter::hold(bool on)
{
    // Confining the cursor is not possible everywhere (Wayland): the points are clamped.
    if (on && preview_->isVisible())
        preview_->grabMouse(Qt::CrossCursor);
    else if (!on && QWidget::mouseGrabber() == preview_)
        preview_->releaseMouse();
}

bool LiveMouseRouter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != preview_)
        return false;
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::MouseMove)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint client = preview_->mapTo(client_, mouse->position().toPoint());
    const std::optional<QPoint> live = live_.livePoint(client);
    if (!live)
        return false;
    if (type == QEvent::MouseMove)
        live_.move(*live);
    else if (mouse->button() == Qt::RightButton)
        live_.rightButton();
    else if (mouse->button() != Qt::LeftButton)
        return false;
    else if (type == QEvent::MouseButtonDblClick)
        live_.doubleClick(*live);
    else
        live_.press(*live);
    if (changed_)
        changed_();
    return true;
}

} // namespace quelmar::station
