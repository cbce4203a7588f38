#include "shell/main_menu.h"

#include "base/command_ids.h"
#include "capture/capture_sizes.h"

#include <QMenu>
#include <QMenuBar>

namespace quelmar::station {

namespace {

QString sizeCaption(QSize s)
{
    return QStringLiteral("%1*%2").arg(s.width()).arg(s.height());
}

void addItem(QMenu *menu, const Language &language, int command, const char *key,
             const char *fallback, const std::function<void(int)> &dispatch)
{
    QAction *a = menu->addAction(
        language.text(QString::fromLatin1(key), 128, QString::fromLatin1(fallback)));
    a->setData(command);
    QObject::connect(a, &QAction::triggered, menu, [dispatch, command] { dispatch(command); });
}

} // namespace

const std::vector<LanguageMenuItem> &languageMenuItems()
{
    static const std::vector<LanguageMenuItem> items = {
        {cmd::LangEnglish, "English", "English(English)", {9, 0}},
        {cmd::LangRussian, "Russian", "Russian(Russia)", {25, 0}},
        {cmd::LangSimplified, "Simplified", "Chinese(Simplified)", {4, 2}},
        {cmd::LangJapanese, "Japanese", "Japanese(Japanese)", {17, 0}},
        {cmd::LangKorean, "Korean", "Korean(Korean)", {18, 0}},
        {cmd::LangGerman, "German", "German(German)", {7, 0}},
        {cmd::LangTraditional, "Traditional", "Chinese(Traditional)", {4, 1}},
        {cmd::LangPortuguese, "Portuguese", "Portuguese(Portugal)", {22, 0}},
        {cmd::LangThai, "Thai", "Thai(Thailand)", {30, 0}},
        {cmd::LangTurkish, "Turkey", "Turkish(Turkey)", {31, 0}},
        {cmd::LangBulgarian, "Bulgerian", "Bulgerian(Bulgeria)", {2, 0}},
        {cmd::LangSpanish, "Spanish", "Spanish(Spanish)", {10, 0}},
        {cmd::LangItalian, "Italian", "Italian(Italy)", {16, 0}},
    };
    return items;
}

void buildMainMenu(QMenuBar *bar, const Language &language, const MenuState &state,
                   const std::function<void(int)> &dispatch)
{
    // clear() only takes the drop-downs off the bar; they are the bar's children and stay
    // alive. A language item rebuilds the bar from inside its own menu, so it goes later.
    for (QAction *a : bar->actions())
        if (QMenu *old = a->menu())
            old->deleteLater();
    bar->clear();
    const auto t = [&](const char *key, const char *fallback) {
        return language.text(QString::fromLatin1(key), 128, QString::fromLatin1(fallback));
    };

    QMenu *folder = bar->addMenu(t("Folder", "Folder"));
    addItem(folder, language, cmd::NewFolder, "New", "New", dispatch);
    addItem(folder, language, cmd::FolderManager, "FolderManager", "Folder Manager", dispatch);
    addItem(folder, language, cmd::FolderProperties, "FolderProperties", "Folder Properties",
            dispatch);
    folder->addSeparator();
    addItem(folder, language, cmd::Exit, "Exit", "Exit", dispatch);

    QMenu *setting = bar->addMenu(t("Setting", "Setting"));
    const SensorClassSizes sizes = sensorClassSizes(state.sensorClass);
    const QString high = sizeCaption(sizes.high);
    const QString low = sizeCaption(sizes.low);
    addItem(setting, language, cmd::HighResolution, high.toLatin1().constData(),
            high.toLatin1().constData(), dispatch);
    addItem(setting, language, cmd::LowResolution, low.toLatin1().constData(),
            low.toLatin1().constData(), dispatch);
    addItem(setting, language, cmd::VideoSetting, "Device...", "Video Setting", dispatch);
    addItem(setting, language, cmd::MeasurementSetting, "Setting", "Measurement Setting", dispatch);
    addItem(setting, language, cmd::Crosshair, "Crosshair", "Crosshair", dispatch);
    addItem(setting, language, cmd::ScaleLine, "ScaleLine", "Scale Line", dispatch);
    addItem(setting, language, cmd::CircleGrid, "CircleGrid", "Circle Grid", dispatch);
    if (state.snapshotOn)
        addItem(setting, language, cmd::SnapshotSwitch, "SnapshotDisable", "Snapshot Disable",
                dispatch);
    else
        addItem(setting, language, cmd::SnapshotSwitch, "SnapshotEnable", "Snapshot Enable",
                dispatch);
    QMenu *languages = setting->addMenu(t("Changelanguage", "Change language"));
    for (const LanguageMenuItem &item : languageMenuItems()) {
        addItem(languages, language, item.command, item.key, item.fallback, dispatch);
        QAction *a = languages->actions().constLast();
        a->setCheckable(true);
        a->setChecked(item.language == state.language);
    }

    QMenu *capture = bar->addMenu(t("Capture", "Capture"));
    addItem(capture, language, cmd::TakePicture, "TakePicture", "Take Picture...     F2", dispatch);
    addItem(capture, language, cmd::TakeVideo, "TakeVideo", "Take Video/Stop...  F3/F4", dispatch);
    addItem(capture, language, cmd::TimeLapse, "TaketimelapsedPictures",
            "Take time lapsed Pictures", dispatch);

    QMenu *help = bar->addMenu(t("Help", "Help"));
    addItem(help, language, cmd::About, "PaneCapAbout", "About Quelmar", dispatch);
}

QMenu *buildLiveToolMenu(QWidget *parent, const Language &language,
                         const std::function<void(int)> &dispatch)
{
    auto *menu = new QMenu(parent);
    addItem(menu, language, cmd::LiveUndo, "Undo", "Undo", dispatch);
    addItem(menu, language, cmd::LiveRedo, "Redo", "Redo", dispatch);
    addItem(menu, language, cmd::LiveDeleteAll, "DeleteAll", "Delete All", dispatch);
    addItem(menu, language, cmd::Crosshair, "Crosshair", "Crosshair", dispatch);
    addItem(menu, language, cmd::ScaleLine, "ScaleLine", "Scale line", dispatch);
    addItem(menu, language, cmd::CircleGrid, "CircleGrid", "circle Grid", dispatch);
    addItem(menu, language, cmd::MeasurementSetting, "Setting", "Settings", dispatch);
    addItem(menu, language, cmd::ExportToExcel, "TipProperty", "Export2Excel", dispatch);
    return menu;
}

} // namespace quelmar::station
