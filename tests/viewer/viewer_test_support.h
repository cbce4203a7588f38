// Stand-ins for what the viewer asks of the user and the desktop, and a workspace of its own
// for each test (ORBILUX_HOME in a temporary directory).
#pragma once

#include "app/view_controller.h"
#include "app/viewer_prompt.h"
#include "app/viewer_sound.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <vector>

namespace quelmar::test {

// Answers from scripts; an empty script means cancelled (or Cancel). Records what was shown.
class ScriptedViewerPrompt final : public viewer::ViewerPrompt {
public:
    void alert(const QString &message) override { alerts << message; }
    std::optional<int> askNumber(const QString &, int suggested, int min, int max) override
    {
        asked.push_back({suggested, min, max});
        return next(numbers);
    }
    bool confirm(const QString &title, const QString &text) override
    {
        confirmations << title + u'|' + text;
        return next(confirmAnswers).value_or(false);
    }
    std::optional<QString> saveFile(const QString &title, const QString &suggestedName,
                                    const QString &extension) override
    {
        saveRequests << title + u'|' + suggestedName + u'|' + extension;
        return next(saveAnswers);
    }
    std::optional<QColor> chooseColor(const QColor &) override { return next(colours); }

    struct Asked {
        int suggested, min, max;
    };
    QStringList alerts;
    QStringList confirmations; // "title|text"
    QStringList saveRequests;  // "title|suggested name|extension"
    std::deque<std::optional<int>> numbers;
    std::deque<bool> confirmAnswers;
    std::deque<QString> saveAnswers;
    std::deque<QColor> colours;
    std::vector<Asked> asked;

private:
    template <typename T> static std::optional<T> next(std::deque<T> &script)
    {
        if (script.empty())
            return std::nullopt;
        T value = script.front();
        script.pop_front();
        return value;
    }
    template <typename T> static std::optional<T> next(std::deque<std::optional<T>> &script)
    {
        if (script.empty())
            return std::nullopt;
        std::optional<T> value = script.front();
        script.pop_front();
        return value;
    }
};

class RecordingViewerSound final : public viewer::ViewerSound {
public:
    void play(viewer::ViewerSoundId sound) override { played.push_back(sound); }
    std::vector<viewer::ViewerSoundId> played;
};

class RecordingOpener final : public viewer::DesktopOpener {
public:
    bool open(const QString &path) override
    {
        opened << path;
        return true;
    }
    QStringList opened;
};

// ORBILUX_HOME in a fresh directory for the test's lifetime.
class ViewerHome {
public:
    ViewerHome() { qputenv("ORBILUX_HOME", dir_.path().toLocal8Bit()); }
    ~ViewerHome() { qunsetenv("ORBILUX_HOME"); }
    ViewerHome(const ViewerHome &) = delete;
    ViewerHome &operator=(const ViewerHome &) = delete;

    QString path() const { return dir_.path(); }
    // A path under the workspace root ("Quelmar/...").
    QString workspace(const QString &relative = {}) const
    {
        return dir_.filePath(QStringLiteral("Quelmar/") + relative);
    }

private:
    QTemporaryDir dir_;
};

} // namespace quelmar::test
