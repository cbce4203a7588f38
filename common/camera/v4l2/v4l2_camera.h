// One open V4L2 camera: its format list and choice, mmap streaming on one capture thread that
// converts every frame to BGR24, and the camera's own button.
#pragma once

#include "camera/camera.h"
#include "camera/v4l2/frame_converter.h"
#include "camera/v4l2/linux_handles.h"

#include <linux/videodev2.h>

#include <atomic>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

namespace quelmar::v4l2 {

// Whether a node answering VIDIOC_QUERYCAP with `caps` captures video (metadata-only and
// output nodes do not).
bool isCaptureDevice(const v4l2_capability &caps);

// How the station names the camera behind `node`: card as friendly name, bus info and node
// as display name and identity.
CameraInfo cameraInfoFor(const v4l2_capability &caps, const QString &node);

// The node path inside an identity made by cameraInfoFor(); empty when there is none.
QString nodeFromIdentity(const QString &identity);

} // namespace quelmar::v4l2

namespace quelmar {

// Methods other than the callbacks are called from the owning thread only. The callbacks run
// on the capture thread; they may call stop(), but must not destroy the camera.
class V4l2Camera final : public Camera {
    struct OpenKey {
        explicit OpenKey() = default;
    };

public:
    // Opens the video node `node`; nullptr when it cannot be opened or does not capture video.
    static std::unique_ptr<V4l2Camera> open(const QString &node);

    V4l2Camera(OpenKey, CameraInfo info, v4l2::UniqueFd video,
               std::unique_ptr<v4l2::FrameConverter> converter, v4l2::UniqueFd button);
    ~V4l2Camera() override;
    Q_DISABLE_COPY_MOVE(V4l2Camera)

    const CameraInfo &info() const override { return info_; }
    std::vector<CaptureFormat> formats() const override { return formats_; }
    // False while streaming, when the camera is gone, or when the driver chose another
    // format; currentFormat() then tells what the driver set.
    bool setFormat(const CaptureFormat &format) override;
    CaptureFormat currentFormat() const override { return current_; }
    bool hasButton() const override { return button_.valid(); }

    bool start(FrameCallback onFrame, ButtonCallback onButton,
               StreamEndCallback onEnd = {}) override;
    void stop() override;
    bool isStreaming() const override { return streaming_; }

    // Whether a stream ended by itself (camera pulled out, or failing); the camera does not
    // stream again and should be closed.
    bool hasEnded() const { return ended_; }

private:
    struct Callbacks {
        FrameCallback frame;
        ButtonCallback button;
        StreamEndCallback end;
    };

    int ioctl(unsigned long request, void *argument) const;
    void adopt(const v4l2_format &native);
    bool prepareBuffers();
    void releaseBuffers();
    void wakeCaptureThread() const;
    void drainButton() const;

    // Capture thread.
    void captureLoop(const Callbacks &callbacks, timespec start);

    const CameraInfo info_;
    const v4l2::UniqueFd video_;
    const v4l2::UniqueFd button_; // invalid when the camera has no button we may read
    std::vector<CaptureFormat> formats_;

    // Written by the owning thread while no capture thread runs; read by the capture thread.
    v4l2_format native_{};
    CaptureFormat current_;
    std::unique_ptr<v4l2::FrameConverter> converter_;
    std::vector<v4l2::MappedRegion> buffers_;
    bool buffersRequested_ = false; // the driver holds buffers for us (VIDIOC_REQBUFS)
    v4l2::UniqueFd wake_;           // eventfd: the owning thread writes it to end the capture loop

    std::atomic<bool> streaming_{false};     // capture thread clears it when it ends
    std::atomic<bool> stopRequested_{false}; // stop() sets it; no callback runs afterwards
    std::atomic<bool> ended_{false};         // capture thread sets it when the stream died
    std::thread thread_;                     // joined by stop()
};

} // namespace quelmar
