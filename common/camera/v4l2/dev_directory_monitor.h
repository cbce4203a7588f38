// Notices of camera nodes appearing and disappearing in /dev, from inotify: what tells the
// station about cameras where no udev daemon runs (containers, minimal systems). The kernel's
// devtmpfs creates and removes the nodes there on its own.
#pragma once

#include "camera/device_monitor.h"
#include "camera/v4l2/linux_handles.h"

#include <QSocketNotifier>
#include <QString>

#include <memory>
#include <optional>
#include <string_view>

namespace quelmar {

class DevDirectoryMonitor final : public DeviceMonitor {
    Q_OBJECT
public:
    // Watches "videoN" nodes in `directory` and "eventN" nodes (camera buttons) in its
    // "input" subdirectory; inert when inotify refuses.
    explicit DevDirectoryMonitor(const QString &directory = QStringLiteral("/dev"),
                                 QObject *parent = nullptr);
    ~DevDirectoryMonitor() override;
    Q_DISABLE_COPY_MOVE(DevDirectoryMonitor)

    bool isActive() const { return notifier_ != nullptr; }

    // The change an inotify event on `name` stands for; nothing for names that are no camera
    // or button nodes.
    static std::optional<DeviceChange> changeFor(std::string_view name, std::uint32_t mask);

private:
    void readEvents();

    v4l2::UniqueFd inotify_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace quelmar
