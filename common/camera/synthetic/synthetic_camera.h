// The demo camera: a moving, microscope-like specimen (cells with membranes, nuclei and fine
// granules) that offers a realistic capability list and picture controls, can be unplugged and
// replugged, and whose button tests can press. Users get it with --demo-camera; tests use it
// as the camera, and can make it refuse to stream or fail mid-stream as real cameras do.
#pragma once

#include "camera/camera.h"
#include "camera/device_monitor.h"
#include "camera/synthetic/synthetic_controls.h"

#include <QImage>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace quelmar {

struct SyntheticCameraOptions {
    QString friendlyName = QStringLiteral("Quelmar Demo Microscope");
    // By default a camera of 640x480 up to 2592x1944, YUYV and MJPG, some sizes in both.
    std::vector<CaptureFormat> formats = defaultFormats();
    bool hasButton = true;
    bool buttonReadable = true; // false: the button exists but the user may not read it
    // Frames per second for a frame size; the default paces like real cameras over USB 2.
    std::function<int(int width, int height)> framesPerSecond;
    // The rates offered for a frame size, each settable through setFrameInterval(); unset:
    // only framesPerSecond's.
    std::function<std::vector<int>(int width, int height)> frameRates;
    // Why a stream of a format does not start (as a busy camera or a full USB bus answer);
    // None or unset: it starts.
    std::function<CameraFault(const CaptureFormat &format)> refuseStart;

    static std::vector<CaptureFormat> defaultFormats();
};

// Shared state of one demo camera: plugged or not, and its button.
class SyntheticCameraHub {
public:
    explicit SyntheticCameraHub(SyntheticCameraOptions options = {});

    const SyntheticCameraOptions &options() const { return options_; }
    bool isPlugged() const { return plugged_; }
    // Unplugging ends a running stream as a pulled-out camera does.
    void unplug();
    void replug();
    void pressButton() { buttonPresses_.fetch_add(1); }
    // Ends a running stream as a driver error does: the camera stays plugged in, and no
    // device notice comes.
    void failStream() { failRequested_ = true; }
    // Frames produced so far by all cameras of this hub (for tests that wait on progress).
    std::uint64_t framesProduced() const { return frames_.load(); }
    // Streams started so far by all cameras of this hub.
    int streamsStarted() const { return starts_.load(); }
    // The picture properties; they keep their values while the camera is closed.
    SyntheticControls &controls() { return controls_; }

    // Internal: used by the cameras.
    int takeButtonPresses() { return buttonPresses_.exchange(0); }
    bool takeFailure() { return failRequested_.exchange(false); }
    void countFrame() { frames_.fetch_add(1); }
    void countStart() { starts_.fetch_add(1); }
    std::function<void()> onPlugChange;

private:
    SyntheticCameraOptions options_;
    SyntheticControls controls_;
    std::atomic<bool> plugged_{true};
    std::atomic<bool> failRequested_{false};
    std::atomic<int> buttonPresses_{0};
    std::atomic<std::uint64_t> frames_{0};
    std::atomic<int> starts_{0};
};

class SyntheticCamera final : public Camera {
public:
    explicit SyntheticCamera(std::shared_ptr<SyntheticCameraHub> hub);
    ~SyntheticCamera() override;

    const CameraInfo &info() const override { return info_; }
    std::vector<CaptureFormat> formats() const override { return hub_->options().formats; }
    bool setFormat(const CaptureFormat &format) override;
    CaptureFormat currentFormat() const override { return format_; }
    bool hasButton() const override
    {
        return hub_->options().hasButton && hub_->options().buttonReadable;
    }
    ButtonAccess buttonAccess() const override;
    CameraControls *controls() override { return &hub_->controls(); }
    // The offered rate nearest to `interval`; nothing while streaming.
    std::optional<FrameInterval> setFrameInterval(FrameInterval interval) override;
    std::optional<FrameInterval> frameInterval() const override { return FrameInterval{1, rate_}; }
    std::vector<FrameIntervalRange> frameIntervals(const CaptureFormat &format) const override;
    bool start(FrameCallback onFrame, ButtonCallback onButton, StreamEndCallback onEnd) override;
    void stop() override;
    bool isStreaming() const override { return streaming_; }
    CameraFault fault() const override { return fault_; }

private:
    void run(FrameCallback onFrame, ButtonCallback onButton, StreamEndCallback onEnd);
    // The frames themselves; false when the stream ended by itself.
    bool produce(const FrameCallback &onFrame, const ButtonCallback &onButton);

    std::shared_ptr<SyntheticCameraHub> hub_;
    CameraInfo info_;
    std::vector<int> offeredRates(const CaptureFormat &format) const;

    CaptureFormat format_;
    int rate_ = 1; // frames per second; set with the format, changed by setFrameInterval()
    std::atomic<bool> streaming_{false};
    std::atomic<CameraFault> fault_{CameraFault::None};
    std::mutex stopMutex_; // guards stopRequested_ for the wake-up
    std::condition_variable stopWake_;
    bool stopRequested_ = false;
    std::thread thread_;
};

class SyntheticBackend final : public CameraBackend {
public:
    explicit SyntheticBackend(std::shared_ptr<SyntheticCameraHub> hub) : hub_(std::move(hub)) {}
    std::vector<CameraInfo> enumerate() override;
    std::unique_ptr<Camera> open(const CameraInfo &camera) override;

private:
    std::shared_ptr<SyntheticCameraHub> hub_;
};

// Reports the demo camera's unplug and replug like the udev monitor reports real ones.
class SyntheticDeviceMonitor final : public DeviceMonitor {
    Q_OBJECT
public:
    explicit SyntheticDeviceMonitor(std::shared_ptr<SyntheticCameraHub> hub,
                                    QObject *parent = nullptr);
    ~SyntheticDeviceMonitor() override;

private:
    std::shared_ptr<SyntheticCameraHub> hub_;
};

// The specimen texture the demo camera pans across, half a frame larger each way.
QImage renderSpecimen(int width, int height, unsigned seed = 7);

} // namespace quelmar
