// The probe of the microscope when the viewer starts or connects: its settings page and the
// count of its snapshot button, read on a thread of its own so the window never waits for a
// slow or silent device. The result comes back on the owner's thread.
#pragma once

#include "device_address.h"

#include <QObject>
#include <QString>

#include <optional>
#include <thread>

namespace quelmar::viewer {

struct DeviceProbeResult {
    QString page;               // empty when it could not be read
    std::optional<int> counter; // nullopt when the device gave no answer
};

class DeviceProbe : public QObject {
    Q_OBJECT

public:
    explicit DeviceProbe(DeviceAddress address, QObject *parent = nullptr);
    ~DeviceProbe() override; // aborts the requests in flight and waits for the thread
    Q_DISABLE_COPY_MOVE(DeviceProbe)

    void start();
    bool isRunning() const { return running_; }

Q_SIGNALS:
    void finished(const quelmar::viewer::DeviceProbeResult &result);

private:
    const DeviceAddress address_;
    bool running_ = false;
    std::jthread thread_; // last member: it stops and joins before the rest goes away
};

} // namespace quelmar::viewer

Q_DECLARE_METATYPE(quelmar::viewer::DeviceProbeResult)
