// Short wave files played through Qt Multimedia, each loaded on its first use and kept.
// play() may be called from any thread and never blocks or fails; without an audio device
// nothing is heard.
#pragma once

#include <QObject>
#include <QString>

#include <map>

class QSoundEffect;

namespace quelmar {

class SoundEffects : public QObject {
    Q_OBJECT

public:
    explicit SoundEffects(QObject *parent = nullptr);
    // `source` is a resource path such as ":/sounds/shutter.wav".
    void play(const QString &source);

private:
    void playHere(const QString &source);
    std::map<QString, QSoundEffect *> effects_; // children of this object
};

} // namespace quelmar
