// Turns device-change notices into re-checks of the camera: a burst of "something changed"
// notices settles into one re-check a second after the last; arrivals and removals re-check
// at once.
#pragma once

#include <camera/device_monitor.h>

#include <QObject>
#include <QTimer>

namespace quelmar::station {

class DeviceChangeDebouncer : public QObject {
    Q_OBJECT
public:
    explicit DeviceChangeDebouncer(QObject *parent = nullptr);

    void notice(quelmar::DeviceChange change);
    bool isPending() const { return timer_.isActive(); }

Q_SIGNALS:
    void recheck();

private:
    QTimer timer_; // the one-second re-check timer
};

} // namespace quelmar::station
