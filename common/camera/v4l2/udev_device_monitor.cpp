#include "camera/v4l2/udev_device_monitor.h"

#include <QLoggingCategory>

#include <fcntl.h>
#include <unistd.h>

namespace quelmar {

namespace {

Q_LOGGING_CATEGORY(lcMonitor, "quelmar.camera.monitor", QtCriticalMsg)

// Bounds one wake-up, so a storm of events cannot starve the event loop.
constexpr int maxEventsPerWakeUp = 64;

// The udev daemon's control socket. Only the daemon sends "udev" events; without it (as in
// most containers) a monitor would wait for nothing.
constexpr const char *udevDaemonSocket = "/run/udev/control";

// Reading a batch of events must never block the event loop.
bool makeNonBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0)
        return false;
    return (flags & O_NONBLOCK) != 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// Filters for video and input nodes and opens the socket; false when udev refuses.
bool startReceiving(udev_monitor *monitor)
{
    return udev_monitor_filter_add_match_subsystem_devtype(monitor, "video4linux", nullptr) >= 0 &&
           udev_monitor_filter_add_match_subsystem_devtype(monitor, "input", nullptr) >= 0 &&
           udev_monitor_enable_receiving(monitor) >= 0 &&
           makeNonBlocking(udev_monitor_get_fd(monitor));
}

// Input devices come as an inputN device without node and its eventN child: one notice each
// is enough, from the node a camera button would be read through.
bool concernsCameras(udev_device *device)
{
    const char *subsystem = udev_device_get_subsystem(device);
    if (subsystem == nullptr || std::string_view(subsystem) != "input")
        return true;
    const char *node = udev_device_get_devnode(device);
    return node != nullptr && std::string_view(node).starts_with("/dev/input/event");
}

} // namespace

UdevDeviceMonitor::UdevDeviceMonitor(QObject *parent, const QString &devDirectory)
    : DeviceMonitor(parent)
{
    if (startUdev())
        return;
    directory_ = std::make_unique<DevDirectoryMonitor>(devDirectory);
    connect(directory_.get(), &DeviceMonitor::deviceChanged, this, &DeviceMonitor::deviceChanged);
    if (!directory_->isActive())
        qCWarning(lcMonitor) << "camera changes are not noticed";
}

bool UdevDeviceMonitor::startUdev()
{
    if (::access(udevDaemonSocket, F_OK) != 0) {
        qCDebug(lcMonitor) << "udev daemon not running; watching the device directory";
        return false;
    }
    udev_.reset(udev_new());
    if (!udev_) {
        qCWarning(lcMonitor) << "udev unavailable";
        return false;
    }
    monitor_.reset(udev_monitor_new_from_netlink(udev_.get(), "udev"));
    if (!monitor_) {
        qCWarning(lcMonitor) << "no udev monitor";
        return false;
    }
    if (!startReceiving(monitor_.get())) {
        qCWarning(lcMonitor) << "udev monitor does not receive";
        monitor_.reset();
        return false;
    }
    notifier_ = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(monitor_.get()),
                                                  QSocketNotifier::Read, this);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &UdevDeviceMonitor::readEvents);
    qCDebug(lcMonitor) << "watching video4linux and input devices";
    return true;
}

UdevDeviceMonitor::~UdevDeviceMonitor() = default;

DeviceChange UdevDeviceMonitor::changeForAction(std::string_view action)
{
    if (action == "add")
        return DeviceChange::Arrived;
    if (action == "remove")
        return DeviceChange::Removed;
    return DeviceChange::TreeChanged;
}

void UdevDeviceMonitor::readEvents()
{
    for (int event = 0; event < maxEventsPerWakeUp; ++event) {
        const v4l2::UdevDevicePtr device(udev_monitor_receive_device(monitor_.get()));
        if (!device)
            return;
        if (!concernsCameras(device.get()))
            continue;
        const char *action = udev_device_get_action(device.get());
        const char *node = udev_device_get_devnode(device.get());
        qCDebug(lcMonitor) << (action ? action : "(none)") << (node ? node : "(no node)");
        Q_EMIT deviceChanged(
            changeForAction(action ? std::string_view(action) : std::string_view()));
    }
}

} // namespace quelmar
