// The camera interface both programs capture through; V4L2 and the synthetic demo camera
// implement it, nothing above common/ knows which one runs.
#pragma once

#include "camera/camera_controls.h"
#include "image/frame.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
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
    QString identity;     // the same physical camera across enumerations, re-plugs and restarts
    QString location{};   // where it is open now (the V4L2 node); changes on re-plug
};

// Why a camera could not be opened, could not stream, or stopped streaming.
enum class CameraFault {
    None,
    Busy,         // another program streams from it
    NoBandwidth,  // the USB bus cannot carry this format
    NoPermission, // the user may not open it
    Gone,         // pulled out
    Stalled,      // no frame came for several seconds
    Failed,       // anything else
};

// The camera's own button and whether this program may read it.
enum class ButtonAccess { None, Readable, NotPermitted };

// Seconds per frame as a fraction, as cameras state it.
struct FrameInterval {
    int numerator = 0;
    int denominator = 0;

    bool operator==(const FrameInterval &) const = default;
};

// The frame intervals a camera offers for one format: one interval (shortest == longest), or
// every interval between the two.
struct FrameIntervalRange {
    FrameInterval shortest; // the fastest rate
    FrameInterval longest;  // the slowest rate

    bool operator==(const FrameIntervalRange &) const = default;
};

// The usual name of a pixel format, for cameras that give none of their own.
QString standardFormatName(PixelFormat format);

// Called on the camera's capture thread for every frame. The frame is packed BGR24 and may
// be changed in place; it is valid only during the call. `sampleTime` is in seconds.
using FrameCallback = std::function<void(FrameView frame, double sampleTime)>;
// Called on the capture thread when the camera's own button is pressed.
using ButtonCallback = std::function<void()>;
// Called on the capture thread once when streaming ends by itself (camera pulled out, stalled
// or failing); fault() then says why.
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
    virtual ButtonAccess buttonAccess() const
    {
        return hasButton() ? ButtonAccess::Readable : ButtonAccess::None;
    }
    // Looks for the button again: it may appear after the video node, or become readable.
    virtual ButtonAccess findButton() { return buttonAccess(); }

    // Asks for a frame interval before streaming; the camera picks the nearest it offers.
    // The interval in force, or nothing when the camera does not let the rate be set.
    virtual std::optional<FrameInterval> setFrameInterval(FrameInterval) { return std::nullopt; }
    // The interval in force now; nothing when the camera does not tell.
    virtual std::optional<FrameInterval> frameInterval() const { return std::nullopt; }
    // The intervals the camera offers for `format`, in its own order; empty when it does not
    // tell.
    virtual std::vector<FrameIntervalRange> frameIntervals(const CaptureFormat &) const
    {
        return {};
    }
    // The camera's name of a pixel format ("Motion-JPEG").
    virtual QString formatName(PixelFormat format) const { return standardFormatName(format); }

    // The picture properties; null when the camera offers none. Owned by the camera.
    virtual CameraControls *controls() { return nullptr; }

    // Starts the capture thread; false when the camera refuses to stream.
    virtual bool start(FrameCallback onFrame, ButtonCallback onButton,
                       StreamEndCallback onEnd = {}) = 0;
    // Stops and joins the capture thread; no callback runs after it returns.
    virtual void stop() = 0;
    virtual bool isStreaming() const = 0;
    // Why the last start() failed or the stream ended by itself; None while all is well.
    virtual CameraFault fault() const { return CameraFault::None; }
};

// Lists and opens cameras of one kind.
class CameraBackend {
public:
    virtual ~CameraBackend() = default;
    virtual std::vector<CameraInfo> enumerate() = 0;
    virtual std::unique_ptr<Camera> open(const CameraInfo &camera) = 0;
    // Why the last enumerate() found no camera or the last open() failed, where known.
    virtual CameraFault lastFault() const { return CameraFault::None; }
};

} // namespace quelmar
