// The demo camera's picture properties: the ranges of a typical USB microscope camera, values
// that outlive the open camera (as a real camera keeps them), and their effect on the picture,
// so the device settings can be used and tested without hardware.
#pragma once

#include "camera/camera_controls.h"
#include "image/frame.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

namespace quelmar {

class SyntheticControls final : public CameraControls {
public:
    static constexpr int count = 8; // every CameraControl
    static ControlRange rangeOf(CameraControl control);

    SyntheticControls();

    std::optional<ControlRange> range(CameraControl control) const override;
    std::optional<ControlState> state(CameraControl control) const override;
    ControlWrite setValue(CameraControl control, int value) override;
    ControlWrite setAutomatic(CameraControl control, bool automatic, int manualValue) override;

    // One reading of every property, taken once per frame on the capture thread.
    struct Snapshot {
        std::array<ControlState, count> states;
        const ControlState &operator[](CameraControl control) const
        {
            return states[std::size_t(control)];
        }
    };
    Snapshot snapshot() const;

private:
    struct Slot {
        std::atomic<int> value{0};
        std::atomic<bool> automatic{false};
    };
    Slot &slot(CameraControl control) { return slots_[std::size_t(control)]; }
    const Slot &slot(CameraControl control) const { return slots_[std::size_t(control)]; }

    std::array<Slot, count> slots_; // written on the owning thread, read on the capture thread
};

// Changes frames as the properties say: exposure and white balance as channel gains,
// brightness, contrast and gamma as a tone curve, hue and saturation as a colour rotation,
// sharpness as a horizontal sharpen or blur. Keeps its tables between frames.
class PictureAdjuster {
public:
    void apply(const SyntheticControls::Snapshot &settings, FrameView frame);

private:
    void rebuild(const SyntheticControls::Snapshot &settings);

    std::optional<SyntheticControls::Snapshot> built_;
    std::array<std::array<std::uint8_t, 256>, 3> curves_{}; // B, G, R
    bool curvesIdentity_ = true;
    std::array<int, 9> colour_{}; // BGR to BGR, in 1/1024
    bool colourIdentity_ = true;
    int sharpen_ = 0; // in 1/256; negative blurs
    std::vector<std::uint8_t> row_;
};

} // namespace quelmar
