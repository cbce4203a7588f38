#include "camera/v4l2/dev_directory_monitor.h"

#include <QFile>
#include <QLoggingCategory>

#include <algorithm>
#include <array>
#include <cerrno>

#include <sys/inotify.h>
#include <unistd.h>

namespace quelmar {

namespace {

Q_LOGGING_CATEGORY(lcDevDirectory, "quelmar.camera.monitor.dev", QtCriticalMsg)

constexpr std::uint32_t watchedEvents =
    IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_TO | IN_MOVED_FROM;

bool isNumberedNode(std::string_view name, std::string_view prefix)
{
    if (!name.starts_with(prefix) || name.size() == prefix.size())
        return false;
    const std::string_view number = name.substr(prefix.size());
    return std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

DevDirectoryMonitor::DevDirectoryMonitor(const QString &directory, QObject *parent)
    : DeviceMonitor(parent), inotify_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    if (!inotify_) {
        qCWarning(lcDevDirectory) << "no inotify:" << qt_error_string(errno);
        return;
    }
    if (inotify_add_watch(inotify_.get(), QFile::encodeName(directory).constData(), watchedEvents) <
        0) {
        qCWarning(lcDevDirectory) << "cannot watch" << directory << qt_error_string(errno);
        inotify_.reset();
        return;
    }
    // Without it the cameras still come and go; only a late button is not noticed.
    const QString input = directory + QStringLiteral("/input");
    if (inotify_add_watch(inotify_.get(), QFile::encodeName(input).constData(), watchedEvents) < 0)
        qCDebug(lcDevDirectory) << "cannot watch" << input << qt_error_string(errno);
    notifier_ = std::make_unique<QSocketNotifier>(inotify_.get(), QSocketNotifier::Read, this);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &DevDirectoryMonitor::readEvents);
}

DevDirectoryMonitor::~DevDirectoryMonitor() = default;

std::optional<DeviceChange> DevDirectoryMonitor::changeFor(std::string_view name,
                                                           std::uint32_t mask)
{
    if (!isNumberedNode(name, "video") && !isNumberedNode(name, "event"))
        return std::nullopt;
    if ((mask & (IN_CREATE | IN_MOVED_TO)) != 0)
        return DeviceChange::Arrived;
    if ((mask & (IN_DELETE | IN_MOVED_FROM)) != 0)
        return DeviceChange::Removed;
    return DeviceChange::TreeChanged; // permissions changed: the node may now be usable
}

void DevDirectoryMonitor::readEvents()
{
    alignas(inotify_event) std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t bytes = ::read(inotify_.get(), buffer.data(), buffer.size());
        if (bytes < 0 && errno == EINTR)
            continue;
        if (bytes <= 0)
            return;
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= bytes;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer.data() + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->len == 0)
                continue;
            const std::string_view name(event->name);
            if (const std::optional<DeviceChange> change = changeFor(name, event->mask)) {
                qCDebug(lcDevDirectory) << name.data() << event->mask;
                Q_EMIT deviceChanged(*change);
            }
        }
    }
}

} // namespace quelmar
