// CVideoCapWnd: owns the capture graph of the station on top of the camera layer: the device
// list and the choice of camera, the capture size table and sensor class, the capture
// configuration kept in CapConfig.dat, the frame branches, running and stopping, and what
// went wrong when a camera would not stream.
#pragma once

#include "base/cap_config.h"
#include "capture/capture_sizes.h"
#include "capture/capture_state.h"
#include "capture/sample_grabber_cb.h"

#include <camera/camera.h>

#include <QSize>
#include <QString>

#include <atomic>
#include <functional>
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
    // Called on the capture thread when a stream ends by itself (pulled out, stalled, failing).
    void setStreamEndCallback(std::function<void()> onEnd) { onStreamEnd_ = std::move(onEnd); }
    // The camera the user chose (its identity): selected whenever it is listed.
    void setPreferredIdentity(const QString &identity) { preferred_ = identity; }
    const QString &preferredIdentity() const { return preferred_; }

    // Lists the devices; the preferred camera is selected when listed, else the one selected
    // before, else the first. False without any device.
    bool EnumerateDevices();
    bool BuildGraph();
    // Builds the capture size table, sets the sensor class, restores or chooses the capture
    // size, sets the camera's format and frame interval and builds the branches.
    bool ConfigureFormat();
    bool Run();
    void Stop();
    void RemoveBranches() { configured_ = false; }
    void ReleaseAll();

    enum class StartOutcome {
        Running,    // a camera streams
        RunRefused, // the camera is open and configured but refuses to stream: fault()
        NoCamera,   // no listed camera could be opened and configured: fault() where known
    };
    // Enumerates, then builds, configures and runs the selected camera. A camera that cannot
    // be opened, has no usable format or fails otherwise gives way to the next in the list;
    // one that is busy or short of USB bandwidth is kept, so the user learns why and can
    // choose a smaller size.
    StartOutcome StartCapture();
    // Re-enumerates after a device notice. True when the open camera is still listed and
    // healthy and no camera the user prefers has come back: its stream goes on untouched.
    bool KeepsStreamAcrossRecheck();

    // Stops, sets the size, stores CapConfig.dat, configures again and runs again if it ran.
    bool SetCaptureSize(int width, int height);
    void SetStillSwitch(int on);
    bool SelectDevice(int index);
    // Stop and run again (after a still taken while recording).
    void Restart();
    // Looks for the camera's button again (it may appear after the video node).
    void FindButton();

    const std::vector<DeviceRecord> &devices() const { return devices_; }
    const std::vector<CaptureSize> &captureSizes() const { return sizes_; }
    int currentDeviceIndex() const;
    bool isRunning() const { return running_; }
    bool isConfigured() const { return configured_; }
    bool hasStillBranch() const { return stillBranch_; }
    const CapConfig &capConfig() const { return config_; }
    // The open camera's picture properties; null without a camera or without properties.
    CameraControls *controls() const;
    ButtonAccess buttonAccess() const;
    // Why the last start, run or size change failed; None after a success.
    CameraFault fault() const { return fault_; }
    // After a run refused for want of USB bandwidth: the largest smaller size that streams.
    std::optional<QSize> workingSmallerSize() const { return smallerSize_; }

private:
    void fillConfigForSize(int width, int height, int bytesPerPixel);
    PixelFormat subtypeForClass() const;
    bool applyFormat();
    bool setSize(int width, int height);
    bool startCamera(bool withCallbacks);
    std::optional<QSize> findWorkingSmallerSize();
    bool buildConfigureRun();
    void select(int index);

    CameraBackend *backend_;
    CaptureState &state_;
    QString capConfigPath_;
    QString preferred_;
    std::vector<DeviceRecord> devices_;
    std::unique_ptr<Camera> camera_;
    std::vector<CaptureSize> sizes_;
    CapConfig config_;
    CSampleGrabberCB *sampleGrabber_ = nullptr;
    CStillGrabberCB stillGrabber_;
    std::function<void()> onStreamEnd_;
    bool configured_ = false;
    bool running_ = false;
    std::atomic<bool> stillBranch_{false}; // read by the capture thread on every press
    CameraFault fault_ = CameraFault::None;
    std::optional<QSize> smallerSize_;
};

} // namespace quelmar::station
