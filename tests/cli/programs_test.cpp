// Both programs run as child processes where no display can be reached: --help and
// --version answer, refusals exit with 2 on standard error, and a window run ends with one
// line and status 1 instead of Qt's abort. Qt's own -platform option still reaches Qt.
#include "child_process.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using quelmar::test::ChildRun;

QString programPath(const QString &name)
{
    return name == QLatin1String("scopedesk") ? QStringLiteral(SCOPEDESK_PROGRAM)
                                              : QStringLiteral(ORBILUX_PROGRAM);
}

// Per-user files go to `home`, so that a run that does open its window touches nothing real.
ChildRun run(const QString &program, const QStringList &arguments, const QString &home,
             QList<std::pair<QString, QString>> environment = {})
{
    environment.append({QStringLiteral("SCOPEDESK_HOME"), home});
    environment.append({QStringLiteral("ORBILUX_HOME"), home});
    return quelmar::test::runWithoutDisplay(programPath(program), arguments, environment);
}

struct Case {
    const char *name;
    const char *program;
    QStringList arguments; // "%DIR%" stands for an existing directory
    int code;
    const char *out; // contained in standard output; nothing when it must stay empty
    const char *err; // contained in standard error; nothing when it must stay empty
    QList<std::pair<QString, QString>> environment = {};
};

class WithoutDisplay : public ::testing::TestWithParam<Case> {};

TEST_P(WithoutDisplay, AnswersWithTheStatusAndTheTextOnTheRightStream)
{
    const Case &c = GetParam();
    QTemporaryDir home;
    QStringList arguments = c.arguments;
    arguments.replaceInStrings(QStringLiteral("%DIR%"), home.path());
    const ChildRun r = run(QString::fromLatin1(c.program), arguments, home.path(), c.environment);
    ASSERT_TRUE(r.finished);
    ASSERT_EQ(r.status, QProcess::NormalExit) << "crashed: " << r.err.toStdString();
    EXPECT_EQ(r.code, c.code) << r.err.toStdString();
    const auto expect = [](const QString &stream, const char *text) {
        if (text)
            EXPECT_TRUE(stream.contains(QString::fromUtf8(text))) << stream.toStdString();
        else
            EXPECT_TRUE(stream.isEmpty()) << stream.toStdString();
    };
    expect(r.out, c.out);
    expect(r.err, c.err);
    // Without a display the reason is one line, not Qt's plugin list.
    if (c.code == 1) {
        EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Programs, WithoutDisplay,
    ::testing::Values(
        Case{"ScopeDeskHelp", "scopedesk", {"--help"}, 0, "Usage: scopedesk [options]", nullptr},
        Case{"ScopeDeskVersion", "scopedesk", {"--version"}, 0, "scopedesk ", nullptr},
        Case{"ScopeDeskUnknownOption",
             "scopedesk",
             {"--bogus"},
             2,
             nullptr,
             "scopedesk: Unknown option 'bogus'."},
        Case{"ScopeDeskWindow",
             "scopedesk",
             {"--demo-camera"},
             1,
             nullptr,
             "scopedesk: cannot open a window: no display can be reached (DISPLAY is not set"},
        Case{"ScopeDeskUnreachableDisplay",
             "scopedesk",
             {},
             1,
             nullptr,
             "no display can be reached (DISPLAY=:97,",
             {{QStringLiteral("DISPLAY"), QStringLiteral(":97")}}},
        Case{"OrbiluxHelp", "orbilux", {"-h"}, 0, "--ftp-serve <DIR>", nullptr},
        Case{"OrbiluxVersion", "orbilux", {"--version"}, 0, "orbilux ", nullptr},
        Case{"OrbiluxUnknownOption",
             "orbilux",
             {"--wifi-hots", "127.0.0.1"},
             2,
             nullptr,
             "orbilux: Unknown option 'wifi-hots'."},
        Case{"OrbiluxBadSharePort",
             "orbilux",
             {"--ftp-serve", "%DIR%", "--port", "0"},
             2,
             nullptr,
             "--port needs a port number from 1 to 65535, not \"0\""},
        Case{"OrbiluxBadDevicePort",
             "orbilux",
             {"--wifi-web-port", "eighty"},
             2,
             nullptr,
             "not \"eighty\""},
        Case{"OrbiluxWindow",
             "orbilux",
             {"--connect-wifi"},
             1,
             nullptr,
             "orbilux: cannot open a window: no display can be reached"},
        Case{"OrbiluxUnknownPlatform",
             "orbilux",
             {},
             1,
             nullptr,
             "QT_QPA_PLATFORM=nowhere",
             {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("nowhere")}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Programs, QtPlatformOptionReachesQt)
{
    QTemporaryDir home;
    const ChildRun station =
        run(QStringLiteral("scopedesk"),
            {QStringLiteral("-platform"), QStringLiteral("offscreen"),
             QStringLiteral("--demo-camera"), QStringLiteral("--exit-when-shown")},
            home.path());
    EXPECT_EQ(station.status, QProcess::NormalExit);
    EXPECT_EQ(station.code, 0) << station.err.toStdString();
    EXPECT_TRUE(station.out.startsWith(QStringLiteral("main window shown after ")))
        << station.out.toStdString();
}

} // namespace
