#include "shell/hot_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QWidget>

#include <memory>

namespace quelmar::station {

HotKeyAction hotKeyAction(int qtKey, bool recording, bool fullScreen)
{
    switch (qtKey) {
    case Qt::Key_F2:
        return HotKeyAction::TakePicture;
    // F3 only starts and F4 only stops, so a held key never toggles back.
    case Qt::Key_F3:
        return recording ? HotKeyAction::Swallow : HotKeyAction::ToggleRecording;
    case Qt::Key_F4:
        return recording ? HotKeyAction::ToggleRecording : HotKeyAction::Swallow;
    case Qt::Key_F11:
        return HotKeyAction::LowSize;
    case Qt::Key_F12:
        return HotKeyAction::HighSize;
    case Qt::Key_Escape:
        return fullScreen ? HotKeyAction::RestoreFullScreen : HotKeyAction::Swallow;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return HotKeyAction::Swallow;
    default:
        return HotKeyAction::None;
    }
}

bool isSwallowedHotKey(int qtKey)
{
    return qtKey == Qt::Key_Escape || qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter;
}

HotKeyFilter::HotKeyFilter(QWidget *window, std::function<bool(int)> isHotKey,
                           std::function<void(int)> fire, QObject *parent)
    : QObject(parent), window_(window), isHotKey_(std::move(isHotKey)), fire_(std::move(fire))
{
    qApp->installEventFilter(this);
}

HotKeyFilter::~HotKeyFilter()
{
    qApp->removeEventFilter(this);
}

bool HotKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (passingOn_ || event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    const QPointer<QWidget> target = static_cast<QWidget *>(watched);
    if (!window_ || target->window() != window_)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (!isHotKey_(key))
        return false;

    // The window's accelerators come first, then the controls see the press.
    fire_(key);
    if (isSwallowedHotKey(key))
        return true;
    if (target) {
        // The copy travels from the control up to the window with this filter out of the
        // way; the original ends here, so nothing sees the press twice.
        const std::unique_ptr<QEvent> copy(event->clone());
        const QScopedValueRollback guard(passingOn_, true);
        QApplication::sendEvent(target, copy.get());
    }
    event->accept();
    return true;
}

} // namespace quelmar::station
