#include "shell/hot_keys.h"

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

} // namespace quelmar::station
