// The main window's hot keys and what each does in the current state, and the filter that
// sees them before any control of the window does.
#pragma once

#include <QObject>
#include <QPointer>
#include <Qt>

#include <functional>

class QWidget;

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

// Esc and Enter never reach the controls; the function keys still do after they fired.
bool isSwallowedHotKey(int qtKey);

// An application-wide filter for the key presses of one window. A key press the focused
// control ignores travels up through every parent to the window, and an application filter
// sees each of those steps; this one fires a hot key exactly once per press, at the control
// the press was meant for, and then lets the press travel on unfiltered.
class HotKeyFilter : public QObject {
public:
    // `isHotKey` tells the window's hot keys apart; `fire` runs one.
    HotKeyFilter(QWidget *window, std::function<bool(int)> isHotKey, std::function<void(int)> fire,
                 QObject *parent = nullptr);
    ~HotKeyFilter() override;
    Q_DISABLE_COPY_MOVE(HotKeyFilter)

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> window_;
    std::function<bool(int)> isHotKey_;
    std::function<void(int)> fire_;
    bool passingOn_ = false; // true while a fired press travels through the controls
};

} // namespace quelmar::station
