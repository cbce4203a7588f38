// Every modal interaction of the viewer goes through this interface, so tests answer it and
// nothing blocks a headless run.
#pragma once

#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>

namespace quelmar::viewer {

class ViewerPrompt {
public:
    virtual ~ViewerPrompt() = default;
    // A modal alert with only the message and the default button.
    virtual void alert(const QString &message) = 0;
    // A whole number from `min` to `max`, `suggested` at first; empty when cancelled.
    virtual std::optional<int> askNumber(const QString &message, int suggested, int min,
                                         int max) = 0;
    // An alert titled `title` with `text` and the buttons "OK" and "Cancel"; true for OK.
    virtual bool confirm(const QString &title, const QString &text) = 0;
    // A save panel titled `title` for files ending in `extension` ("jpg"); the chosen path
    // (the panel asked before choosing an existing file), or empty when cancelled.
    virtual std::optional<QString> saveFile(const QString &title, const QString &suggestedName,
                                            const QString &extension) = 0;
    virtual std::optional<QColor> chooseColor(const QColor &initial) = 0;
};

class WidgetViewerPrompt final : public ViewerPrompt {
public:
    void setParent(QWidget *parent) { parent_ = parent; }
    void alert(const QString &message) override;
    std::optional<int> askNumber(const QString &message, int suggested, int min, int max) override;
    bool confirm(const QString &title, const QString &text) override;
    std::optional<QString> saveFile(const QString &title, const QString &suggestedName,
                                    const QString &extension) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;

private:
    QPointer<QWidget> parent_;
};

// Opens a file in the desktop's default application.
class DesktopOpener {
public:
    virtual ~DesktopOpener() = default;
    virtual bool open(const QString &path) = 0;
};

class SystemDesktopOpener final : public DesktopOpener {
public:
    bool open(const QString &path) override;
};

} // namespace quelmar::viewer
