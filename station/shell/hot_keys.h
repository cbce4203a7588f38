// The main window's hot keys and what each does in the current state.
#pragma once

#include <Qt>

namespace quelmar::station {

enum class HotKeyAction {
    None,    // the key is not a hot key: pass it on
    Swallow, // a hot key that does nothing now
    TakePicture,
    ToggleRecording,
    LowSize,
    HighSize,
    RestoreFullScreen,
};

HotKeyAction hotKeyAction(int qtKey, bool recording, bool fullScreen);

} // namespace quelmar::station
