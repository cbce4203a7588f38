#include "device_probe.h"

#include "device_http.h"

#include <QMetaObject>

namespace quelmar::viewer {

DeviceProbe::DeviceProbe(DeviceAddress address, QObject *parent)
    : QObject(parent), address_(std::move(address))
{}

DeviceProbe::~DeviceProbe() = default;

void DeviceProbe::start()
{
    if (running_)
        return;
    running_ = true;
    thread_ = std::jthread([this](std::stop_token stop) {
        const DeviceHttp http(address_);
        DeviceProbeResult result;
        result.page = http.readSettingsPage(stop);
        if (!stop.stop_requested())
            result.counter = http.readSnapshotCounter(stop);
        if (stop.stop_requested())
            return;
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                running_ = false;
                Q_EMIT finished(result);
            },
            Qt::QueuedConnection);
    });
}

} // namespace quelmar::viewer
