#include "app/orbilux_options.h"

#include <QFileInfo>

namespace quelmar::viewer {

namespace {

namespace name {
const QString ftpServe = QStringLiteral("ftp-serve");
const QString port = QStringLiteral("port");
const QString ftpAddress = QStringLiteral("ftp-address");
const QString wifiHost = QStringLiteral("wifi-host");
const QString wifiWebPort = QStringLiteral("wifi-web-port");
const QString wifiStreamPort = QStringLiteral("wifi-stream-port");
const QString wifiNetworkName = QStringLiteral("wifi-network-name");
const QString connectWifi = QStringLiteral("connect-wifi");
const QString connectUsb = QStringLiteral("connect-usb");
const QString demoCamera = QStringLiteral("demo-camera");
const QString record = QStringLiteral("record");
const QString exitAfter = QStringLiteral("exit-after");
const QString sharePort = QStringLiteral("share-port");
} // namespace name

// Options of the window that a headless share would silently drop.
const QStringList kWindowOnly = {name::wifiHost,        name::wifiWebPort, name::wifiStreamPort,
                                 name::wifiNetworkName, name::connectWifi, name::connectUsb,
                                 name::demoCamera,      name::record,      name::exitAfter,
                                 name::sharePort};

void describeOptions(cli::CommandLine &line)
{
    line.addOption({name::ftpServe,
                    QStringLiteral("Share DIR over FTP without a window until Ctrl-C or SIGTERM; "
                                   "the first line printed is the address clients should use."),
                    QStringLiteral("DIR")});
    line.addOption({name::port,
                    QStringLiteral("The port of --ftp-serve (default %1).").arg(kDefaultFtpPort),
                    QStringLiteral("N")});
    line.addOption({name::ftpAddress,
                    QStringLiteral("Listen for FTP clients on this IP address only, with "
                                   "--ftp-serve or in the window (default: every interface)."),
                    QStringLiteral("A")});
    line.addOption({name::wifiHost,
                    QStringLiteral("The Wi-Fi microscope's address (default %1).")
                        .arg(QString::fromLatin1(DeviceAddress::kDefaultHost)),
                    QStringLiteral("HOST")});
    line.addOption({name::wifiWebPort,
                    QStringLiteral("The port of its web server (default %1).")
                        .arg(DeviceAddress::kDefaultWebPort),
                    QStringLiteral("N")});
    line.addOption({name::wifiStreamPort,
                    QStringLiteral("The port of its picture stream (default %1).")
                        .arg(DeviceAddress::kDefaultStreamPort),
                    QStringLiteral("N")});
    line.addOption({name::wifiNetworkName,
                    QStringLiteral("Take NAME as the Wi-Fi network this machine is on instead "
                                   "of asking NetworkManager (for the simulator)."),
                    QStringLiteral("NAME")});
    line.addOption(
        {name::connectWifi, QStringLiteral("Connect to the Wi-Fi microscope at start, as choosing "
                                           "Wi-Fi in the window does.")});
    line.addOption(
        {name::connectUsb, QStringLiteral("Connect the first USB camera at start, as choosing USB "
                                          "in the window does.")});
    line.addOption({name::demoCamera,
                    QStringLiteral("Offer the built-in demo camera first among the USB cameras; "
                                   "the real cameras stay in the list.")});
    line.addOption(
        {name::record, QStringLiteral("Start a recording with the first picture shown (for "
                                      "measurements).")});
    line.addOption({name::exitAfter,
                    QStringLiteral("Quit after SECONDS, finishing a recording, and print the "
                                   "frames shown, the recording's figures and the CPU time used "
                                   "(for measurements)."),
                    QStringLiteral("SECONDS")});
    line.addOption({name::sharePort,
                    QStringLiteral("Share the workspace over FTP on port N from the start, as "
                                   "the Share button does."),
                    QStringLiteral("N")});
    line.addNote(QStringLiteral(
        "Environment:\n"
        "  ORBILUX_HOME               keep the workspace (Quelmar/) in this directory\n"
        "                             instead of the home directory.\n"
        "  ORBILUX_WIFI_HOST          as --wifi-host,\n"
        "  ORBILUX_WIFI_WEB_PORT      as --wifi-web-port,\n"
        "  ORBILUX_WIFI_STREAM_PORT   as --wifi-stream-port,\n"
        "  ORBILUX_WIFI_NETWORK_NAME  as --wifi-network-name; the options win."));
}

std::variant<FtpServeOptions, cli::EarlyExit> readFtpServe(const cli::CommandLine &line)
{
    for (const QString &option : kWindowOnly) {
        if (line.isSet(option))
            return line.refusal(
                QStringLiteral("--%1 does not apply to --ftp-serve, which opens no window.")
                    .arg(option));
    }
    FtpServeOptions share;
    share.dir = line.value(name::ftpServe);
    if (share.dir.isEmpty())
        return line.refusal(QStringLiteral("--ftp-serve needs the directory to share."));
    const QFileInfo dir(share.dir);
    if (!dir.exists())
        return line.refusal(QStringLiteral("the directory %1 does not exist.").arg(share.dir));
    if (!dir.isDir())
        return line.refusal(QStringLiteral("%1 is not a directory.").arg(share.dir));
    if (line.isSet(name::port)) {
        const QString text = line.value(name::port);
        const auto port = cli::portNumber(text);
        if (!port)
            return line.refusal(cli::notAPort(QStringLiteral("--port"), text));
        share.port = *port;
    }
    return share;
}

// Applies a --wifi-*-port option; a refusal when its value is no port.
std::optional<cli::EarlyExit> readDevicePort(const cli::CommandLine &line, const QString &option,
                                             int &port)
{
    if (!line.isSet(option))
        return std::nullopt;
    const QString text = line.value(option);
    const auto value = cli::portNumber(text);
    if (!value)
        return line.refusal(cli::notAPort(QStringLiteral("--") + option, text));
    port = *value;
    return std::nullopt;
}

std::optional<cli::EarlyExit> readWindowOptions(const cli::CommandLine &line,
                                                const QProcessEnvironment &environment,
                                                OrbiluxOptions &options)
{
    if (line.isSet(name::port))
        return line.refusal(QStringLiteral(
            "--port applies to --ftp-serve; the window's share takes --share-port."));
    options.device = DeviceAddress::fromEnvironment(environment);
    if (line.isSet(name::wifiHost)) {
        const QString host = line.value(name::wifiHost).trimmed();
        if (host.isEmpty())
            return line.refusal(QStringLiteral("--wifi-host needs a host name or address."));
        options.device.host = host;
    }
    if (auto refused = readDevicePort(line, name::wifiWebPort, options.device.webPort))
        return refused;
    if (auto refused = readDevicePort(line, name::wifiStreamPort, options.device.streamPort))
        return refused;

    options.wifiNetworkName = line.isSet(name::wifiNetworkName)
                                  ? line.value(name::wifiNetworkName)
                                  : environment.value(QStringLiteral("ORBILUX_WIFI_NETWORK_NAME"));
    if (line.isSet(name::sharePort)) {
        const QString text = line.value(name::sharePort);
        const auto port = cli::portNumber(text);
        if (!port)
            return line.refusal(cli::notAPort(QStringLiteral("--share-port"), text));
        options.sharePort = *port;
    }
    options.connectWifi = line.isSet(name::connectWifi);
    options.connectUsb = line.isSet(name::connectUsb);
    if (options.connectWifi && options.connectUsb)
        return line.refusal(
            QStringLiteral("--connect-wifi and --connect-usb exclude each other: one camera at a "
                           "time."));
    options.demoCamera = line.isSet(name::demoCamera);
    options.record = line.isSet(name::record);
    if (line.isSet(name::exitAfter)) {
        const QString text = line.value(name::exitAfter);
        bool ok = false;
        const double seconds = text.trimmed().toDouble(&ok);
        // Beyond a day the timer's milliseconds would overflow; nobody measures that long.
        if (!ok || !(seconds > 0) || seconds > 86400)
            return line.refusal(
                QStringLiteral("--exit-after needs a number of seconds above 0, not \"%1\".")
                    .arg(text));
        options.exitAfter = seconds;
    }
    return std::nullopt;
}

} // namespace

std::variant<OrbiluxOptions, cli::EarlyExit>
parseOrbiluxCommandLine(const QStringList &arguments, const QProcessEnvironment &environment)
{
    cli::CommandLine line(QStringLiteral("orbilux"),
                          QStringLiteral("Orbilux: viewer for USB microscope cameras and the "
                                         "Wi-Fi microscope."));
    describeOptions(line);
    if (auto early = line.parse(arguments))
        return *early;

    OrbiluxOptions options;
    if (line.isSet(name::ftpAddress)) {
        const QString text = line.value(name::ftpAddress);
        if (!options.ftpAddress.setAddress(text.trimmed()))
            return line.refusal(QStringLiteral("%1 is not an IP address.").arg(text));
    }
    if (line.isSet(name::ftpServe)) {
        auto share = readFtpServe(line);
        if (auto *refused = std::get_if<cli::EarlyExit>(&share))
            return *refused;
        options.ftpServe = std::get<FtpServeOptions>(share);
        options.ftpServe->address = options.ftpAddress;
        return options;
    }
    if (auto refused = readWindowOptions(line, environment, options))
        return *refused;
    return options;
}

} // namespace quelmar::viewer
