// The microscope's synchronous HTTP requests: settings page, snapshot-button counter, the
// apply request and the camera command, each with the device login by basic authentication.
#pragma once

#include "device_address.h"

#include <QByteArray>
#include <QString>

#include <optional>

#include <curl/curl.h>
#include <stop_token>

namespace quelmar::viewer {

inline constexpr const char *kDeviceUser = "ruvex";
inline constexpr const char *kDevicePassword = "ruvex";

// What every request to the device shares: its URL over plain HTTP, the basic
// authentication offered with the request (a refusal is a 401 that ends the transfer), and
// no signals from libcurl on a worker thread.
void setUpDeviceRequest(CURL *handle, const QByteArray &url);

class DeviceHttp {
public:
    explicit DeviceHttp(DeviceAddress address) : address_(std::move(address)) {}

    const DeviceAddress &address() const { return address_; }

    // The settings page as UTF-8 text; empty when it cannot be read. Reading stops once every
    // value the viewer takes from the page has arrived. A stop request aborts it.
    QString readSettingsPage(std::stop_token stop = {}) const;
    // The snapshot-button count; nullopt when the device gave no answer. A stop request
    // aborts a request in flight.
    std::optional<int> readSnapshotCounter(std::stop_token stop = {}) const;
    // Fire and forget: the device's answers carry nothing the viewer uses.
    void applyVideoFormat(int resolutionIndex, int framesPerSecond) const;
    void sendCameraCommand(int id, int value) const;

    static QString applyTarget(int resolutionIndex, int framesPerSecond);
    static QString commandTarget(int id, int value);
    static QString counterTarget()
    {
        return QStringLiteral("/updateNPNvram.cgi?camera_gpio_trigger");
    }
    static QString settingsTarget() { return QStringLiteral("/wizardvideo.asp"); }
    // The counter body as the device sends it: cut at 40 bytes, line feeds removed, read as
    // an integer the lenient way.
    static int counterValue(QByteArray body);

private:
    DeviceAddress address_;
};

} // namespace quelmar::viewer
