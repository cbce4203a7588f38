// A V4L2 camera played in memory, at the level of its ioctls: capabilities, formats and sizes
// (S_FMT adjusts to the nearest size offered, as drivers do), the frame interval, controls with
// sparse menus and inactive slaves, and mmap streaming over a memfd. Errors can be injected per
// request. Include it from tests that link the V4L2 camera layer.
#pragma once

#include "camera/v4l2/linux_handles.h"
#include "camera/v4l2/v4l2_formats.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace quelmar::test {

struct FakeControl {
    std::uint32_t type = V4L2_CTRL_TYPE_INTEGER;
    int minimum = 0;
    int maximum = 255;
    int step = 1;
    int defaultValue = 128;
    int value = 128;
    std::uint32_t flags = 0;
    std::set<int> menu{}; // the menu indexes the camera offers (sparse)
    // A slave: writable only while this control has its `manualValue`.
    std::uint32_t master = 0;
    int manualValue = 0;
    bool grabbed = false; // another program holds it: writes fail with EBUSY
};

struct FakeFormat {
    std::uint32_t fourcc = V4L2_PIX_FMT_YUYV;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sizes;
};

class FakeV4l2Device {
public:
    static constexpr std::size_t kBufferBytes = 4096;
    static constexpr std::uint32_t kBuffers = 4;

    FakeV4l2Device()
    {
        std::strcpy(reinterpret_cast<char *>(caps.card), "Fake Microscope");
        std::strcpy(reinterpret_cast<char *>(caps.bus_info), "usb-0000:00:14.0-2");
        caps.device_caps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
        caps.capabilities = caps.device_caps | V4L2_CAP_DEVICE_CAPS;
        formats = {{V4L2_PIX_FMT_YUYV, {{640, 480}, {1280, 960}}},
                   {V4L2_PIX_FMT_MJPEG, {{640, 480}, {1280, 960}}}};
        current = {640, 480, V4L2_PIX_FMT_YUYV};
    }

    // A file to map the buffers from, as the real node would be.
    v4l2::UniqueFd bufferFile() const
    {
        v4l2::UniqueFd fd(memfd_create("fake-v4l2", MFD_CLOEXEC));
        if (fd && ftruncate(fd.get(), off_t(kBufferBytes * kBuffers)) != 0)
            fd.reset();
        return fd;
    }

    v4l2::IoctlFn ioctl()
    {
        return [this](unsigned long request, void *argument) {
            const std::lock_guard lock(mutex);
            requests.push_back(request);
            if (const auto it = errors.find(request); it != errors.end())
                return errno = it->second, -1;
            return answer(request, argument);
        };
    }

    int count(unsigned long request) const
    {
        const std::lock_guard lock(mutex);
        return int(std::count(requests.begin(), requests.end(), request));
    }

    struct Current {
        std::uint32_t width, height, fourcc;
    };

    mutable std::mutex mutex; // the capture thread asks too
    v4l2_capability caps{};
    std::vector<FakeFormat> formats;
    Current current;
    bool timePerFrame = true;                              // the driver lets the rate be set
    std::vector<std::uint32_t> framesPerSecond{30, 15, 5}; // offered rates, for every size
    v4l2_fract interval{1, 30};
    std::map<std::uint32_t, FakeControl> controls;
    std::map<unsigned long, int> errors; // request → errno it fails with
    bool extendedControls = true;        // VIDIOC_S_EXT_CTRLS known
    std::vector<unsigned long> requests;
    // Every control write that reached the camera, in order: {id, value}.
    std::vector<std::pair<std::uint32_t, int>> written;
    std::vector<int> extendedWrites; // how many controls each S_EXT_CTRLS carried
    bool streaming = false;
    // Frames to deliver, by buffer index; once they are gone VIDIOC_DQBUF answers `afterFrames`
    // (EAGAIN: nothing yet; ENODEV: pulled out).
    std::deque<std::uint32_t> frames;
    int afterFrames = EAGAIN;

private:
    bool inactive(const FakeControl &control) const
    {
        return control.master != 0 && controls.at(control.master).value != control.manualValue;
    }

