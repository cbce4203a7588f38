// The main window's menu bar, rebuilt in the current language at start, after a language
// change and after the snapshot switch.
#pragma once

#include "base/language.h"

#include <functional>

class QMenuBar;
class QMenu;
class QWidget;

namespace quelmar::station {

struct MenuState {
    int sensorClass = 0;
    bool snapshotOn = false;
    LanguagePair language;
};

struct LanguageMenuItem {
    int command;
    const char *key;
    const char *fallback;
    LanguagePair language;
};
// The thirteen languages of the menu, in menu order.
const std::vector<LanguageMenuItem> &languageMenuItems();

void buildMainMenu(QMenuBar *bar, const Language &language, const MenuState &state,
                   const std::function<void(int)> &dispatch);

// The live tool menu below the tool-menu button.
QMenu *buildLiveToolMenu(QWidget *parent, const Language &language,
                         const std::function<void(int)> &dispatch);

} // namespace quelmar::station
