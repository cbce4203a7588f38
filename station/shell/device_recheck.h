// Turns device-change notices into re-checks of the camera. One camera coming or going makes
// several notices (its capture node, its metadata node, its button, change events, the end of
// its stream): they settle into one re-check, a short moment after the last arrival or
// removal, or a second after the last notice that only says something changed.
#pragma once

#include <camera/device_monitor.h>

#include <QObject>
#include <QTimer>

namespace quelmar::station {

class DeviceChangeDebouncer : public QObject {
    Q_OBJECT
public:
    static constexpr int kTreeChangedMs = 1000;
    static constexpr int kArrivalMs = 300;

    explicit DeviceChangeDebouncer(QObject *parent = nullptr);

    void notice(quelmar::DeviceChange change);
    bool isPending() const { return timer_.isActive(); }

Q_SIGNALS:
    void recheck();

private:
    QTimer timer_; // the re-check timer
};

} // namespace quelmar::station
