// Notices about cameras coming and going, delivered on the thread that owns the monitor.
#pragma once

#include <QObject>

namespace quelmar {

enum class DeviceChange {
    TreeChanged, // something changed; wait for the burst to settle
    Arrived,     // a camera node appeared
    Removed,     // a camera node is gone
};

class DeviceMonitor : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

Q_SIGNALS:
    void deviceChanged(quelmar::DeviceChange change);
};

} // namespace quelmar
