// The viewer's three short sounds: the shutter of a still and the start and end of a
// recording. play() never blocks or fails; without an audio device nothing is heard.
#pragma once

#include <QObject>

#include <map>

class QSoundEffect;

namespace quelmar::viewer {

enum class ViewerSoundId { Camera, StartAvi, EndAvi };

class ViewerSound {
public:
    virtual ~ViewerSound() = default;
    virtual void play(ViewerSoundId sound) = 0; // main thread only
};

// The embedded "camera", "startavi" and "endavi" wave files through Qt Multimedia.
class QtViewerSound final : public QObject, public ViewerSound {
    Q_OBJECT

public:
    explicit QtViewerSound(QObject *parent = nullptr);
    void play(ViewerSoundId sound) override;

private:
    std::map<ViewerSoundId, QSoundEffect *> effects_; // children, loaded on first use
};

} // namespace quelmar::viewer
