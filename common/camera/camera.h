// The camera interface both programs capture through; V4L2 and the synthetic demo camera
// implement it, nothing above common/ knows which one runs.
#pragma once

#include "image/frame.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace quelmar {

enum class PixelFormat { Yuyv = 1, Mjpg = 2 };

struct CaptureFormat {
    int width = 0;
    int height = 0;
    PixelFormat pixelFormat = PixelFormat::Yuyv;

    bool operator==(const CaptureFormat &) const = default;
};

struct CameraInfo {
    QString friendlyName; // what users call the camera (the V4L2 card name)
    QString displayName;  // bus info and node, unique per plugged camera
    QString identity;     // compares equal for the same physical camera across enumerations
};

// Called on the camera's capture thread for every frame. The frame is packed BGR24 and may
// be changed in place; it is valid only during the call. `sampleTime` is in seconds.
using FrameCallback = std::function<void(FrameView frame, double sampleTime)>;
// Called on the capture thread when the camera's own button is pressed.
using ButtonCallback = std::function<void()>;
// Called on the capture thread once when streaming ends by itself (camera pulled out).
using StreamEndCallback = std::function<void()>;

class Camera {
public:
    virtual ~Camera() = default;

    virtual const CameraInfo &info() const = 0;
    // Every frame size the camera offers, per pixel format, in the camera's own order.
    virtual std::vector<CaptureFormat> formats() const = 0;
    virtual bool setFormat(const CaptureFormat &format) = 0;
    virtual CaptureFormat currentFormat() const = 0;
    // Whether the camera has a button of its own that can take stills.
    virtual bool hasButton() const = 0;

    // Starts the capture thread; false when the camera refuses to stream.
    virtual bool start(FrameCallback onFrame, ButtonCallback onButton,
                       StreamEndCallback onEnd = {}) = 0;
    // Stops and joins the capture thread; no callback runs after it returns.
    virtual void stop() = 0;
    virtual bool isStreaming() const = 0;
};

// Lists and opens cameras of one kind.
class CameraBackend {
public:
    virtual ~CameraBackend() = default;
    virtual std::vector<CameraInfo> enumerate() = 0;
    virtual std::unique_ptr<Camera> open(const CameraInfo &camera) = 0;
};

} // namespace quelmar
