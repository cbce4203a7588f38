#include "base/command_ids.h"
#include "base/registry_store.h"
#include "base/station_paths.h"
#include "base/station_settings.h"
#include "capture/capture_sizes.h"
#include "capture/preview_widget.h"
#include "library/media_library.h"
#include "library/small_picture_wnd.h"
#include "library/thumbnail_lists.h"
#include "main_window_fixture.h"
#include "measure/calibration.h"
#include "measure/pen_dlg.h"
#include "shell/bitmap_check_button.h"
#include "shell/device_recheck.h"
#include "shell/tool_records.h"

#include <camera/device_monitor.h>
#include <image/jpeg_codec.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStyle>
#include <gtest/gtest.h>

using namespace quelmar::station;
using quelmar::DeviceChange;
using quelmar::test::ScriptedPrompt;

namespace {

using quelmar::test::MainWindowTest;

TEST_F(MainWindowTest, StartsNotConnectedWithTheStatusText)
{
    open();
    EXPECT_FALSE(window->isConnected());
    EXPECT_EQ(window->preview()->statusText(),
              QStringLiteral("Please connect Quelmar Digital Microscope"));
    EXPECT_FALSE(window->button(cmd::TakePicture)->isEnabled());
    EXPECT_EQ(window->button(cmd::Negative)->toolTip(), QStringLiteral("Negative"));
    const QStringList menus = [&] {
        QStringList titles;
        for (QAction *a : window->menuBar()->actions())
            titles << a->text();
        return titles;
    }();
    EXPECT_EQ(menus, (QStringList{"Folder", "Setting", "Capture", "Help"}));
}

TEST_F(MainWindowTest, ToolTipsComeUpAfterAHundredMilliseconds)
{
    open();
    EXPECT_TRUE(window->testAttribute(Qt::WA_AlwaysShowToolTips));
    int tools = 0;
    for (const ToolRecord &r : kToolRecords) {
        const CBitmapCheckButton *b = window->button(r.command);
        EXPECT_EQ(b->style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, b), 100)
            << r.tipKey;
        ++tools;
    }
    EXPECT_EQ(tools, 25);
}

TEST_F(MainWindowTest, LanguageMenuSwitchesAtOnceAndIsStored)
{
    open();
    for (QAction *a : languageActions())
        EXPECT_FALSE(a->isChecked()) << "LanID 0 checks no language";

    window->onCommand(cmd::LangRussian);
    const QString folderMenu = window->menuBar()->actions().at(0)->text();
    EXPECT_NE(folderMenu, QStringLiteral("Folder"));
    EXPECT_TRUE(folderMenu.at(0).unicode() >= 0x400 && folderMenu.at(0).unicode() < 0x500);
    EXPECT_NE(window->button(cmd::Negative)->toolTip(), QStringLiteral("Negative"));

    const QList<QAction *> langs = languageActions();
    ASSERT_EQ(langs.size(), 13);
    for (QAction *a : langs)
        EXPECT_EQ(a->isChecked(), a->data().toInt() == cmd::LangRussian);

    RegistryStore store(StationPaths::settingsStoreFile());
    EXPECT_EQ(store.readDword(keys::language, QStringLiteral("LanID")), 25u);
    EXPECT_EQ(store.readDword(keys::language, QStringLiteral("SubLanIDD")), 0u);
}

QStringList textsOf(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *a : menu->actions())
        if (!a->isSeparator())
            texts << a->text();
    return texts;
}

QMenu *liveToolMenu(const CScopeDeskDlg &w)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the menus replaced
    return w.findChild<QMenu *>(QString(), Qt::FindDirectChildrenOnly);
}

QMenu *stripContextMenu(const CScopeDeskDlg &w)
{
    Q_EMIT w.library()->strip()->contextMenuRequested(QPoint(0, 0));
    QMenu *menu = w.centralWidget()->findChild<QMenu *>();
    menu->close();
    return menu;
}

