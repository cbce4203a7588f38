// `cmake --install` into a scratch prefix, read back with the desktop's own tools: every file
// in its place and nothing else, desktop entries and metainfo that pass desktop-file-validate
// and appstreamcli, manual pages that render and agree with --help, and installed programs
// that answer without a display.
#include "child_process.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

using quelmar::test::ChildRun;
using quelmar::test::runWithoutDisplay;

// A set as one sorted line, so that a failure shows what differs.
std::string listed(const QSet<QString> &set)
{
    QStringList items(set.begin(), set.end());
    items.sort();
    return items.join(u' ').toStdString();
}

ChildRun tool(const QString &program, const QStringList &arguments)
{
    return runWithoutDisplay(program, arguments,
                             {{QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")},
                              {QStringLiteral("MANWIDTH"), QStringLiteral("80")}});
}

// One installation per test program, removed when it ends.
struct Installation {
    QTemporaryDir prefix;
    ChildRun install;

    Installation()
    {
        install = tool(QStringLiteral(QUELMAR_CMAKE),
                       {QStringLiteral("--install"), QStringLiteral(QUELMAR_BUILD_DIR),
                        QStringLiteral("--prefix"), prefix.path()});
    }
    QString path(const QString &relative) const { return prefix.filePath(relative); }
};

const Installation &installation()
{
    static const Installation installed;
    return installed;
}

class Installed : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(installation().install.finished);
        ASSERT_EQ(installation().install.code, 0) << installation().install.err.toStdString();
    }
    static QString path(const QString &relative) { return installation().path(relative); }
};

TEST_F(Installed, EveryFileInItsPlaceAndNothingElse)
{
    QSet<QString> expected = {
        "bin/scopedesk",
        "bin/orbilux",
        "share/applications/com.quelmar.ScopeDesk.desktop",
        "share/applications/com.quelmar.Orbilux.desktop",
        "share/metainfo/com.quelmar.ScopeDesk.metainfo.xml",
        "share/metainfo/com.quelmar.Orbilux.metainfo.xml",
        "share/icons/hicolor/scalable/apps/scopedesk.svg",
        "share/icons/hicolor/scalable/apps/orbilux.svg",
        "share/man/man1/scopedesk.1.gz",
        "share/man/man1/orbilux.1.gz",
    };
    const QString sources = QStringLiteral(QUELMAR_SOURCE_DIR "/resources");
    const auto languages = QDir(sources + QStringLiteral("/lang")).entryList({"*.ini"});
    EXPECT_EQ(languages.size(), 13);
    for (const QString &name : languages)
        expected << QStringLiteral("share/quelmar/lang/") + name;
    for (const QString &name : QDir(sources + QStringLiteral("/udev")).entryList({"*.rules"}))
        expected << QStringLiteral("lib/udev/rules.d/") + name;

    QSet<QString> installed;
    const QDir root(installation().prefix.path());
    QDirIterator it(root.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        installed << root.relativeFilePath(it.next());
    EXPECT_EQ(listed(installed), listed(expected));
    EXPECT_TRUE(QFileInfo(path("bin/scopedesk")).isExecutable());
    EXPECT_TRUE(QFileInfo(path("bin/orbilux")).isExecutable());
}

struct Program {
    const char *name; // the command
    const char *id;   // the desktop entry's and the metainfo's name
};

class InstalledProgram : public Installed, public ::testing::WithParamInterface<Program> {
protected:
    QString name() const { return QString::fromLatin1(GetParam().name); }
    QString id() const { return QString::fromLatin1(GetParam().id); }
    ChildRun runInstalled(const QStringList &arguments) const
    {
        return runWithoutDisplay(path(QStringLiteral("bin/") + name()), arguments);
    }
};

QString desktopValue(const QString &file, const QString &key)
{
    QFile entry(file);
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    while (!entry.atEnd()) {
        const QString line = QString::fromUtf8(entry.readLine()).trimmed();
        if (line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    }
    return {};
}

TEST_P(InstalledProgram, DesktopEntryIsValidAndStartsTheInstalledProgram)
{
    const QString entry = path(QStringLiteral("share/applications/%1.desktop").arg(id()));
    const ChildRun validate = tool(QStringLiteral("desktop-file-validate"), {entry});
    ASSERT_TRUE(validate.finished);
    EXPECT_EQ(validate.code, 0);
    EXPECT_EQ(validate.out + validate.err, QString()); // not even hints
    EXPECT_EQ(desktopValue(entry, QStringLiteral("Exec")), name());
    EXPECT_EQ(desktopValue(entry, QStringLiteral("TryExec")), name());
    const QString icon = desktopValue(entry, QStringLiteral("Icon"));
    EXPECT_TRUE(
        QFile::exists(path(QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(icon))))
        << icon.toStdString();
}

struct Metainfo {
    QString id, launchable, binary, newestRelease;
};

Metainfo readMetainfo(const QString &file)
{
    Metainfo info;
    QFile xml(file);
    if (!xml.open(QIODevice::ReadOnly))
        return info;
    QXmlStreamReader reader(&xml);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto element = reader.name();
        if (element == QLatin1String("id") && info.id.isEmpty())
            info.id = reader.readElementText();
        else if (element == QLatin1String("launchable"))
            info.launchable = reader.readElementText();
        else if (element == QLatin1String("binary"))
            info.binary = reader.readElementText();
        else if (element == QLatin1String("release") && info.newestRelease.isEmpty())
            info.newestRelease = reader.attributes().value(QLatin1String("version")).toString();
    }
    return info;
}

TEST_P(InstalledProgram, MetainfoIsValidAndNamesThisVersion)
{
    const QString file = path(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(id()));
    const ChildRun validate = tool(QStringLiteral("appstreamcli"),
                                   {QStringLiteral("validate"), QStringLiteral("--no-net"), file});
    ASSERT_TRUE(validate.finished);
    EXPECT_EQ(validate.code, 0) << validate.out.toStdString();

    const Metainfo info = readMetainfo(file);
    EXPECT_EQ(info.id, id());
    EXPECT_EQ(info.launchable, id() + QStringLiteral(".desktop"));
    EXPECT_EQ(info.binary, name());
    const ChildRun version = runInstalled({QStringLiteral("--version")});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, QStringLiteral("%1 %2\n").arg(name(), info.newestRelease));
}

