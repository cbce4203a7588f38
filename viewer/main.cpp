// Orbilux: the viewer for USB cameras and the Wi-Fi microscope, or with --ftp-serve a share
// of one directory over FTP without a window.
#include "app/ftp_share.h"
#include "app/orbilux_window.h"
#include "app/view_controller.h"
#include "app/viewer_prompt.h"
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

// --exit-after SECONDS: quit then and tell how many pictures were shown, for measurements.
void scheduleExit(const QStringList &arguments, const ViewController &controller)
{
    bool ok = false;
    const double seconds =
        optionValue(arguments, QStringLiteral("--exit-after")).trimmed().toDouble(&ok);
    if (!ok || seconds <= 0)
        return;
    QTimer::singleShot(int(seconds * 1000), qApp, [&controller] {
        std::printf("frames shown: %llu\ncpu seconds: %.3f\n",
                    static_cast<unsigned long long>(controller.framesShown()), cpuSeconds());
        std::fflush(stdout);
        QCoreApplication::quit();
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
    ViewerServices services;
    services.prompt = &prompt;
    services.network = network.get();
    services.device = DeviceAddress::fromEnvironmentAndArguments(arguments);
    const QString shareAddress = optionValue(arguments, QStringLiteral("--ftp-address"));
    if (!shareAddress.isEmpty())
        services.ftpAddress = QHostAddress(shareAddress);

    OrbiluxWindow window(services);
    prompt.setParent(&window);
    window.show();
    if (arguments.contains(QStringLiteral("--connect-wifi")))
        QTimer::singleShot(0, &window.controller(), &ViewController::ConnectWiFiCamera);
    scheduleExit(arguments, window.controller());
    return QApplication::exec();
}