TEST_F(MainWindowTest, OnAnEnglishSystemEveryPlaceShowsItsOwnDefault)
{
    open();
    ASSERT_TRUE(window->language().filePath().endsWith(QStringLiteral("English1252.ini")));
    EXPECT_EQ(window->button(cmd::TakePicture)->toolTip(), QStringLiteral("Camera"));
    EXPECT_EQ(window->button(cmd::TakeVideo)->toolTip(), QStringLiteral("Recording Video"));
    EXPECT_EQ(window->button(cmd::TimeLapse)->toolTip(), QStringLiteral("Timer"));
    EXPECT_EQ(window->button(cmd::SaveAs)->toolTip(), QStringLiteral("Save as"));
    EXPECT_EQ(window->menuBar()->actions().at(1)->text(), QStringLiteral("Setting"));
    const QStringList setting = textsOf(menu(1));
    EXPECT_TRUE(setting.contains(QStringLiteral("Measurement Setting")))
        << setting.join(u'|').toStdString();
    EXPECT_TRUE(setting.contains(QStringLiteral("Scale Line")));
    EXPECT_TRUE(setting.contains(QStringLiteral("Circle Grid")));
    EXPECT_EQ(textsOf(menu(2)), (QStringList{"Take Picture...     F2", "Take Video/Stop...  F3/F4",
                                             "Take time lapsed Pictures"}));
    EXPECT_EQ(textsOf(liveToolMenu(*window)),
              (QStringList{"Undo", "Redo", "Delete All", "Crosshair", "Scale line", "circle Grid",
                           "Settings", "Export2Excel"}));
    EXPECT_EQ(
        textsOf(stripContextMenu(*window)),
        (QStringList{"Open...", "save", "Save All", "Delete...", "Delete All", "Print", "E-Mail"}));

    window->onCommand(cmd::TakePicture);
    window->onCommand(cmd::TimeLapse);
    ASSERT_EQ(prompt.messages.size(), 2u);
    EXPECT_EQ(prompt.messages[0].text, QStringLiteral("Please return to the preview state"));
    EXPECT_EQ(prompt.messages[1].text, QStringLiteral("Please select a picture or video"));
}

TEST_F(MainWindowTest, ExportAndSaveEntriesAreTranslated)
{
    open();
    window->onCommand(cmd::LangGerman);
    Language german(window->language());
    EXPECT_EQ(textsOf(liveToolMenu(*window)).constLast(),
              german.text(QStringLiteral("TipProperty"), QStringLiteral("-")));
    EXPECT_EQ(textsOf(stripContextMenu(*window)).at(1),
              german.text(QStringLiteral("TipSave"), QStringLiteral("-")));
    EXPECT_NE(textsOf(stripContextMenu(*window)).at(1), QStringLiteral("-"));
    EXPECT_NE(textsOf(liveToolMenu(*window)).constLast(), QStringLiteral("Export2Excel"));
}

TEST_F(MainWindowTest, RebuildingTheMenusLeavesNoOldMenusBehind)
{
    open();
    const auto counts = [&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return std::pair(window->findChildren<QMenu *>().size(),
                         window->findChildren<QAction *>().size());
    };
    const auto before = counts();
    for (int i = 0; i < 3; ++i) {
        // From inside the language menu, as a click does.
        for (QAction *a : languageActions())
            if (a->data().toInt() == (i % 2 ? cmd::LangEnglish : cmd::LangGerman)) {
                a->trigger();
                break;
            }
        window->onCommand(cmd::SnapshotSwitch);
        window->recheckDevices();
        Q_EMIT window->library()->strip()->contextMenuRequested(QPoint(0, 0));
    }
    for (QMenu *m : window->findChildren<QMenu *>())
        m->close();
    EXPECT_EQ(counts(), before);
}

// The E-Mail button and the strip's Print entry reach the library; this window has neither a
// mail system nor a printer.
TEST_F(MainWindowTest, EMailButtonAndPrintEntryWorkOnTheSelectedFile)
{
    const QString tmp = home.file(QStringLiteral("Quelmar files2/Default/Picture/tmp"));
    QDir().mkpath(tmp);
    quelmar::Frame picture(64, 48);
    quelmar::writeJpeg(tmp + QStringLiteral("/Still_N0001.jpg"), picture.view());
    quelmar::writeJpeg(tmp + QStringLiteral("/../Still_N0001.jpg"), picture.view());
    open();
    window->button(cmd::EMail)->click();
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Please select a picture or video"));

    CSmallPictureWnd *strip = window->library()->strip();
    ASSERT_TRUE(strip->HitTest(thumbnailCell(0, strip->clientSize()).center()));
    prompt.onDialog = [](QDialog &dialog) { return dialog.exec(); };
    window->button(cmd::EMail)->click();
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Unable to load the mail system."));
    for (QAction *a : stripContextMenu(*window)->actions())
        if (a->text() == QStringLiteral("Print"))
            a->trigger();
    EXPECT_EQ(prompt.lastText(), QStringLiteral("No printer found!"));
    EXPECT_EQ(prompt.messages.size(), 3u);
}

