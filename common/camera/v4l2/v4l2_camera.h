// One open V4L2 camera: its format list and choice, the frame interval, its picture controls,
// mmap streaming on one capture thread that converts every frame to BGR24, and the camera's
// own button.
#pragma once

#include "camera/camera.h"
#include "camera/v4l2/frame_converter.h"
#include "camera/v4l2/linux_handles.h"
#include "camera/v4l2/v4l2_controls.h"
#include "camera/v4l2/v4l2_formats.h"

#include <linux/videodev2.h>

#include <atomic>
#include <ctime>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace quelmar::v4l2 {

// Whether a node answering VIDIOC_QUERYCAP with `caps` captures video (metadata-only and
// output nodes do not).
bool isCaptureDevice(const v4l2_capability &caps);

// What an ioctl's errno says about a camera that would not take a format or stream: another
// program owns its queue, the USB bus lacks bandwidth (ENOSPC; EIO when STREAMON finds no
// alternate setting fast enough), no permission, or gone.
CameraFault streamFault(unsigned long request, int error);

// How long a stream may go without a frame before it counts as stalled: several frame
// intervals and exposure times, at least five seconds. Zero values mean unknown.
int stallTimeoutMs(FrameInterval interval, int manualExposure100us);

} // namespace quelmar::v4l2

namespace quelmar {

// Methods other than the callbacks are called from the owning thread only. The callbacks run
// on the capture thread; they may call stop(), but must not destroy the camera.
class V4l2Camera final : public Camera {
    struct OpenKey {
        explicit OpenKey() = default;
    };

public:
    // Opens the video node `node`; nullptr when it cannot be opened, does not capture video or
    // offers neither YUYV nor MJPG. `fault` tells a node the user may not open.
    static std::unique_ptr<V4l2Camera> open(const QString &node, CameraFault *fault = nullptr);
    // A camera on an open device whose ioctls all go through `ioctl`; tests play a device so.
    static std::unique_ptr<V4l2Camera> onDevice(CameraInfo info, v4l2::UniqueFd video,
                                                v4l2::IoctlFn ioctl,
                                                std::unique_ptr<v4l2::FrameConverter> converter);

    V4l2Camera(OpenKey, CameraInfo info, v4l2::UniqueFd video, v4l2::IoctlFn deviceIoctl,
               std::unique_ptr<v4l2::FrameConverter> converter);
    ~V4l2Camera() override;
    Q_DISABLE_COPY_MOVE(V4l2Camera)

    const CameraInfo &info() const override { return info_; }
    std::vector<CaptureFormat> formats() const override { return formats_; }
    // False while streaming, when the camera is gone, or when the driver chose another
    // format; currentFormat() then tells what the driver set.
    bool setFormat(const CaptureFormat &format) override;
    CaptureFormat currentFormat() const override { return current_; }
    bool hasButton() const override { return loopButton_ >= 0; }
    ButtonAccess buttonAccess() const override { return buttonAccess_; }
    // Watched by a running stream from its next frame on.
    ButtonAccess findButton() override;
    std::optional<FrameInterval> setFrameInterval(FrameInterval interval) override;
    // What VIDIOC_G_PARM last said: read when opened and after a format or rate change.
    std::optional<FrameInterval> frameInterval() const override;
    std::vector<FrameIntervalRange> frameIntervals(const CaptureFormat &format) const override;
    QString formatName(PixelFormat format) const override;
    CameraControls *controls() override { return &controls_; }

    bool start(FrameCallback onFrame, ButtonCallback onButton,
               StreamEndCallback onEnd = {}) override;
    void stop() override;
    bool isStreaming() const override { return streaming_; }
    CameraFault fault() const override { return fault_; }

    // Whether a stream ended by itself (camera pulled out, stalled or failing); the camera does
    // not stream again and should be closed.
    bool hasEnded() const { return ended_; }

private:
    struct Callbacks {
        FrameCallback frame;
        ButtonCallback button;
        StreamEndCallback end;
    };

    int ioctl(unsigned long request, void *argument) const { return ioctl_(request, argument); }
    void adopt(const v4l2_format &native);
    void readFrameInterval();
    bool prepareBuffers();
    void releaseBuffers();
    void wakeCaptureThread() const;
    void drainButton() const;
    void failStart(unsigned long request, int error, const char *what);

    // Capture thread.
    void captureLoop(const Callbacks &callbacks, timespec start, int stallTimeout);

    const CameraInfo info_;
    const v4l2::UniqueFd video_;
    const v4l2::IoctlFn ioctl_;
    v4l2::V4l2Controls controls_;
    std::vector<CaptureFormat> formats_;

    // The button: opened on the owning thread, at most once, and kept until destruction; the
    // capture thread reads its descriptor from loopButton_.
    v4l2::UniqueFd button_;
    std::atomic<int> loopButton_{-1};
    ButtonAccess buttonAccess_ = ButtonAccess::None;

    // Written by the owning thread while no capture thread runs; read by the capture thread.
    v4l2_format native_{};
    CaptureFormat current_;
    FrameInterval interval_;
    std::unique_ptr<v4l2::FrameConverter> converter_;
    std::vector<v4l2::MappedRegion> buffers_;
    bool buffersRequested_ = false; // the driver holds buffers for us (VIDIOC_REQBUFS)
    v4l2::UniqueFd wake_;           // eventfd: the owning thread writes it to end the capture loop

    std::atomic<bool> streaming_{false};     // capture thread clears it when it ends
    std::atomic<bool> stopRequested_{false}; // stop() sets it; no callback runs afterwards
    std::atomic<bool> ended_{false};         // capture thread sets it when the stream died
    std::atomic<CameraFault> fault_{CameraFault::None}; // why start failed or the stream ended
    std::thread thread_;                                // joined by stop()
};

} // namespace quelmar
