#include "sound/sound_effects.h"

#include <QMetaObject>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>

namespace quelmar {

SoundEffects::SoundEffects(QObject *parent) : QObject(parent) {}

void SoundEffects::play(const QString &source)
{
    // A frame callback plays the shutter on the capture thread; the effects live on ours.
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, source] { playHere(source); }, Qt::QueuedConnection);
        return;
    }
    playHere(source);
}

void SoundEffects::playHere(const QString &source)
{
    auto it = effects_.find(source);
    if (it == effects_.end()) {
        auto *effect = new QSoundEffect(this);
        effect->setSource(QUrl(QStringLiteral("qrc") + source));
        it = effects_.emplace(source, effect).first;
    }
    it->second->play();
}

} // namespace quelmar
