#include "shell/qt_sound_player.h"

#include <QMetaObject>
#include <QSoundEffect>
#include <QUrl>

namespace quelmar::station {

QtSoundPlayer::QtSoundPlayer(QObject *parent) : QObject(parent) {}

void QtSoundPlayer::play(Sound sound)
{
    // The frame callback plays the shutter on the capture thread; effects live on ours.
    QMetaObject::invokeMethod(
        this, [this, sound] { playHere(sound); }, Qt::QueuedConnection);
}

void QtSoundPlayer::playHere(Sound sound)
{
    auto it = effects_.find(sound);
    if (it == effects_.end()) {
        const char *file = sound == Sound::Shutter           ? "qrc:/sounds/shutter.wav"
                           : sound == Sound::RecordStartStop ? "qrc:/sounds/record.wav"
                                                             : "qrc:/sounds/timer_end.wav";
        auto *effect = new QSoundEffect(this);
        effect->setSource(QUrl(QString::fromLatin1(file)));
        it = effects_.emplace(sound, effect).first;
    }
    it->second->play();
}

} // namespace quelmar::station
