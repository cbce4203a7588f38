// A main window over test doubles: a scripted prompt, a recording sound, a device monitor
// the test drives and no camera, with the shipped language files and a throw-away home.
#pragma once

#include "recording_sound.h"
#include "scripted_prompt.h"
#include "shell/scopedesk_dlg.h"
#include "temp_home.h"

#include <camera/device_monitor.h>

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable strings in failure messages.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace quelmar::test {

class MainWindowTest : public ::testing::Test {
protected:
    TempHome home;
    ScriptedPrompt prompt;
    RecordingSound sound;
    DeviceMonitor monitor;
    std::unique_ptr<station::CScopeDeskDlg> window;

    void SetUp() override
    {
        qputenv("SCOPEDESK_SHARE_DIR", (sourceDir() + QStringLiteral("/resources")).toLocal8Bit());
        qputenv("LANG", "en_US.UTF-8");
    }

    void open()
    {
        window = std::make_unique<station::CScopeDeskDlg>(
            station::StationServices{&prompt, &sound, &monitor, nullptr});
    }

    QMenu *menu(int index) const { return window->menuBar()->actions().at(index)->menu(); }

    QList<QAction *> languageActions() const
    {
        return menu(1)->actions().constLast()->menu()->actions();
    }
};

} // namespace quelmar::test
