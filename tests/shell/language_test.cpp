#include "base/code_page.h"
#include "base/language.h"
#include "shell/main_menu.h"
#include "temp_home.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace quelmar::station;

namespace {

struct FileCase {
    std::uint16_t lanId;
    std::uint16_t subLanId;
    const char *file;
};

class LanguageFileTable : public ::testing::TestWithParam<FileCase> {};

TEST_P(LanguageFileTable, ChoosesTheFileOfTheLanguage)
{
    const FileCase c = GetParam();
    EXPECT_EQ(languageFileName({c.lanId, c.subLanId}), QLatin1String(c.file));
}

INSTANTIATE_TEST_SUITE_P(
    Table, LanguageFileTable,
    ::testing::Values(FileCase{4, 1, "Chinese950.ini"}, FileCase{4, 2, "Chinese936.ini"},
                      FileCase{4, 0, "Chinese936.ini"}, FileCase{14, 0, "English1252.ini"},
                      FileCase{9, 0, "English1252.ini"}, FileCase{7, 3, "German1252.ini"},
                      FileCase{2, 0, "Bulgarian442.ini"}, FileCase{42, 0, "Vietnamese1258.ini"}));

TEST(SystemLanguage, LanIdZeroFollowsTheSystemLocale)
{
    EXPECT_EQ(effectiveLanguage({0, 5}, QStringLiteral("de_DE.UTF-8")), (LanguagePair{7, 0}));
    EXPECT_EQ(languageFileName(effectiveLanguage({0, 0}, QStringLiteral("de_AT@euro"))),
              QStringLiteral("German1252.ini"));
    EXPECT_EQ(effectiveLanguage({0, 0}, QStringLiteral("zh_TW.UTF-8")), (LanguagePair{4, 0}));
    EXPECT_EQ(effectiveLanguage({0, 0}, QStringLiteral("C")), (LanguagePair{9, 0}));
    EXPECT_EQ(effectiveLanguage({25, 0}, QStringLiteral("de_DE")), (LanguagePair{25, 0}));
}

TEST(LanguageLookup, MissingFileOrKeyGivesTheDefaultCutToCapacity)
{
    quelmar::test::TempHome home;
    Language lang(home.path());
    lang.choose({7, 0});
    EXPECT_EQ(lang.text(QStringLiteral("SureClose"), QStringLiteral("Are you sure to close?")),
              QStringLiteral("Are you sure to close?"));

    quelmar::test::writeAll(home.file(QStringLiteral("German1252.ini")),
                            "[DeskCap]\r\nsureclose=Wirklich schlie\xDF"
                            "en?\r\nOk=Gut\r\nOK=Nein\r\n");
    lang.choose({7, 0});
    EXPECT_EQ(lang.text(QStringLiteral("SureClose"), QStringLiteral("x")),
              QStringLiteral(u"Wirklich schließen?"));
    EXPECT_EQ(lang.text(QStringLiteral("OK"), QStringLiteral("x")), QStringLiteral("Gut"))
        << "keys ignore case; the first line wins";
    EXPECT_EQ(lang.text(QStringLiteral("Missing"), 6, QStringLiteral("Default text")),
              QStringLiteral("Defau"));
    EXPECT_EQ(lang.text(QStringLiteral("SureClose"), 9, QStringLiteral("x")),
              QStringLiteral("Wirklich"));
}

TEST(LanguageLookup, ShippedFilesDecodeByTheirCodePage)
{
    Language lang(quelmar::test::sourceDir() + QStringLiteral("/resources/lang"));
    lang.choose({25, 0});
    const QString russian = lang.text(QStringLiteral("Exit"), QStringLiteral("Exit"));
    EXPECT_NE(russian, QStringLiteral("Exit"));
    EXPECT_TRUE(std::any_of(russian.begin(), russian.end(), [](QChar c) {
        return c.unicode() >= 0x400 && c.unicode() < 0x500;
    })) << russian.toStdString();

    lang.choose({17, 0});
    const QString japanese = lang.text(QStringLiteral("Cancel"), QStringLiteral("Cancel"));
    EXPECT_TRUE(std::any_of(japanese.begin(), japanese.end(), [](QChar c) {
        return c.unicode() >= 0x3000;
    })) << japanese.toStdString();
    EXPECT_FALSE(japanese.contains(QChar::ReplacementCharacter));
}

TEST(CodePage, DecodesNonLatinTextAndSurvivesInvalidBytes)
{
    EXPECT_EQ(decodeCodePage("\xCF\xF0\xE8\xE2\xE5\xF2", 1251), QStringLiteral(u"Привет"));
    EXPECT_EQ(decodeCodePage("\xC4\xE3\xBA\xC3", 936), QStringLiteral(u"你好"));
    EXPECT_EQ(decodeCodePage(encodeCodePage(QStringLiteral(u"สวัสดี"), 874), 874),
              QStringLiteral(u"สวัสดี"));
    // A lone lead byte at the end of a double-byte text must not stop or crash decoding.
    const QString cut = decodeCodePage("\xC4\xE3\xBA", 936);
    EXPECT_TRUE(cut.startsWith(QStringLiteral(u"你")));
}

} // namespace

