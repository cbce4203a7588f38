#include "app/viewer_sound.h"

#include "app/viewer_resources.h"

namespace quelmar::viewer {

void QtViewerSound::play(ViewerSoundId sound)
{
    const char *name = sound == ViewerSoundId::Camera     ? "sounds/camera.wav"
                       : sound == ViewerSoundId::StartAvi ? "sounds/startavi.wav"
                                                          : "sounds/endavi.wav";
    effects_.play(viewerResource(QString::fromLatin1(name)));
}

} // namespace quelmar::viewer
