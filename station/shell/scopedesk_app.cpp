#include "shell/scopedesk_app.h"

#include "base/command_ids.h"
#include "library/mail_hand_over.h"
#include "library/printer.h"
#include "library/video_player.h"
#include "shell/qt_sound_player.h"
#include "shell/scopedesk_dlg.h"
#include "shell/station_services.h"
#include "shell/widget_prompt.h"

#include "capture/capture_sizes.h"

#include <camera/multi_backend.h>
#include <camera/synthetic/synthetic_camera.h>
#include <camera/v4l2/udev_device_monitor.h>
#include <camera/v4l2/v4l2_backend.h>
#include <cli/quit_on_signals.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

namespace quelmar::station {

struct CScopeDeskApp::Parts {
    WidgetPrompt prompt;
    QtSoundPlayer sound;
    CompanionPlayer player;
    XdgEmailHandOver mail;
    DefaultPrinter printer;
    std::unique_ptr<CameraBackend> demo;
    std::unique_ptr<CameraBackend> v4l2;
    std::unique_ptr<CameraBackend> cameras;
    std::unique_ptr<DeviceMonitor> demoMonitor;
    std::unique_ptr<DeviceMonitor> monitor;
    std::shared_ptr<SyntheticCameraHub> demoHub;
    QTimer demoButton; // --demo-button-every
};

CScopeDeskApp::CScopeDeskApp() : parts_(std::make_unique<Parts>()) {}

CScopeDeskApp::~CScopeDeskApp() = default;

int CScopeDeskApp::run(const ScopeDeskOptions &options)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    // SIGTERM (a logout, a service manager) or Ctrl+C ends the event loop instead of the
    // process, so the window's destructor closes a running recording with its index.
    const cli::QuitOnSignals quitOnSignals;

    parts_->monitor = std::make_unique<UdevDeviceMonitor>();
    if (options.demoCamera) {
        // The demo camera comes first; the real cameras stay in the list to choose from.
        SyntheticCameraOptions demoOptions;
        demoOptions.framesPerSecond = [](int w, int h) { return frameRateFor(w, h); };
        if (!options.demoCameraSizes.empty()) {
            demoOptions.formats.clear();
            for (const QSize &size : options.demoCameraSizes) {
                for (PixelFormat format : {PixelFormat::Mjpg, PixelFormat::Yuyv})
                    demoOptions.formats.push_back({size.width(), size.height(), format});
            }
        }
        auto hub = std::make_shared<SyntheticCameraHub>(std::move(demoOptions));
        parts_->demoHub = hub;
        parts_->demo = std::make_unique<SyntheticBackend>(hub);
        parts_->v4l2 = std::make_unique<V4l2Backend>();
        parts_->cameras = std::make_unique<MultiBackend>(
            std::vector<CameraBackend *>{parts_->demo.get(), parts_->v4l2.get()});
        parts_->demoMonitor = std::make_unique<SyntheticDeviceMonitor>(hub);
        QObject::connect(parts_->demoMonitor.get(), &DeviceMonitor::deviceChanged,
                         parts_->monitor.get(), &DeviceMonitor::deviceChanged);
    } else {
        parts_->cameras = std::make_unique<V4l2Backend>();
    }

    StationServices services;
    services.prompt = &parts_->prompt;
    services.sound = &parts_->sound;
    services.player = &parts_->player;
    services.mail = &parts_->mail;
    services.printer = &parts_->printer;
    services.cameras = parts_->cameras.get();
    services.deviceMonitor = parts_->monitor.get();

    CScopeDeskDlg window(services);
    parts_->prompt.setParent(&window);
    window.show();
    if (parts_->demoHub && options.demoButtonSeconds > 0) {
        // The camera's button takes stills only with the snapshot item on.
        if (!window.snapshotMenuOn())
            window.onCommand(cmd::SnapshotSwitch);
        parts_->demoButton.callOnTimeout([hub = parts_->demoHub] { hub->pressButton(); });
        parts_->demoButton.start(options.demoButtonSeconds * 1000);
    }

    // For the start-up measurement: report when the window is on screen, then leave.
    if (options.exitWhenShown) {
        QTimer::singleShot(0, &window, [&] {
            std::printf("main window shown after %lld ms\n",
                        static_cast<long long>(sinceStart.elapsed()));
            std::fflush(stdout);
            QApplication::exit(0);
        });
    }
    return QApplication::exec();
}

} // namespace quelmar::station
