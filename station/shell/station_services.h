// The outside things the station talks to, handed to the main window at start: the real ones
// in the program, test doubles in tests.
#pragma once

#include <QStringList>

namespace quelmar {
class CameraBackend;
class DeviceMonitor;
} // namespace quelmar

namespace quelmar::station {

class MailHandOver;
class Printer;
class Prompt;
class SoundPlayer;
class VideoPlayer;

struct StationServices {
    Prompt *prompt = nullptr;
    SoundPlayer *sound = nullptr;
    DeviceMonitor *deviceMonitor = nullptr; // may be null: no device notices
    CameraBackend *cameras = nullptr;       // may be null: never connected
    VideoPlayer *player = nullptr;          // may be null: videos are not played
    MailHandOver *mail = nullptr;           // may be null: no mail system
    Printer *printer = nullptr;             // may be null: no printer
    // Where the camera chip library is looked for; empty: the library search path and the
    // installation's library directory.
    QStringList chipLibraryPaths{};
};

} // namespace quelmar::station