// The long options a text names: "--name" in --help, "\-\-name" in a manual page's source.
QSet<QString> longOptions(const QString &text)
{
    QSet<QString> names;
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])--([a-z]+(?:-[a-z]+)*)"));
    for (const auto &match : option.globalMatch(text))
        names << match.captured(1);
    return names;
}

TEST_P(InstalledProgram, ManualPageRendersAndAgreesWithHelpAndVersion)
{
    const QString page = path(QStringLiteral("share/man/man1/%1.1.gz").arg(name()));
    const ChildRun rendered =
        tool(QStringLiteral("man"), {QStringLiteral("--warnings"), QStringLiteral("-l"), page});
    ASSERT_TRUE(rendered.finished);
    EXPECT_EQ(rendered.code, 0);
    EXPECT_EQ(rendered.err, QString());

    const ChildRun help = runInstalled({QStringLiteral("--help")});
    ASSERT_EQ(help.code, 0);
    const QSet<QString> inHelp = longOptions(help.out);
    const QSet<QString> inPage = longOptions(rendered.out);
    EXPECT_FALSE(inHelp.isEmpty());
    EXPECT_EQ(listed(inPage), listed(inHelp));

    // The page's footer carries the version it describes.
    const ChildRun version = runInstalled({QStringLiteral("--version")});
    const QString number = version.out.section(u' ', 1).trimmed();
    EXPECT_TRUE(rendered.out.contains(QStringLiteral("Quelmar ") + number)) << number.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Programs, InstalledProgram,
                         ::testing::Values(Program{"scopedesk", "com.quelmar.ScopeDesk"},
                                           Program{"orbilux", "com.quelmar.Orbilux"}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
