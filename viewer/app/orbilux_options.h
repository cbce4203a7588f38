// What the orbilux command line asks for: the window with its device address and test hooks,
// or with --ftp-serve a share of one directory without a window. Read before the window
// system starts, so that --help, --version and the headless share need no display.
#pragma once

#include "app/ftp_share.h"
#include "device/device_address.h"

#include <cli/command_line.h>

#include <QHostAddress>
#include <QProcessEnvironment>
#include <QStringList>

#include <optional>
#include <variant>

namespace quelmar::viewer {

struct OrbiluxOptions {
    // Set: share this directory over FTP until a signal, and open no window.
    std::optional<FtpServeOptions> ftpServe;

    // The window's run.
    DeviceAddress device;    // defaults, then ORBILUX_WIFI_*, then --wifi-*
    QString wifiNetworkName; // empty: NetworkManager tells the network's name
    QHostAddress ftpAddress = QHostAddress(QHostAddress::Any); // where the share listens
    bool connectWifi = false;         // choose the Wi-Fi microscope at once
    bool connectUsb = false;          // choose the first USB camera at once
    bool demoCamera = false;          // the demo camera first among the USB cameras
    bool record = false;              // start a recording with the first picture shown
    std::optional<double> exitAfter;  // seconds until the window quits and reports its frames
    std::optional<quint16> sharePort; // share the workspace over FTP at start, on this port
};

// The options, or how the run ends at once: help, version or a refusal.
std::variant<OrbiluxOptions, cli::EarlyExit> parseOrbiluxCommandLine(
    const QStringList &arguments,
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

} // namespace quelmar::viewer
