// SoundPlayer on Qt Multimedia with the embedded wave files.
#pragma once

#include "base/sound_player.h"

#include <sound/sound_effects.h>

namespace quelmar::station {

class QtSoundPlayer final : public SoundPlayer {
public:
    void play(Sound sound) override;

private:
    SoundEffects effects_;
};

} // namespace quelmar::station
