// Orbilux: the viewer for USB cameras and the Wi-Fi microscope, or with --ftp-serve a share
// of one directory over FTP without a window.
#include "app/ftp_share.h"
#include "app/orbilux_options.h"
#include "app/orbilux_window.h"
#include "app/view_controller.h"
#include "app/viewer_prompt.h"
#include "device/network_manager_wifi.h"

#include <cli/command_line.h>
#include <cli/display_guard.h>

#include <QApplication>
#include <QTimer>

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

// --exit-after SECONDS: quit then and tell how many pictures were shown, for measurements.
void scheduleExit(double seconds, const ViewController &controller)
{
    QTimer::singleShot(int(seconds * 1000), qApp, [&controller] {
        std::printf("frames shown: %llu\ncpu seconds: %.3f\n",
                    static_cast<unsigned long long>(controller.framesShown()), cpuSeconds());
        std::fflush(stdout);
        QCoreApplication::quit();
    });
}

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

    // A network name given from outside replaces NetworkManager's (the simulator demo).
    std::unique_ptr<WifiNetwork> network;
    if (options.wifiNetworkName.isEmpty())
        network = std::make_unique<NetworkManagerWifi>();
    else
        network = std::make_unique<FixedWifiNetwork>(options.wifiNetworkName);

    WidgetViewerPrompt prompt;
    ViewerServices services;
    services.prompt = &prompt;
    services.network = network.get();
    services.device = options.device;
    services.ftpAddress = options.ftpAddress;

    OrbiluxWindow window(services);
    prompt.setParent(&window);
    window.show();
    if (options.connectWifi)
        QTimer::singleShot(0, &window.controller(), &ViewController::ConnectWiFiCamera);
    if (options.exitAfter)
        scheduleExit(*options.exitAfter, window.controller());
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
