// Tells the owning thread's event loop when video4linux nodes come and go, from libudev.
#pragma once

#include "camera/device_monitor.h"
#include "camera/v4l2/linux_handles.h"

#include <QSocketNotifier>

#include <memory>
#include <string_view>

namespace quelmar {

class UdevDeviceMonitor final : public DeviceMonitor {
    Q_OBJECT
public:
    // Without udev (as in many containers) the monitor stays inert and logs why.
    explicit UdevDeviceMonitor(QObject *parent = nullptr);
    ~UdevDeviceMonitor() override;
    Q_DISABLE_COPY_MOVE(UdevDeviceMonitor)

    // Whether udev events reach the monitor.
    bool isActive() const { return notifier_ != nullptr; }

    // The change a udev action stands for: "add" and "remove" name a node; anything else
    // ("change", "bind", ...) only says the tree moved.
    static DeviceChange changeForAction(std::string_view action);

private:
    void readEvents();

    v4l2::UdevPtr udev_;
    v4l2::UdevMonitorPtr monitor_;
    // A child, so it follows moveToThread(); destroyed before the socket it watches.
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace quelmar
