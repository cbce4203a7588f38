// A Prompt whose answers the test scripts; it records every message shown.
#pragma once

#include "base/prompt.h"

#include <QDialog>
#include <QString>

#include <deque>
#include <functional>
#include <vector>

namespace quelmar::test {

class ScriptedPrompt final : public station::Prompt {
public:
    struct Shown {
        QString title;
        QString text;
        station::PromptIcon icon;
        station::PromptButtons buttons;
    };

    std::vector<Shown> messages;
    std::deque<station::PromptAnswer> answers; // Yes/No answers in order; default No
    std::deque<QString> fileAnswers; // open and save dialogs; an empty path or none cancels
    std::vector<station::FileDialogRequest> fileRequests;
    std::function<int(QDialog &)> onDialog; // default: reject
    std::function<void()> onQuestion; // runs while a Yes/No question is open, before its answer
    std::deque<std::optional<station::FontChoice>> fontAnswers; // none left: cancelled
    std::deque<QColor> colorAnswers;                            // none left: cancelled

    station::PromptAnswer message(const QString &title, const QString &text,
                                  station::PromptIcon icon, station::PromptButtons buttons) override
    {
        messages.push_back({title, text, icon, buttons});
        if (buttons == station::PromptButtons::Ok)
            return station::PromptAnswer::Ok;
        if (onQuestion)
            onQuestion();
        if (answers.empty())
            return station::PromptAnswer::No;
        const auto a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<QString> openFile(const station::FileDialogRequest &r) override
    {
        return nextFile(r);
    }
    std::optional<QString> saveFile(const station::FileDialogRequest &r) override
    {
        return nextFile(r);
    }
    std::optional<QColor> chooseColor(const QColor &) override
    {
        if (colorAnswers.empty())
            return std::nullopt;
        const QColor answer = colorAnswers.front();
        colorAnswers.pop_front();
        return answer;
    }
    std::optional<station::FontChoice> chooseFont(const QFont &, const QColor &) override
    {
        if (fontAnswers.empty())
            return std::nullopt;
        auto answer = fontAnswers.front();
        fontAnswers.pop_front();
        return answer;
    }
    int runDialog(QDialog &dialog) override
    {
        return onDialog ? onDialog(dialog) : int(QDialog::Rejected);
    }

    QString lastText() const { return messages.empty() ? QString() : messages.back().text; }

private:
    std::optional<QString> nextFile(const station::FileDialogRequest &r)
    {
        fileRequests.push_back(r);
        if (fileAnswers.empty())
            return std::nullopt;
        const QString answer = fileAnswers.front();
        fileAnswers.pop_front();
        if (answer.isEmpty())
            return std::nullopt;
        return answer;
    }
};

} // namespace quelmar::test
