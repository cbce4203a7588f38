// A SoundPlayer that only counts what would have been played (any thread).
#pragma once

#include "base/sound_player.h"

#include <QMutex>
#include <QMutexLocker>

#include <vector>

namespace quelmar::test {

class RecordingSound final : public station::SoundPlayer {
public:
    void play(station::Sound sound) override
    {
        QMutexLocker lock(&mutex_);
        played_.push_back(sound);
    }
    std::vector<station::Sound> played() const
    {
        QMutexLocker lock(&mutex_);
        return played_;
    }

private:
    mutable QMutex mutex_;
    std::vector<station::Sound> played_;
};

} // namespace quelmar::test
