#include "base/command_ids.h"
#include "base/registry_store.h"
#include "base/station_paths.h"
#include "base/station_settings.h"
#include "main_window_fixture.h"
#include "shell/main_menu.h"
#include "shell/qt_translations.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <gtest/gtest.h>

using namespace quelmar::station;
using quelmar::test::MainWindowTest;

namespace {

// The button texts Qt's own message boxes would show now.
QString yesText()
{
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    return box.button(QMessageBox::Yes)->text();
}

QString cancelText()
{
    return QCoreApplication::translate("QPlatformTheme", "Cancel");
}

struct QtLanguageCase {
    int command;
    const char *locale;
    const char *cancel; // Qt's "Cancel" in that language; the distribution has no Thai
};

void PrintTo(const QtLanguageCase &c, std::ostream *os)
{
    *os << "command " << c.command << " (" << c.locale << ")";
}

class QtCatalogue : public ::testing::TestWithParam<QtLanguageCase> {};

TEST_P(QtCatalogue, FollowsTheMenuLanguage)
{
    const QtLanguageCase c = GetParam();
    const auto item =
        std::find_if(languageMenuItems().begin(), languageMenuItems().end(),
                     [&](const LanguageMenuItem &i) { return i.command == c.command; });
    ASSERT_NE(item, languageMenuItems().end());
    EXPECT_EQ(qtLocaleName(item->language), QLatin1String(c.locale));

    QtTranslations translations;
    EXPECT_EQ(translations.choose(item->language), QString::fromUtf8(c.cancel) != u"Cancel");
    EXPECT_EQ(cancelText(), QString::fromUtf8(c.cancel));
}

INSTANTIATE_TEST_SUITE_P(MenuLanguages, QtCatalogue,
                         ::testing::Values(QtLanguageCase{cmd::LangEnglish, "", "Cancel"},
                                           QtLanguageCase{cmd::LangRussian, "ru", "Отмена"},
                                           QtLanguageCase{cmd::LangSimplified, "zh_CN", "取消"},
                                           QtLanguageCase{cmd::LangJapanese, "ja", "キャンセル"},
                                           QtLanguageCase{cmd::LangKorean, "ko", "취소"},
                                           QtLanguageCase{cmd::LangGerman, "de", "Abbrechen"},
                                           QtLanguageCase{cmd::LangTraditional, "zh_TW", "取消"},
                                           QtLanguageCase{cmd::LangPortuguese, "pt_PT", "Cancelar"},
                                           QtLanguageCase{cmd::LangThai, "th", "Cancel"},
                                           QtLanguageCase{cmd::LangTurkish, "tr", "İptal"},
                                           QtLanguageCase{cmd::LangBulgarian, "bg", "Отказ"},
                                           QtLanguageCase{cmd::LangSpanish, "es", "Cancelar"},
                                           QtLanguageCase{cmd::LangItalian, "it", "Annulla"}));

TEST(QtCatalogue, LeavesQtEnglishWhenDestroyed)
{
    {
        QtTranslations translations;
        ASSERT_TRUE(translations.choose({7, 0}));
        ASSERT_NE(cancelText(), QStringLiteral("Cancel"));
    }
    EXPECT_EQ(cancelText(), QStringLiteral("Cancel"));
}

TEST_F(MainWindowTest, QtTextsFollowTheStartLanguageAndEverySwitch)
{
    RegistryStore store(StationPaths::settingsStoreFile());
    SettingsIo io(store);
    io.createDefaults();
    StationSettings stored;
    stored.lanId = 25;
    io.writeLanguage(stored);
    open();
    EXPECT_EQ(cancelText(), QStringLiteral("Отмена"));

    window->onCommand(cmd::LangGerman);
    EXPECT_EQ(yesText(), QStringLiteral("&Ja"));
    window->onCommand(cmd::LangEnglish);
    EXPECT_EQ(yesText(), QStringLiteral("&Yes"));
    window.reset();
    EXPECT_EQ(cancelText(), QStringLiteral("Cancel"));
}

} // namespace
