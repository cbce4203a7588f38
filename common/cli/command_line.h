// A program's command line, read before any window exists: --help and --version answer on
// the terminal, Qt's own window options (-platform, -style, ...) pass through to Qt, and
// anything else unknown or badly formed is refused with a message and status 2.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

namespace quelmar::cli {

// The exit status of a run refused for its command line.
inline constexpr int kUsageExitCode = 2;

// The suite's version, the same for both programs and their package.
QString suiteVersion();

// A run that ends with reading its command line: help or version text for standard output
// with status 0, or a refusal for standard error with kUsageExitCode.
struct EarlyExit {
    int code = 0;
    QString text; // ends with a line break
};

// Prints the text to the stream its status belongs to and returns the status.
int finish(const EarlyExit &exit);

// The arguments of main() as Qt spells them, program name first.
QStringList argumentList(int argc, char **argv);

// A number from 1 to 65535; nothing for anything else.
std::optional<quint16> portNumber(const QString &text);
// Why `text` given to `option` is no port.
QString notAPort(const QString &option, const QString &text);

class CommandLine {
public:
    // `program` is the command's name as the user types it; `description` the line under
    // "Usage:" in the help.
    CommandLine(QString program, const QString &description);
    CommandLine(const CommandLine &) = delete;
    CommandLine &operator=(const CommandLine &) = delete;

    void addOption(const QCommandLineOption &option);
    // A paragraph shown after the options, such as the environment variables read.
    void addNote(const QString &paragraph);

    // Nothing when the run goes on and the values can be read; else the help, the version or
    // the refusal of an unknown option, a missing value (also where the next option was taken
    // for it) or a stray argument.
    std::optional<EarlyExit> parse(const QStringList &arguments);

    bool isSet(const QString &name) const { return parser_.isSet(name); }
    QString value(const QString &name) const { return parser_.value(name); }

    // "PROGRAM: MESSAGE" and where to find the options.
    EarlyExit refusal(const QString &message) const;
    QString helpText() const;

private:
    bool isOptionWord(const QString &argument) const;

    QString program_;
    QStringList notes_;
    QStringList names_;        // every option's names, Qt's too
    QStringList valueOptions_; // the first name of every option that takes a value
    QCommandLineParser parser_;
};

} // namespace quelmar::cli
