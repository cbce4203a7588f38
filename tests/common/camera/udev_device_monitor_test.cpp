// The udev monitor's action mapping, a clean life on machines without udev events, and the
// /dev watch that stands in for udev where no udev daemon runs.
#include "camera/v4l2/dev_directory_monitor.h"
#include "camera/v4l2/udev_device_monitor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <sys/inotify.h>

#include <gtest/gtest.h>

#include <ostream>

namespace quelmar {
namespace {

struct ActionCase {
    const char *name;
    const char *action;
    DeviceChange change;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ActionCase &c, std::ostream *out)
{
    *out << c.name;
}

class UdevAction : public testing::TestWithParam<ActionCase> {};

TEST_P(UdevAction, MapsToADeviceChange)
{
    EXPECT_EQ(UdevDeviceMonitor::changeForAction(GetParam().action), GetParam().change);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, UdevAction,
    testing::Values(ActionCase{"Add", "add", DeviceChange::Arrived},
                    ActionCase{"Remove", "remove", DeviceChange::Removed},
                    ActionCase{"Change", "change", DeviceChange::TreeChanged},
                    ActionCase{"Bind", "bind", DeviceChange::TreeChanged},
                    ActionCase{"Unbind", "unbind", DeviceChange::TreeChanged},
                    ActionCase{"Move", "move", DeviceChange::TreeChanged},
                    ActionCase{"Online", "online", DeviceChange::TreeChanged},
                    ActionCase{"Empty", "", DeviceChange::TreeChanged},
                    ActionCase{"UpperCaseAdd", "Add", DeviceChange::TreeChanged}),
    [](const testing::TestParamInfo<ActionCase> &info) { return info.param.name; });

TEST(UdevDeviceMonitor, LivesAndDiesQuietlyWithoutEvents)
{
    auto monitor = std::make_unique<UdevDeviceMonitor>();
    QSignalSpy spy(monitor.get(), &DeviceMonitor::deviceChanged);
    QCoreApplication::processEvents();
    EXPECT_EQ(spy.count(), 0);
    // Inert without the udev daemon (containers); listening where the daemon runs.
    EXPECT_EQ(monitor->isActive(), QFileInfo::exists(QStringLiteral("/run/udev/control")));
    monitor.reset();
    QCoreApplication::processEvents();
}

// Without a udev daemon (containers) the monitor watches /dev, so cameras still come and go.
TEST(UdevDeviceMonitor, WatchesTheDeviceDirectoryWithoutUdev)
{
    const UdevDeviceMonitor monitor;
    EXPECT_TRUE(monitor.isActive() || monitor.isWatchingDirectory());
}

TEST(DevDirectoryMonitor, ReportsCameraAndButtonNodesOnly)
{
    using C = DeviceChange;
    EXPECT_EQ(DevDirectoryMonitor::changeFor("video0", IN_CREATE), C::Arrived);
    EXPECT_EQ(DevDirectoryMonitor::changeFor("video12", IN_DELETE), C::Removed);
    EXPECT_EQ(DevDirectoryMonitor::changeFor("event3", IN_MOVED_TO), C::Arrived);
    EXPECT_EQ(DevDirectoryMonitor::changeFor("video0", IN_ATTRIB), C::TreeChanged);
    EXPECT_FALSE(DevDirectoryMonitor::changeFor("video", IN_CREATE));
    EXPECT_FALSE(DevDirectoryMonitor::changeFor("ttyS0", IN_CREATE));
    EXPECT_FALSE(DevDirectoryMonitor::changeFor("video0.lock", IN_CREATE));
}

TEST(DevDirectoryMonitor, NoticesNodesAppearingAndGoing)
{
    QTemporaryDir dev;
    ASSERT_TRUE(dev.isValid());
    ASSERT_TRUE(QDir(dev.path()).mkdir(QStringLiteral("input")));
    DevDirectoryMonitor monitor(dev.path());
    ASSERT_TRUE(monitor.isActive());
    QSignalSpy spy(&monitor, &DeviceMonitor::deviceChanged);

    QFile unrelated(dev.filePath(QStringLiteral("null")));
    ASSERT_TRUE(unrelated.open(QIODevice::WriteOnly));
    QFile node(dev.filePath(QStringLiteral("video4")));
    ASSERT_TRUE(node.open(QIODevice::WriteOnly));
    node.close();
    ASSERT_TRUE(spy.wait(5000));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.takeFirst().at(0).value<DeviceChange>(), DeviceChange::Arrived);

    QFile button(dev.filePath(QStringLiteral("input/event7")));
    ASSERT_TRUE(button.open(QIODevice::WriteOnly));
    button.close();
    ASSERT_TRUE(spy.wait(5000));
    EXPECT_EQ(spy.takeFirst().at(0).value<DeviceChange>(), DeviceChange::Arrived);

    ASSERT_TRUE(QFile::remove(dev.filePath(QStringLiteral("video4"))));
    ASSERT_TRUE(spy.wait(5000));
    EXPECT_EQ(spy.takeFirst().at(0).value<DeviceChange>(), DeviceChange::Removed);
}

} // namespace
} // namespace quelmar
