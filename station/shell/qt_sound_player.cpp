#include "shell/qt_sound_player.h"

namespace quelmar::station {

void QtSoundPlayer::play(Sound sound)
{
    effects_.play(sound == Sound::Shutter           ? QStringLiteral(":/sounds/shutter.wav")
                  : sound == Sound::RecordStartStop ? QStringLiteral(":/sounds/record.wav")
                                                    : QStringLiteral(":/sounds/timer_end.wav"));
}

} // namespace quelmar::station
