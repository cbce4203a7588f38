// Turns a camera's native frames (YUYV or MJPG) into packed BGR24 with libv4lconvert, into
// one picture buffer that is reused for every frame of the stream.
#pragma once

#include "camera/v4l2/linux_handles.h"
#include "image/frame.h"

#include <libv4lconvert.h>

#include <memory>
#include <span>
#include <string>

namespace quelmar::v4l2 {

using ConvertDataPtr = std::unique_ptr<v4lconvert_data, ReleaseWith<&v4lconvert_destroy>>;

class FrameConverter {
public:
    // A converter for the frames of the open V4L2 device `fd`; nullptr when libv4lconvert
    // cannot work with the device.
    static std::unique_ptr<FrameConverter> forDevice(int fd);

    explicit FrameConverter(ConvertDataPtr data);
    FrameConverter(const FrameConverter &) = delete;
    FrameConverter &operator=(const FrameConverter &) = delete;

    // Fixes the native format of the frames to come and sizes the picture for them; false
    // for a pixel format other than YUYV or MJPG or an empty size.
    bool setSource(const v4l2_format &native);

    // Converts one native frame into picture(); false when it cannot be decoded (a corrupt
    // or short frame), which leaves the frame to be skipped.
    bool convert(std::span<unsigned char> native);

    // The last converted frame; valid until the next convert() or setSource().
    FrameView picture() { return picture_.view(); }
    // libv4lconvert's description of the last failure, for diagnostics.
    std::string lastError() const;

private:
    ConvertDataPtr data_;
    v4l2_format source_{};
    v4l2_format target_{};
    Frame picture_;
};

} // namespace quelmar::v4l2
