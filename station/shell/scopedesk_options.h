// What the scopedesk command line asks for. Read before the window system starts, so that
// --help and --version answer without a display.
#pragma once

#include <cli/command_line.h>

#include <QSize>
#include <QStringList>

#include <variant>
#include <vector>

namespace quelmar::station {

struct ScopeDeskOptions {
    bool demoCamera = false;    // the built-in demo camera instead of the V4L2 devices
    bool exitWhenShown = false; // print the start-up time once the window shows, then quit
    // The demo camera's frame sizes instead of its own list (each in MJPG and YUYV).
    std::vector<QSize> demoCameraSizes;
    // Seconds between presses of the demo camera's button, each a still; 0: never.
    int demoButtonSeconds = 0;
};

// The options, or how the run ends at once: help, version or a refusal.
std::variant<ScopeDeskOptions, cli::EarlyExit>
parseScopeDeskCommandLine(const QStringList &arguments);

} // namespace quelmar::station
