// The udev monitor's action mapping, and a clean life on machines without udev events.
#include "camera/v4l2/udev_device_monitor.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSignalSpy>

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

} // namespace
} // namespace quelmar
