// The answers a measuring test gives to "what is the actual distance?" at each calibration,
// in order; nothing (the dialog cancelled) once they run out.
#pragma once

#include <QString>

#include <deque>
#include <functional>
#include <optional>

namespace quelmar::test {

struct ScriptedDistances {
    std::deque<std::optional<double>> answers;

    std::function<std::optional<double>(const QString &)> asker()
    {
        return [this](const QString &) {
            std::optional<double> d;
            if (!answers.empty()) {
                d = answers.front();
                answers.pop_front();
            }
            return d;
        };
    }
};

} // namespace quelmar::test
