#include "shell/scopedesk_app.h"

#include "shell/qt_sound_player.h"
#include "shell/scopedesk_dlg.h"
#include "shell/station_services.h"
#include "shell/widget_prompt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

namespace quelmar::station {

struct CScopeDeskApp::Parts {
    WidgetPrompt prompt;
    QtSoundPlayer sound;
};

CScopeDeskApp::CScopeDeskApp() : parts_(std::make_unique<Parts>()) {}

CScopeDeskApp::~CScopeDeskApp() = default;

int CScopeDeskApp::run(const QStringList &arguments)
{
    QElapsedTimer sinceStart;
    sinceStart.start();

    StationServices services;
    services.prompt = &parts_->prompt;
    services.sound = &parts_->sound;

    CScopeDeskDlg window(services);
    parts_->prompt.setParent(&window);
    window.show();

    // For the start-up measurement: report when the window is on screen, then leave.
    if (arguments.contains(QStringLiteral("--exit-when-shown"))) {
        QTimer::singleShot(0, &window, [&] {
            std::printf("main window shown after %lld ms\n",
                        static_cast<long long>(sinceStart.elapsed()));
            std::fflush(stdout);
            QApplication::exit(0);
        });
    }
    return QApplication::exec();
}

} // namespace quelmar::station
