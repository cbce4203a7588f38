#include "shell/device_recheck.h"

namespace quelmar::station {

DeviceChangeDebouncer::DeviceChangeDebouncer(QObject *parent) : QObject(parent)
{
    timer_.setSingleShot(true);
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &DeviceChangeDebouncer::recheck);
}

void DeviceChangeDebouncer::notice(DeviceChange change)
{
    if (change == DeviceChange::TreeChanged)
        timer_.start(); // restarts a running timer
    else
        Q_EMIT recheck();
}

} // namespace quelmar::station
