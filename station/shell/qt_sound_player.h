// SoundPlayer on Qt Multimedia with the embedded wave files.
#pragma once

#include "base/sound_player.h"

#include <QObject>

#include <map>

class QSoundEffect;

namespace quelmar::station {

class QtSoundPlayer final : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    explicit QtSoundPlayer(QObject *parent = nullptr);
    void play(Sound sound) override;

private:
    void playHere(Sound sound);
    std::map<Sound, QSoundEffect *> effects_; // children of this object, created on first use
};

} // namespace quelmar::station
