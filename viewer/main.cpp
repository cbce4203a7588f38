// Orbilux: the viewer for USB cameras and the Wi-Fi microscope, or with --ftp-serve a share
// of one directory over FTP without a window.
#include "app/ftp_share.h"
#include "app/orbilux_options.h"
#include "app/orbilux_window.h"
#include "app/view_controller.h"
#include "app/viewer_prompt.h"
#include "app/viewer_sound.h"
#include "device/network_manager_wifi.h"
#include <cli/quit_on_signals.h>

#include <camera/multi_backend.h>
#include <camera/synthetic/synthetic_camera.h>
#include <camera/v4l2/v4l2_backend.h>

#include <cli/command_line.h>
#include <cli/display_guard.h>

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

using namespace quelmar;
using namespace quelmar::viewer;

namespace {

int serveWithoutWindow(int argc, char **argv, const FtpServeOptions &share)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Orbilux"));
    QCoreApplication::setApplicationVersion(cli::suiteVersion());
    return runFtpServe(share);
}

double cpuSeconds()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// What --exit-after prints: pictures shown, the main thread's hand-over times, the recording,
// and the process's CPU time.
void printFigures(ViewController &controller)
{
    const VideoRecorder &recorder = controller.recorder();
    const quint64 shown = controller.framesShown();
    std::printf("frames shown: %llu\n", static_cast<unsigned long long>(shown));
    // Qt's own formatting: a point in every locale, so scripts can read the figures.
    const double meanMs = shown ? double(controller.totalHandOverNs()) / double(shown) / 1e6 : 0.0;
    std::printf("%s", qPrintable(QString::asprintf("hand-over ms: mean %.3f longest %.3f\n", meanMs,
                                                   double(controller.longestHandOverNs()) / 1e6)));
    std::printf("%s",
                qPrintable(QString::asprintf("longest gap between pictures ms: %.3f\n",
                                             double(controller.longestPictureGapNs()) / 1e6)));
    std::printf("recorded frames kept: %lld\nrecorded frames dropped: %lld\n",
                static_cast<long long>(recorder.framesKept()),
                static_cast<long long>(recorder.framesDropped()));
    std::printf("recording: %s\n", qPrintable(recorder.videoFileName()));
    std::printf("%s", qPrintable(QString::asprintf("cpu seconds: %.3f\n", cpuSeconds())));
    std::fflush(stdout);
}

// --exit-after SECONDS: quit then and tell the figures, for measurements.
void scheduleExit(double seconds, ViewController &controller)
{
    QTimer::singleShot(int(seconds * 1000), qApp, [&controller] {
        // The recording is finished first, so its figures are final.
        controller.windowWillClose();
        printFigures(controller);
        QCoreApplication::quit();
    });
}

// --record: a recording starts with the first picture shown.
void recordOnFirstPicture(ViewController &controller)
{
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(
        &controller, &ViewController::pictureShown, &controller, [&controller, connection] {
            QObject::disconnect(*connection);
            QTimer::singleShot(0, &controller, &ViewController::TakeRecord);
        });
}

// The USB cameras: the V4L2 devices, with --demo-camera behind the demo camera.
struct UsbCameras {
    explicit UsbCameras(bool demo)
    {
        if (!demo) {
            all = &v4l2;
            return;
        }
        SyntheticCameraOptions options;
        options.friendlyName = QStringLiteral("Quelmar Demo Microscope");
        // Rates to choose from in the settings tab, as UVC cameras offer them.
        options.frameRates = [](int width, int height) {
            const int fastest =
                std::clamp(int(std::lround(3.4e6 / (double(width) * height))), 1, 30);
            std::vector<int> rates{fastest};
            for (const int rate : {15, 10, 5}) {
                if (rate < fastest)
                    rates.push_back(rate);
            }
            return rates;
        };
        demoBackend = std::make_unique<SyntheticBackend>(
            std::make_shared<SyntheticCameraHub>(std::move(options)));
        multi =
            std::make_unique<MultiBackend>(std::vector<CameraBackend *>{demoBackend.get(), &v4l2});
        all = multi.get();
    }

    V4l2Backend v4l2;
    std::unique_ptr<CameraBackend> demoBackend;
    std::unique_ptr<MultiBackend> multi;
    CameraBackend *all = nullptr;
};

int showWindow(int argc, char **argv, const OrbiluxOptions &options)
{
    std::unique_ptr<QApplication> app;
    {
        const cli::DisplayGuard guard(QStringLiteral("orbilux"));
        app = std::make_unique<QApplication>(argc, argv);
    }
    QApplication::setApplicationName(QStringLiteral("Orbilux"));
    QApplication::setApplicationVersion(cli::suiteVersion());
    QApplication::setOrganizationName(QStringLiteral("Quelmar"));
    QApplication::setDesktopFileName(QStringLiteral("com.quelmar.Orbilux"));
    // SIGTERM and Ctrl-C end the event loop, so the window goes and a recording is finished.
    cli::QuitOnSignals quitOnSignals;

    // A network name given from outside replaces NetworkManager's (the simulator demo).
    std::unique_ptr<WifiNetwork> network;
    if (options.wifiNetworkName.isEmpty())
        network = std::make_unique<NetworkManagerWifi>();
    else
        network = std::make_unique<FixedWifiNetwork>(options.wifiNetworkName);

    WidgetViewerPrompt prompt;
    QtViewerSound sound;
    SystemDesktopOpener opener;
    ViewerServices services;
    services.prompt = &prompt;
    services.network = network.get();
    services.device = options.device;
    services.ftpAddress = options.ftpAddress;
    services.sound = &sound;
    services.opener = &opener;
    UsbCameras cameras(options.demoCamera);
    services.cameras = cameras.all;

    OrbiluxWindow window(services);
    prompt.setParent(&window);
    window.show();
    if (options.record)
        recordOnFirstPicture(window.controller());
    if (options.connectWifi)
        QTimer::singleShot(0, &window.controller(), &ViewController::ConnectWiFiCamera);
    if (options.connectUsb)
        QTimer::singleShot(0, &window.controller(), &ViewController::ConnectUSBCamera);
    if (options.exitAfter)
        scheduleExit(*options.exitAfter, window.controller());
    if (options.sharePort)
        window.controller().startSharing(*options.sharePort);
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    // The command line is read first: --help, --version, refusals and the headless share
    // need no display.
    const auto parsed = parseOrbiluxCommandLine(cli::argumentList(argc, argv));
    if (const auto *early = std::get_if<cli::EarlyExit>(&parsed))
        return cli::finish(*early);
    const auto &options = std::get<OrbiluxOptions>(parsed);
    if (options.ftpServe)
        return serveWithoutWindow(argc, argv, *options.ftpServe);
    return showWindow(argc, argv, options);
}