    int answerFormat(unsigned long request, void *argument)
    {
        auto *format = static_cast<v4l2_format *>(argument);
        if (request == VIDIOC_S_FMT) {
            if (streaming)
                return errno = EBUSY, -1;
            // The nearest size of the requested fourcc, or of the first one when not offered.
            const auto wanted = std::find_if(formats.begin(), formats.end(), [&](const auto &f) {
                return f.fourcc == format->fmt.pix.pixelformat;
            });
            const FakeFormat &chosen = wanted != formats.end() ? *wanted : formats.front();
            auto best = chosen.sizes.front();
            for (const auto &size : chosen.sizes) {
                const auto distance = [&](const auto &s) {
                    return std::abs(int(s.first) - int(format->fmt.pix.width)) +
                           std::abs(int(s.second) - int(format->fmt.pix.height));
                };
                if (distance(size) < distance(best))
                    best = size;
            }
            current = {best.first, best.second, chosen.fourcc};
            interval = {1, framesPerSecond.front()}; // the format's default interval
        }
        format->fmt.pix.width = current.width;
        format->fmt.pix.height = current.height;
        format->fmt.pix.pixelformat = current.fourcc;
        format->fmt.pix.field = V4L2_FIELD_NONE;
        format->fmt.pix.bytesperline = current.fourcc == V4L2_PIX_FMT_YUYV ? current.width * 2 : 0;
        format->fmt.pix.sizeimage = current.width * current.height * 2;
        return 0;
    }

    int answerParameters(unsigned long request, void *argument)
    {
        auto *parameters = static_cast<v4l2_streamparm *>(argument);
        if (request == VIDIOC_S_PARM) {
            if (!timePerFrame)
                return errno = EINVAL, -1;
            if (streaming)
                return errno = EBUSY, -1;
            const v4l2_fract wanted = parameters->parm.capture.timeperframe;
            const double fps =
                wanted.numerator ? double(wanted.denominator) / wanted.numerator : 30.0;
            std::uint32_t best = framesPerSecond.front();
            for (const std::uint32_t offered : framesPerSecond)
                if (std::abs(offered - fps) < std::abs(best - fps))
                    best = offered;
            interval = {1, best};
        }
        parameters->parm.capture.capability = timePerFrame ? V4L2_CAP_TIMEPERFRAME : 0;
        parameters->parm.capture.timeperframe = interval;
        return 0;
    }

    int writeControl(std::uint32_t id, int value)
    {
        const auto it = controls.find(id);
        if (it == controls.end() || (it->second.flags & V4L2_CTRL_FLAG_DISABLED) != 0)
            return errno = EINVAL, -1;
        FakeControl &control = it->second;
        if (control.grabbed)
            return errno = EBUSY, -1;
        if (inactive(control))
            return errno = EACCES, -1;
        if (control.type == V4L2_CTRL_TYPE_MENU && control.menu.count(value) == 0)
            return errno = EINVAL, -1;
        const int step = std::max(1, control.step);
        const int clamped = std::clamp(value, control.minimum, control.maximum);
        control.value = control.minimum + (clamped - control.minimum) / step * step;
        written.emplace_back(id, control.value);
        return 0;
    }

    int answerControl(unsigned long request, void *argument)
    {
        if (request == VIDIOC_QUERYCTRL) {
            auto *query = static_cast<v4l2_queryctrl *>(argument);
            const auto it = controls.find(query->id);
            if (it == controls.end())
                return errno = EINVAL, -1;
            const FakeControl &control = it->second;
            query->type = control.type;
            query->minimum = control.minimum;
            query->maximum = control.maximum;
            query->step = control.step;
            query->default_value = control.defaultValue;
            query->flags = control.flags | (inactive(control) ? V4L2_CTRL_FLAG_INACTIVE : 0);
            return 0;
        }
        if (request == VIDIOC_QUERYMENU) {
            auto *entry = static_cast<v4l2_querymenu *>(argument);
            const auto it = controls.find(entry->id);
            if (it == controls.end() || it->second.menu.count(int(entry->index)) == 0)
                return errno = EINVAL, -1;
            return 0;
        }
        if (request == VIDIOC_G_CTRL) {
            auto *control = static_cast<v4l2_control *>(argument);
            const auto it = controls.find(control->id);
            if (it == controls.end())
                return errno = EINVAL, -1;
            control->value = it->second.value;
            return 0;
        }
        if (request == VIDIOC_S_CTRL) {
            const auto *control = static_cast<v4l2_control *>(argument);
            return writeControl(control->id, control->value);
        }
        // VIDIOC_S_EXT_CTRLS: in order, so a master set first makes its slave writable.
        if (!extendedControls)
            return errno = ENOTTY, -1;
        const auto *request_ = static_cast<v4l2_ext_controls *>(argument);
        extendedWrites.push_back(int(request_->count));
        for (std::uint32_t index = 0; index < request_->count; ++index)
            if (writeControl(request_->controls[index].id, request_->controls[index].value) != 0)
                return -1;
        return 0;
    }

