// The frame callbacks: CSampleGrabberCB runs once per frame of the continuous branch,
// CStillGrabberCB once per press of the camera's own button. Both run on the capture thread.
#pragma once

#include "capture/capture_state.h"
#include "capture/preview_stretch.h"

#include <image/frame.h>

#include <QMutex>

#include <functional>

namespace quelmar::station {

class PreviewWidget;
class SoundPlayer;

class CSampleGrabberCB {
public:
    struct Wiring {
        CaptureState *state = nullptr;
        PreviewWidget *preview = nullptr; // may be null (no window)
        SoundPlayer *sound = nullptr;     // may be null
        QMutex *recordingLock = nullptr;  // guards every recording call
        FrameHooks *hooks = nullptr;      // may be null
        // Posts the still message to the main window (queued, never blocks).
        std::function<void(bool fromButton)> postStill;
    };

    explicit CSampleGrabberCB(Wiring wiring) : w_(std::move(wiring)) {}

    void onFrame(FrameView frame, double sampleTime);

private:
    Wiring w_;
    PreviewStretcher stretcher_;
};

class CStillGrabberCB {
public:
    explicit CStillGrabberCB(CaptureState &state) : state_(state) {}
    // A press only counts after a drawn frame, so one press gives at most one still.
    void onButton();

private:
    CaptureState &state_;
};

} // namespace quelmar::station
