#include "shell/scopedesk_options.h"

#include <optional>

namespace quelmar::station {

namespace {

// "1280x1024,640x480": every size from 16 x 16 to 8192 x 8192; nothing when any is not.
std::optional<std::vector<QSize>> sizeList(const QString &text)
{
    std::vector<QSize> sizes;
    for (const QString &item : text.split(u',')) {
        const QStringList sides = item.trimmed().split(u'x');
        bool okWidth = false, okHeight = false;
        const int width = sides.size() == 2 ? sides[0].toInt(&okWidth) : 0;
        const int height = sides.size() == 2 ? sides[1].toInt(&okHeight) : 0;
        if (!okWidth || !okHeight || width < 16 || height < 16 || width > 8192 || height > 8192)
            return std::nullopt;
        sizes.emplace_back(width, height);
    }
    return sizes;
}

} // namespace

std::variant<ScopeDeskOptions, cli::EarlyExit>
parseScopeDeskCommandLine(const QStringList &arguments)
{
    const QString demoCamera = QStringLiteral("demo-camera");
    const QString exitWhenShown = QStringLiteral("exit-when-shown");
    const QString demoSizes = QStringLiteral("demo-camera-sizes");
    const QString demoButton = QStringLiteral("demo-button-every");
    cli::CommandLine line(QStringLiteral("scopedesk"),
                          QStringLiteral("ScopeDesk: live view, stills, videos and measurement "
                                         "for USB microscope cameras."));
    line.addOption({demoCamera, QStringLiteral("Start with the built-in demo camera; the "
                                               "connected video devices stay in Video Setting.")});
    line.addOption({exitWhenShown, QStringLiteral("Print how long the main window took to show, "
                                                  "then quit (for start-up measurements).")});
    line.addOption({demoSizes,
                    QStringLiteral("With --demo-camera: the demo camera offers these frame sizes "
                                   "(WxH, comma-separated) instead of its own."),
                    QStringLiteral("SIZES")});
    line.addOption({demoButton,
                    QStringLiteral("With --demo-camera: press the demo camera's button, which "
                                   "takes a still, every SECONDS (1 to 3600)."),
                    QStringLiteral("SECONDS")});
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
    for (const QString &option : {demoSizes, demoButton}) {
        if (line.isSet(option) && !options.demoCamera)
            return line.refusal(QStringLiteral("--%1 needs --demo-camera.").arg(option));
    }
    if (line.isSet(demoSizes)) {
        const QString text = line.value(demoSizes);
        const auto sizes = sizeList(text);
        if (!sizes)
            return line.refusal(
                QStringLiteral("--%1 needs sizes such as 1280x1024,640x480, not \"%2\".")
                    .arg(demoSizes, text));
        options.demoCameraSizes = *sizes;
    }
    if (line.isSet(demoButton)) {
        const QString text = line.value(demoButton);
        bool ok = false;
        const int seconds = text.trimmed().toInt(&ok);
        if (!ok || seconds < 1 || seconds > 3600)
            return line.refusal(
                QStringLiteral("--%1 needs a number of seconds from 1 to 3600, not \"%2\".")
                    .arg(demoButton, text));
        options.demoButtonSeconds = seconds;
    }
    return options;
}

} // namespace quelmar::station
