#include "shell/scopedesk_options.h"

namespace quelmar::station {

std::variant<ScopeDeskOptions, cli::EarlyExit>
parseScopeDeskCommandLine(const QStringList &arguments)
{
    const QString demoCamera = QStringLiteral("demo-camera");
    const QString exitWhenShown = QStringLiteral("exit-when-shown");
    cli::CommandLine line(QStringLiteral("scopedesk"),
                          QStringLiteral("ScopeDesk: live view, stills, videos and measurement "
                                         "for USB microscope cameras."));
    line.addOption({demoCamera, QStringLiteral("Start with the built-in demo camera; the "
                                               "connected video devices stay in Video Setting.")});
    line.addOption({exitWhenShown, QStringLiteral("Print how long the main window took to show, "
                                                  "then quit (for start-up measurements).")});
    line.addNote(QStringLiteral(
        "Environment:\n"
        "  SCOPEDESK_HOME       keep settings, calibration and the workspace in this\n"
        "                       directory instead of ~/.config/ScopeDesk and\n"
        "                       ~/Documents/Quelmar files2.\n"
        "  SCOPEDESK_SHARE_DIR  use this directory, with the language files in its lang/,\n"
        "                       instead of the installed share/quelmar."));
    if (auto early = line.parse(arguments))
        return *early;

    ScopeDeskOptions options;
    options.demoCamera = line.isSet(demoCamera);
    options.exitWhenShown = line.isSet(exitWhenShown);
    return options;
}

} // namespace quelmar::station
