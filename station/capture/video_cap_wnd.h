// CVideoCapWnd: owns the capture graph of the station on top of the camera layer: the device
// list, the capture size table and sensor class, the capture configuration kept in
// CapConfig.dat, the frame branches and running and stopping.
#pragma once

#include "base/cap_config.h"
#include "capture/capture_sizes.h"
#include "capture/capture_state.h"
#include "capture/sample_grabber_cb.h"

#include <camera/camera.h>

#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace quelmar::station {

struct DeviceRecord {
    bool selected = false;
    QString displayName;
    QString friendlyName;
    CameraInfo handle;
};

constexpr int kMaxDevices = 25;

class CVideoCapWnd {
public:
    CVideoCapWnd(CameraBackend *backend, CaptureState &state, QString capConfigPath);
    ~CVideoCapWnd();
    CVideoCapWnd(const CVideoCapWnd &) = delete;
    CVideoCapWnd &operator=(const CVideoCapWnd &) = delete;

    // The continuous branch's callback is wired by the owner before the graph runs.
    void setFrameCallback(CSampleGrabberCB *callback) { sampleGrabber_ = callback; }

    bool EnumerateDevices();
    bool BuildGraph();
    // Builds the capture size table, sets the sensor class, restores or chooses the capture
    // size, sets the camera's format and builds the branches.
    bool ConfigureFormat();
    bool Run();
    void Stop();
    void RemoveBranches() { configured_ = false; }
    void ReleaseAll();

    // Stops, sets the size, stores CapConfig.dat, configures again and runs again if it ran.
    bool SetCaptureSize(int width, int height);
    void SetStillSwitch(int on);
    bool SelectDevice(int index);
    // After a still from the button or during recording: stop and run again.
    void Restart();

    const std::vector<DeviceRecord> &devices() const { return devices_; }
    const std::vector<CaptureSize> &captureSizes() const { return sizes_; }
    int currentDeviceIndex() const;
    bool isRunning() const { return running_; }
    bool isConfigured() const { return configured_; }
    bool hasStillBranch() const { return stillBranch_; }
    const CapConfig &capConfig() const { return config_; }

private:
    void fillConfigForSize(int width, int height, int bytesPerPixel);
    PixelFormat subtypeForClass() const;
    bool applyFormat();

    CameraBackend *backend_;
    CaptureState &state_;
    QString capConfigPath_;
    std::vector<DeviceRecord> devices_;
    std::unique_ptr<Camera> camera_;
    std::vector<CaptureSize> sizes_;
    CapConfig config_;
    CSampleGrabberCB *sampleGrabber_ = nullptr;
    std::unique_ptr<CStillGrabberCB> stillGrabber_;
    bool configured_ = false;
    bool running_ = false;
    bool stillBranch_ = false;
};

} // namespace quelmar::station
