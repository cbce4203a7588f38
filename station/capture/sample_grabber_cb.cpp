#include "capture/sample_grabber_cb.h"

#include "base/sound_player.h"
#include "capture/preview_widget.h"

#include <QMutexLocker>

namespace quelmar::station {

void CSampleGrabberCB::onFrame(FrameView frame, double sampleTime)
{
    if (w_.hooks && w_.hooks->operate)
        w_.hooks->operate(frame);

    CaptureState &s = *w_.state;
    // A still asked for before any frame arrived takes this frame, rather than none at all.
    if (s.stillRequested.load() && s.snapshot.hasFrame()) {
        // This frame completes the still; the snapshot keeps the frame copied before it.
        const bool fromButton = s.stillFromButton.load();
        s.stillRequested = false;
        s.stillFromButton = false;
        if (w_.postStill)
            w_.postStill(fromButton);
        if (w_.sound)
            w_.sound->play(Sound::Shutter);
    } else {
        s.snapshot.store(frame, sampleTime);
    }

    if (s.recording.load() && w_.hooks && w_.hooks->record && w_.recordingLock) {
        QMutexLocker lock(w_.recordingLock);
        w_.hooks->record(frame, sampleTime);
    }

    s.frameDrawn = true;
    if (w_.preview) {
        w_.preview->drawIntoBackBuffer([&](QImage &back) {
            stretcher_.draw(frame, back);
            if (w_.hooks && w_.hooks->drawOverlays)
                w_.hooks->drawOverlays(back);
        });
    }
}

void CStillGrabberCB::onButton()
{
    bool drawn = true;
    if (state_.frameDrawn.compare_exchange_strong(drawn, false))
        state_.requestStill(true);
}

} // namespace quelmar::station
