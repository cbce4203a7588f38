#include "shell/device_recheck.h"

#include <algorithm>

namespace quelmar::station {

DeviceChangeDebouncer::DeviceChangeDebouncer(QObject *parent) : QObject(parent)
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &DeviceChangeDebouncer::recheck);
}

void DeviceChangeDebouncer::notice(DeviceChange change)
{
    // A pending wait for a burst of changes is not cut short by an arrival within it.
    const int wait = change == DeviceChange::TreeChanged ? kTreeChangedMs : kArrivalMs;
    timer_.start(timer_.isActive() ? std::max(wait, timer_.remainingTime()) : wait);
}

} // namespace quelmar::station
