// Orbilux: the viewer for USB cameras and the Wi-Fi microscope, or with --ftp-serve a share
// of one directory over FTP without a window.
#include "app/ftp_share.h"
#include "app/orbilux_window.h"
#include "app/quit_on_signals.h"
#include "app/view_controller.h"
#include "app/viewer_prompt.h"
#include "app/viewer_sound.h"
#include "device/network_manager_wifi.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <sys/resource.h>

using namespace quelmar::viewer;

namespace {

QStringList argumentList(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

int serveWithoutWindow(int argc, char **argv, const QStringList &arguments)
{
    const FtpServeParse parse = parseFtpServeOptions(arguments);
    if (!parse.options) {
        std::fprintf(stderr, "orbilux: %s\n", qPrintable(parse.error));
        return kUsageExitCode;
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Orbilux"));
    return runFtpServe(*parse.options);
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
    std::printf("hand-over ms: mean %.3f longest %.3f\n",
                shown ? double(controller.totalHandOverNs()) / double(shown) / 1e6 : 0.0,
                double(controller.longestHandOverNs()) / 1e6);
    std::printf("recorded frames kept: %lld\nrecorded frames dropped: %lld\n",
                static_cast<long long>(recorder.framesKept()),
                static_cast<long long>(recorder.framesDropped()));
    std::printf("recording: %s\n", qPrintable(recorder.videoFileName()));
    std::printf("cpu seconds: %.3f\n", cpuSeconds());
    std::fflush(stdout);
}

// --exit-after SECONDS: quit then and tell the figures, for measurements.
void scheduleExit(const QStringList &arguments, ViewController &controller)
{
    bool ok = false;
    const double seconds =
        optionValue(arguments, QStringLiteral("--exit-after")).trimmed().toDouble(&ok);
    if (!ok || seconds <= 0)
        return;
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

} // namespace

int main(int argc, char **argv)
{
    const QStringList early = argumentList(argc, argv);
    if (wantsFtpServe(early))
        return serveWithoutWindow(argc, argv, early);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orbilux"));
    QApplication::setOrganizationName(QStringLiteral("Quelmar"));
    QApplication::setDesktopFileName(QStringLiteral("orbilux"));
    const QStringList arguments = QApplication::arguments();
    // SIGTERM and Ctrl-C end the event loop, so the window goes and a recording is finished.
    QuitOnSignals quitOnSignals;

    // A network name given from outside replaces NetworkManager's (the simulator demo).
    QString fixedName = optionValue(arguments, QStringLiteral("--wifi-network-name"));
    if (fixedName.isEmpty())
        fixedName = qEnvironmentVariable("ORBILUX_WIFI_NETWORK_NAME");
    std::unique_ptr<WifiNetwork> network;
    if (fixedName.isEmpty())
        network = std::make_unique<NetworkManagerWifi>();
    else
        network = std::make_unique<FixedWifiNetwork>(fixedName);

    WidgetViewerPrompt prompt;
    QtViewerSound sound;
    SystemDesktopOpener opener;
    ViewerServices services;
    services.prompt = &prompt;
    services.network = network.get();
    services.device = DeviceAddress::fromEnvironmentAndArguments(arguments);
    services.sound = &sound;
    services.opener = &opener;
    const QString shareAddress = optionValue(arguments, QStringLiteral("--ftp-address"));
    if (!shareAddress.isEmpty())
        services.ftpAddress = QHostAddress(shareAddress);

    OrbiluxWindow window(services);
    prompt.setParent(&window);
    window.show();
    if (arguments.contains(QStringLiteral("--record")))
        recordOnFirstPicture(window.controller());
    if (arguments.contains(QStringLiteral("--connect-wifi")))
        QTimer::singleShot(0, &window.controller(), &ViewController::ConnectWiFiCamera);
    scheduleExit(arguments, window.controller());
    return QApplication::exec();
}