    int answerStreaming(unsigned long request, void *argument)
    {
        switch (request) {
        case VIDIOC_REQBUFS: {
            auto *buffers = static_cast<v4l2_requestbuffers *>(argument);
            buffers->count = std::min(buffers->count, kBuffers);
            return 0;
        }
        case VIDIOC_QUERYBUF: {
            auto *buffer = static_cast<v4l2_buffer *>(argument);
            buffer->length = kBufferBytes;
            buffer->m.offset = buffer->index * kBufferBytes;
            return 0;
        }
        case VIDIOC_QBUF:
            return 0;
        case VIDIOC_DQBUF: {
            if (frames.empty())
                return errno = afterFrames, -1;
            auto *buffer = static_cast<v4l2_buffer *>(argument);
            buffer->index = frames.front();
            buffer->bytesused = current.width * current.height * 2;
            buffer->flags = 0;
            frames.pop_front();
            return 0;
        }
        case VIDIOC_STREAMON:
            streaming = true;
            return 0;
        case VIDIOC_STREAMOFF:
            streaming = false;
            return 0;
        default:
            return errno = ENOTTY, -1;
        }
    }

    int answer(unsigned long request, void *argument)
    {
        switch (request) {
        case VIDIOC_QUERYCAP:
            *static_cast<v4l2_capability *>(argument) = caps;
            return 0;
        case VIDIOC_ENUM_FMT: {
            auto *description = static_cast<v4l2_fmtdesc *>(argument);
            if (description->index >= formats.size())
                return errno = EINVAL, -1;
            description->pixelformat = formats[description->index].fourcc;
            return 0;
        }
        case VIDIOC_ENUM_FRAMESIZES: {
            auto *size = static_cast<v4l2_frmsizeenum *>(argument);
            for (const FakeFormat &format : formats) {
                if (format.fourcc == size->pixel_format && size->index < format.sizes.size()) {
                    size->type = V4L2_FRMSIZE_TYPE_DISCRETE;
                    size->discrete = {format.sizes[size->index].first,
                                      format.sizes[size->index].second};
                    return 0;
                }
            }
            return errno = EINVAL, -1;
        }
        case VIDIOC_G_FMT:
        case VIDIOC_S_FMT:
            return answerFormat(request, argument);
        case VIDIOC_G_PARM:
        case VIDIOC_S_PARM:
            return answerParameters(request, argument);
        case VIDIOC_QUERYCTRL:
        case VIDIOC_QUERYMENU:
        case VIDIOC_G_CTRL:
        case VIDIOC_S_CTRL:
        case VIDIOC_S_EXT_CTRLS:
            return answerControl(request, argument);
        default:
            return answerStreaming(request, argument);
        }
    }
};

// The controls of a typical UVC microscope camera: the six plain properties, white balance
// under automatic white balance (on), exposure under an exposure menu offering manual and
// aperture priority (on).
inline std::map<std::uint32_t, FakeControl> typicalControls()
{
    std::map<std::uint32_t, FakeControl> controls;
    controls[V4L2_CID_BRIGHTNESS] = {V4L2_CTRL_TYPE_INTEGER, -64, 64, 1, 0, 5};
    controls[V4L2_CID_CONTRAST] = {V4L2_CTRL_TYPE_INTEGER, 0, 64, 1, 32, 40};
    controls[V4L2_CID_SATURATION] = {V4L2_CTRL_TYPE_INTEGER, 0, 128, 1, 64, 60};
    controls[V4L2_CID_SHARPNESS] = {V4L2_CTRL_TYPE_INTEGER, 0, 6, 1, 3, 2};
    controls[V4L2_CID_GAMMA] = {V4L2_CTRL_TYPE_INTEGER, 100, 500, 10, 300, 300};
    controls[V4L2_CID_HUE] = {V4L2_CTRL_TYPE_INTEGER, -40, 40, 1, 0, -3};
    controls[V4L2_CID_AUTO_WHITE_BALANCE] = {V4L2_CTRL_TYPE_BOOLEAN, 0, 1, 1, 1, 1};
    FakeControl temperature{V4L2_CTRL_TYPE_INTEGER, 2800, 6500, 10, 4600, 5000};
    temperature.master = V4L2_CID_AUTO_WHITE_BALANCE;
    temperature.manualValue = 0;
    controls[V4L2_CID_WHITE_BALANCE_TEMPERATURE] = temperature;
    FakeControl mode{V4L2_CTRL_TYPE_MENU,
                     0,
                     3,
                     1,
                     V4L2_EXPOSURE_APERTURE_PRIORITY,
                     V4L2_EXPOSURE_APERTURE_PRIORITY};
    mode.menu = {V4L2_EXPOSURE_MANUAL, V4L2_EXPOSURE_APERTURE_PRIORITY};
    controls[V4L2_CID_EXPOSURE_AUTO] = mode;
    FakeControl exposure{V4L2_CTRL_TYPE_INTEGER, 3, 2047, 1, 250, 400};
    exposure.master = V4L2_CID_EXPOSURE_AUTO;
    exposure.manualValue = V4L2_EXPOSURE_MANUAL;
    controls[V4L2_CID_EXPOSURE_ABSOLUTE] = exposure;
    return controls;
}

} // namespace quelmar::test