namespace {

QString shippedDir()
{
    return quelmar::test::sourceDir() + QStringLiteral("/resources/lang");
}

// The keys of a decoded language file, folded to lower case as the lookup folds them.
QSet<QString> keysOf(const QString &decoded)
{
    QSet<QString> keys;
    bool inSection = false;
    for (const QString &raw : decoded.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[')) {
            inSection = line.compare(QStringLiteral("[DeskCap]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (inSection && eq > 0)
            keys.insert(line.left(eq).trimmed().toLower());
    }
    return keys;
}

QString decodedFile(const QString &name)
{
    return decodeCodePage(quelmar::test::readAll(shippedDir() + u'/' + name),
                          codePageOfLanguageFile(name));
}

// Keys whose English default differs between their places of use, with two of the defaults.
struct PlaceDependentKey {
    const char *key;
    const char *oneDefault;
    const char *otherDefault;
};

constexpr PlaceDependentKey kPlaceDependentKeys[] = {
    {"BrowseToCamera", "Please return to the preview state", "Please select a picture or video"},
    {"SelectFile", "Please select an image or video", "Please select a picture or video"},
    {"Second", "Second", "Seconds"},
    {"TakePicture", "Camera", "Take Picture...     F2"},
    {"TakeVideo", "Recording Video", "Take Video/Stop...  F3/F4"},
    {"TaketimelapsedPictures", "Timer", "Take time lapsed Pictures"},
    {"Setting", "Measurement Setting", "Settings"},
    {"TipSave", "Save as", "Save"},
    {"ScaleLine", "Scale Line", "Scale line"},
    {"CircleGrid", "Circle Grid", "circle Grid"},
    {"SureDeleteAll", "Are you sure to delete?", "Are you sure to delete all?"},
    {"EnterText", "Please input text!", "Please enter text:"},
    {"Rectangle", "Retangle", "Rectangle"},
    {"Delete", "Delete...", "Delete"},
    {"DeleteAll", "Delete All", "DeleteAll"},
};

class ShippedLanguageFile : public ::testing::TestWithParam<std::string> {};

TEST_P(ShippedLanguageFile, DecodesCleanlyAndHasEveryEnglishKey)
{
    const QString name = QString::fromStdString(GetParam());
    const QString decoded = decodedFile(name);
    ASSERT_FALSE(decoded.isEmpty()) << GetParam();
    EXPECT_FALSE(decoded.contains(QChar::ReplacementCharacter)) << GetParam();

    const QSet<QString> keys = keysOf(decoded);
    for (const QString &english : keysOf(decodedFile(QStringLiteral("English1252.ini"))))
        EXPECT_TRUE(keys.contains(english)) << GetParam() << " lacks " << english.toStdString();
    // The English file leaves these out; every translation has one text for all places.
    if (name != QLatin1String("English1252.ini")) {
        for (const PlaceDependentKey &k : kPlaceDependentKeys)
            EXPECT_TRUE(keys.contains(QString::fromLatin1(k.key).toLower()))
                << GetParam() << " lacks " << k.key;
    }
}

// Every language of the menu, by the file its identifiers choose.
std::vector<std::string> menuLanguageFiles()
{
    std::vector<std::string> files;
    for (const LanguageMenuItem &item : languageMenuItems())
        files.push_back(languageFileName(item.language).toStdString());
    return files;
}

INSTANTIATE_TEST_SUITE_P(MenuLanguages, ShippedLanguageFile,
                         ::testing::ValuesIn(menuLanguageFiles()));

TEST(EnglishLanguageFile, LeavesPlaceDependentKeysToTheirPlaces)
{
    Language english(shippedDir());
    english.choose({9, 0});
    for (const PlaceDependentKey &k : kPlaceDependentKeys) {
        const QString key = QString::fromLatin1(k.key);
        EXPECT_EQ(english.text(key, QString::fromLatin1(k.oneDefault)),
                  QString::fromLatin1(k.oneDefault));
        EXPECT_EQ(english.text(key, QString::fromLatin1(k.otherDefault)),
                  QString::fromLatin1(k.otherDefault));
    }
    EXPECT_EQ(english.text(QStringLiteral("TipProperty"), QStringLiteral("x")),
              QStringLiteral("Export2Excel"));
}

} // namespace
