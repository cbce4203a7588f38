#include "cli/command_line.h"

#include <cstdio>

namespace quelmar::cli {

namespace {

const QString kHelp = QStringLiteral("help");
const QString kVersion = QStringLiteral("version");

// The options QGuiApplication and QApplication take out of argv themselves; they are accepted
// here so that `-platform offscreen` or `-style Fusion` still reach Qt.
void addQtWindowOptions(CommandLine &line)
{
    const char *const withValue[] = {"platform",
                                     "platformpluginpath",
                                     "platformtheme",
                                     "plugin",
                                     "qwindowgeometry",
                                     "geometry",
                                     "qwindowtitle",
                                     "title",
                                     "qwindowicon",
                                     "icon",
                                     "session",
                                     "display",
                                     "name",
                                     "style",
                                     "stylesheet",
                                     "qmljsdebugger"};
    const char *const flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    for (const char *name : withValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        line.addOption(option);
    }
    for (const char *name : flags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        line.addOption(option);
    }
}

} // namespace

QString suiteVersion()
{
    return QStringLiteral(QUELMAR_VERSION);
}

int finish(const EarlyExit &exit)
{
    std::FILE *stream = exit.code == 0 ? stdout : stderr;
    std::fputs(exit.text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
    return exit.code;
}

QStringList argumentList(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

std::optional<quint16> portNumber(const QString &text)
{
    bool ok = false;
    const int port = text.trimmed().toInt(&ok);
    if (!ok || port < 1 || port > 65535)
        return std::nullopt;
    return quint16(port);
}

QString notAPort(const QString &option, const QString &text)
{
    return QStringLiteral("%1 needs a port number from 1 to 65535, not \"%2\".").arg(option, text);
}

CommandLine::CommandLine(QString program, const QString &description) : program_(std::move(program))
{
    // Qt's window options are single-dash words (-platform, -style).
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.setApplicationDescription(description);
    addOption(QCommandLineOption({QStringLiteral("h"), kHelp, QStringLiteral("?")},
                                 QStringLiteral("Show this help and exit.")));
    addOption(QCommandLineOption({QStringLiteral("v"), kVersion},
                                 QStringLiteral("Show the version and exit.")));
    addQtWindowOptions(*this);
}

void CommandLine::addOption(const QCommandLineOption &option)
{
    parser_.addOption(option);
    names_ << option.names();
    if (!option.valueName().isEmpty())
        valueOptions_ << option.names().constFirst();
}

bool CommandLine::isOptionWord(const QString &argument) const
{
    if (!argument.startsWith(u'-'))
        return false;
    const QString word = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
    return names_.contains(word.section(u'=', 0, 0));
}

void CommandLine::addNote(const QString &paragraph)
{
    notes_ << paragraph;
}

std::optional<EarlyExit> CommandLine::parse(const QStringList &arguments)
{
    if (!parser_.parse(arguments))
        return refusal(parser_.errorText());
    if (parser_.isSet(kHelp))
        return EarlyExit{0, helpText()};
    if (parser_.isSet(kVersion))
        return EarlyExit{0, program_ + u' ' + suiteVersion() + u'\n'};
    // "--ftp-serve --port 21": Qt takes "--port" for the directory, which nobody meant.
    for (const QString &name : valueOptions_) {
        const QStringList values = parser_.values(name);
        for (const QString &value : values) {
            if (isOptionWord(value))
                return refusal(QStringLiteral("--%1 is missing its value: \"%2\" is an option.")
                                   .arg(name, value));
        }
    }
    const QStringList stray = parser_.positionalArguments();
    if (!stray.isEmpty())
        return refusal(QStringLiteral("unexpected argument \"%1\".").arg(stray.first()));
    return std::nullopt;
}

EarlyExit CommandLine::refusal(const QString &message) const
{
    return {kUsageExitCode, QStringLiteral("%1: %2\nTry '%1 --help' for the list of options.\n")
                                .arg(program_, message)};
}

QString CommandLine::helpText() const
{
    // Qt names the running executable (or a placeholder) in the usage line; the command's
    // own name reads better in a terminal and in the manual.
    QString text = parser_.helpText();
    text = QStringLiteral("Usage: %1 [options]").arg(program_) + text.mid(text.indexOf(u'\n'));
    for (const QString &note : notes_)
        text += u'\n' + note + u'\n';
    text += QStringLiteral("\nQt's own window options (-platform NAME, -style NAME, -reverse, ...) "
                           "are accepted too.\n");
    return text;
}

} // namespace quelmar::cli
