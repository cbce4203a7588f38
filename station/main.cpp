// ScopeDesk: the desktop station for a USB microscope camera.
#include "shell/scopedesk_app.h"
#include "shell/scopedesk_options.h"

#include <cli/command_line.h>
#include <cli/display_guard.h>

#include <QApplication>

#include <memory>

int main(int argc, char **argv)
{
    using namespace quelmar;
    // The command line is read first: --help, --version and refusals need no display.
    const auto parsed = station::parseScopeDeskCommandLine(cli::argumentList(argc, argv));
    if (const auto *early = std::get_if<cli::EarlyExit>(&parsed))
        return cli::finish(*early);

    std::unique_ptr<QApplication> app;
    {
        const cli::DisplayGuard guard(QStringLiteral("scopedesk"));
        app = std::make_unique<QApplication>(argc, argv);
    }
    QApplication::setApplicationName(QStringLiteral("ScopeDesk"));
    QApplication::setApplicationVersion(cli::suiteVersion());
    QApplication::setOrganizationName(QStringLiteral("Quelmar"));
    QApplication::setDesktopFileName(QStringLiteral("com.quelmar.ScopeDesk"));
    station::CScopeDeskApp station;
    return station.run(std::get<station::ScopeDeskOptions>(parsed));
}
