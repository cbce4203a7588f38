// Tells the owning thread's event loop when video4linux nodes and input event nodes (camera
// buttons, which may appear after their camera's video node) come and go, from libudev.
// Without a udev daemon it watches /dev instead.
#pragma once

#include "camera/device_monitor.h"
#include "camera/v4l2/dev_directory_monitor.h"
#include "camera/v4l2/linux_handles.h"

#include <QSocketNotifier>

#include <memory>
#include <string_view>

namespace quelmar {

class UdevDeviceMonitor final : public DeviceMonitor {
    Q_OBJECT
public:
    // Without udev (as in many containers) the monitor watches `devDirectory` with inotify.
    explicit UdevDeviceMonitor(QObject *parent = nullptr,
                               const QString &devDirectory = QStringLiteral("/dev"));
    ~UdevDeviceMonitor() override;
    Q_DISABLE_COPY_MOVE(UdevDeviceMonitor)

    // Whether udev events reach the monitor.
    bool isActive() const { return notifier_ != nullptr; }
    // Whether the /dev directory is watched instead.
    bool isWatchingDirectory() const { return directory_ && directory_->isActive(); }

    // The change a udev action stands for: "add" and "remove" name a node; anything else
    // ("change", "bind", ...) only says the tree moved.
    static DeviceChange changeForAction(std::string_view action);

private:
    bool startUdev();
    void readEvents();

    v4l2::UdevPtr udev_;
    v4l2::UdevMonitorPtr monitor_;
    // A child, so it follows moveToThread(); destroyed before the socket it watches.
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<DevDirectoryMonitor> directory_; // only without udev
};

} // namespace quelmar
