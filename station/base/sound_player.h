// The station's three sounds. play() may be called from any thread and never blocks or fails;
// without an audio device nothing is heard.
#pragma once

namespace quelmar::station {

enum class Sound { RecordStartStop = 180, Shutter = 181, TimedRecordingEnd = 182 };

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(Sound sound) = 0;
};

} // namespace quelmar::station
