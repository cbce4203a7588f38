// The viewer's three short sounds: the shutter of a still and the start and end of a
// recording. play() never blocks or fails; without an audio device nothing is heard.
#pragma once

#include <sound/sound_effects.h>

namespace quelmar::viewer {

enum class ViewerSoundId { Camera, StartAvi, EndAvi };

class ViewerSound {
public:
    virtual ~ViewerSound() = default;
    virtual void play(ViewerSoundId sound) = 0; // main thread only
};

// The embedded "camera", "startavi" and "endavi" wave files through Qt Multimedia.
class QtViewerSound final : public ViewerSound {
public:
    void play(ViewerSoundId sound) override;

private:
    SoundEffects effects_;
};

} // namespace quelmar::viewer
