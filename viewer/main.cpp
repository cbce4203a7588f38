// Orbilux: the viewer for USB cameras and the Wi-Fi microscope.
#include "app/orbilux_window.h"
#include "app/view_controller.h"
#include "app/viewer_prompt.h"
#include "device/network_manager_wifi.h"

#include <QApplication>
#include <QTimer>

#include <memory>

using namespace quelmar::viewer;

int main(int argc, char **argv)
{
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

    OrbiluxWindow window(services);
    prompt.setParent(&window);
    window.show();
    if (arguments.contains(QStringLiteral("--connect-wifi")))
        QTimer::singleShot(0, &window.controller(), &ViewController::ConnectWiFiCamera);
    return QApplication::exec();
}
