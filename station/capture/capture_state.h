// The capture state that the frame callbacks on the capture thread share with the UI
// thread. Flags are atomics written whole; the snapshot buffer has its own lock.
#pragma once

#include "capture/frame_snapshot.h"

#include <image/frame.h>

#include <QImage>

#include <atomic>
#include <functional>

namespace quelmar::station {

struct CaptureState {
    // Snapshot request: set by F2, Take Picture, the time-lapse worker and the camera button;
    // completed and cleared by the next frame.
    std::atomic<bool> stillRequested{false};
    std::atomic<bool> stillFromButton{false};
    // Set by every frame drawn in the preview; the camera button only takes a still after one.
    std::atomic<bool> frameDrawn{false};
    std::atomic<bool> recording{false};
    std::atomic<bool> fullScreen{false};
    std::atomic<int> stillSwitch{0};
    std::atomic<int> sensorClass{0};
    std::atomic<int> captureWidth{0};
    std::atomic<int> captureHeight{0};
    std::atomic<int> frameRate{11};

    FrameSnapshot snapshot;

    void requestStill(bool fromButton)
    {
        stillFromButton = fromButton;
        stillRequested = true;
    }
};

// Hooks that later parts of the station fill in; each runs on the capture thread.
struct FrameHooks {
    // Applies the image operations that are switched on, in place, before anything else.
    std::function<void(FrameView frame)> operate;
    // Writes the frame to a running recording (called under the recording lock).
    std::function<void(FrameView frame, double sampleTime)> record;
    // Draws the live shapes and the overlays into the preview back buffer.
    std::function<void(QImage &backBuffer)> drawOverlays;
};

} // namespace quelmar::station
