// Every modal interaction of the station goes through this interface, so that tests answer
// it and nothing blocks a headless run. The widgets implement it with Qt dialogs.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

class QDialog;

namespace quelmar::station {

enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptButtons { Ok, YesNo };
enum class PromptAnswer { Ok, Yes, No };

struct FileDialogRequest {
    QString title;
    QString proposedPath; // directory plus proposed name
    QString filter;       // Qt filter syntax: "Bitmap Files (*.bmp);;JPEG Files (*.jpg)"
    QString defaultSuffix;
    bool confirmOverwrite = true;
};

// A font with the colour to write in, as the font chooser with effects returns them.
struct FontChoice {
    QFont font;
    QColor colour;
};

class Prompt {
public:
    virtual ~Prompt() = default;

    virtual PromptAnswer message(const QString &title, const QString &text, PromptIcon icon,
                                 PromptButtons buttons = PromptButtons::Ok) = 0;
    virtual std::optional<QString> openFile(const FileDialogRequest &request) = 0;
    virtual std::optional<QString> saveFile(const FileDialogRequest &request) = 0;
    virtual std::optional<QColor> chooseColor(const QColor &initial) = 0;
    virtual std::optional<FontChoice> chooseFont(const QFont &initial, const QColor &colour) = 0;
    // Runs a dialog modally and returns its result code (QDialog::Accepted or Rejected).
    virtual int runDialog(QDialog &dialog) = 0;

    bool askYesNo(const QString &title, const QString &text, PromptIcon icon)
    {
        return message(title, text, icon, PromptButtons::YesNo) == PromptAnswer::Yes;
    }
};

} // namespace quelmar::station
