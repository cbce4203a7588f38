// The Prompt of a running station: Qt message boxes and dialogs over the given parent.
#pragma once

#include "base/prompt.h"

#include <QPointer>
#include <QWidget>

namespace quelmar::station {

class WidgetPrompt final : public Prompt {
public:
    explicit WidgetPrompt(QWidget *parent = nullptr) : parent_(parent) {}
    void setParent(QWidget *parent) { parent_ = parent; }

    PromptAnswer message(const QString &title, const QString &text, PromptIcon icon,
                         PromptButtons buttons) override;
    std::optional<QString> openFile(const FileDialogRequest &request) override;
    std::optional<QString> saveFile(const FileDialogRequest &request) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    std::optional<FontChoice> chooseFont(const QFont &initial, const QColor &colour) override;
    int runDialog(QDialog &dialog) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace quelmar::station
