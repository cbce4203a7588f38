// Hands the mouse on the live picture to the live measurement: positions in the main
// window's client area, left presses, double clicks, moves and right presses. While a shape
// is in progress the preview holds the pointer, so points outside stay at the area's edge.
#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace quelmar::station {

class LiveMeasure;

class LiveMouseRouter : public QObject {
    Q_OBJECT
public:
    // `client` is the widget whose coordinates are the client area; `changed` runs after
    // every event that reached the live measurement.
    LiveMouseRouter(QWidget *preview, QWidget *client, LiveMeasure &live,
                    std::function<void()> changed);

    // Holds the pointer on the preview, or lets it go.
    void hold(bool on);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *preview_;
    QWidget *client_;
    LiveMeasure &live_;
    std::function<void()> changed_;
};

} // namespace quelmar::station
