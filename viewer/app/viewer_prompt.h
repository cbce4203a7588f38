// Every modal alert of the viewer goes through this interface, so tests answer it and
// nothing blocks a headless run.
#pragma once

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
};

class WidgetViewerPrompt final : public ViewerPrompt {
public:
    void setParent(QWidget *parent) { parent_ = parent; }
    void alert(const QString &message) override;
    std::optional<int> askNumber(const QString &message, int suggested, int min, int max) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace quelmar::viewer
