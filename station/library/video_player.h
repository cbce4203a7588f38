// The companion player that shows a recorded video: `reelview` installed beside the station,
// or else the desktop's default application for the file.
#pragma once

#include <QString>

namespace quelmar::station {

class VideoPlayer {
public:
    virtual ~VideoPlayer() = default;
    // Starts the player for `videoPath` without waiting for it; false when nothing started.
    virtual bool play(const QString &videoPath) = 0;
};

class CompanionPlayer final : public VideoPlayer {
public:
    bool play(const QString &videoPath) override;
};

} // namespace quelmar::station
