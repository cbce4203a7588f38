#include "app/viewer_sound.h"

#include "app/viewer_resources.h"

#include <QSoundEffect>
#include <QUrl>

namespace quelmar::viewer {

QtViewerSound::QtViewerSound(QObject *parent) : QObject(parent) {}

void QtViewerSound::play(ViewerSoundId sound)
{
    auto it = effects_.find(sound);
    if (it == effects_.end()) {
        const char *name = sound == ViewerSoundId::Camera     ? "sounds/camera.wav"
                           : sound == ViewerSoundId::StartAvi ? "sounds/startavi.wav"
                                                              : "sounds/endavi.wav";
        auto *effect = new QSoundEffect(this);
        effect->setSource(QUrl(QStringLiteral("qrc") + viewerResource(QString::fromLatin1(name))));
        it = effects_.emplace(sound, effect).first;
    }
    it->second->play();
}

} // namespace quelmar::viewer