TEST_F(MainWindowTest, StillAndTimeLapseOutsideThePreviewStateWarnWithTheirOwnDefaults)
{
    // Without language files every text is the default of its place of use.
    qputenv("SCOPEDESK_SHARE_DIR", home.path().toLocal8Bit());
    open();
    window->onCommand(cmd::TakePicture);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, QStringLiteral("Please return to the preview state"));
    EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Warning);
    EXPECT_EQ(prompt.messages[0].title, QStringLiteral("Quelmar"));
    window->onCommand(cmd::TimeLapse);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Please select a picture or video"));
}

TEST_F(MainWindowTest, MeasurementSettingOpensThePenDialogOnTheWindowsSettings)
{
    open();
    QString title;
    prompt.onDialog = [&](QDialog &d) {
        auto *pen = dynamic_cast<CPenDlg *>(&d);
        if (pen) {
            title = d.windowTitle();
            pen->unitGroup()->button(1)->click(); // cm, stored at once
        }
        return int(QDialog::Rejected);
    };
    window->onCommand(cmd::MeasurementSetting);
    EXPECT_EQ(title, QStringLiteral("Pen setting"));
    EXPECT_EQ(window->settings().unit, QStringLiteral("cm"));
}

TEST_F(MainWindowTest, MagnificationBoxBringsACalibratedScaleBack)
{
    quelmar::test::writeAll(StationPaths::calibrationFile(), "[60]\n60=171.3\n[100]\n100=2.5\n");
    open();
    auto *magnification = window->findChildren<QLineEdit *>().at(1);
    auto *scaleBox = window->findChildren<QLineEdit *>().at(0);
    EXPECT_EQ(magnification->text(), QStringLiteral("60"));
    EXPECT_EQ(scaleBox->text(), QStringLiteral("171.3"));
    magnification->setText(QStringLiteral("40"));
    EXPECT_TRUE(scaleBox->text().isEmpty());
    magnification->setText(QStringLiteral("100"));
    EXPECT_EQ(window->measureScale().choose(), 2.5);
}

TEST_F(MainWindowTest, AnsweringNoToTheCloseQuestionKeepsRunning)
{
    open();
    window->show();
    prompt.answers = {PromptAnswer::No};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, QStringLiteral("Are you sure to close?"));
    EXPECT_EQ(prompt.messages[0].buttons, PromptButtons::YesNo);

    prompt.answers = {PromptAnswer::Yes};
    EXPECT_TRUE(window->close());
}

TEST_F(MainWindowTest, BurstOfDeviceNoticesLeadsToOneRecheck)
{
    open();
    for (int i = 0; i < 5; ++i)
        Q_EMIT monitor.deviceChanged(DeviceChange::TreeChanged);
    EXPECT_EQ(window->recheckCount(), 0);
    const DeviceChangeDebouncer *debouncer = window->findChild<DeviceChangeDebouncer *>();
    ASSERT_NE(debouncer, nullptr);
    QSignalSpy spy(debouncer, &DeviceChangeDebouncer::recheck);
    ASSERT_TRUE(spy.wait(3000));
    EXPECT_EQ(window->recheckCount(), 1);
    EXPECT_FALSE(debouncer->isPending()) << "no second re-check is waiting";

    // One camera plugged in: its capture node, its metadata node, its button, change events.
    QElapsedTimer settling;
    settling.start();
    for (const DeviceChange change :
         {DeviceChange::Arrived, DeviceChange::Arrived, DeviceChange::Arrived,
          DeviceChange::TreeChanged, DeviceChange::Arrived})
        Q_EMIT monitor.deviceChanged(change);
    ASSERT_TRUE(spy.wait(3000));
    EXPECT_EQ(window->recheckCount(), 2) << "one plug, one re-check";
    // Timers may fire a little early; far later than an arrival's wait is what counts.
    EXPECT_GE(settling.elapsed(), 2 * DeviceChangeDebouncer::kArrivalMs)
        << "an arrival does not cut short the wait for the burst";
    EXPECT_FALSE(debouncer->isPending());

    // A removal alone is checked soon, without the second's wait.
    settling.restart();
    Q_EMIT monitor.deviceChanged(DeviceChange::Removed);
    ASSERT_TRUE(spy.wait(3000));
    EXPECT_EQ(window->recheckCount(), 3);
    EXPECT_LT(settling.elapsed(), DeviceChangeDebouncer::kTreeChangedMs);
    EXPECT_FALSE(window->isConnected());
}

} // namespace
