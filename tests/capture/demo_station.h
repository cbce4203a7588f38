// A station window on the demo camera with a scripted prompt, a counted sound and a home of its
// own, starting at 640 x 480 where the demo camera is quick.
#pragma once

#include "base/cap_config.h"
#include "base/station_paths.h"
#include "recording_sound.h"
#include "scripted_prompt.h"
#include "shell/scopedesk_dlg.h"
#include "temp_home.h"

#include <camera/synthetic/synthetic_camera.h>

#include <memory>

namespace quelmar::test {

struct DemoStation {
    explicit DemoStation(SyntheticCameraOptions camera = {}, QStringList chipLibraryPaths = {})
        : hub(std::make_shared<SyntheticCameraHub>(std::move(camera)))
    {
        qputenv("SCOPEDESK_SHARE_DIR", home.path().toLocal8Bit());
        station::CapConfig config;
        config.avgTimePerFrame = 333333;
        config.bmi.width = 640;
        config.bmi.height = 480;
        station::writeCapConfig(station::StationPaths::capConfigFile(), config);
        station::StationServices services{&prompt, &sound, &monitor, &backend};
        services.chipLibraryPaths = std::move(chipLibraryPaths);
        window = std::make_unique<station::CScopeDeskDlg>(services);
    }

    TempHome home;
    ScriptedPrompt prompt;
    RecordingSound sound;
    std::shared_ptr<SyntheticCameraHub> hub;
    SyntheticBackend backend{hub};
    SyntheticDeviceMonitor monitor{hub};
    std::unique_ptr<station::CScopeDeskDlg> window;
};

} // namespace quelmar::test
