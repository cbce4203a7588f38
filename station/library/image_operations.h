// The live-picture operations behind the main window's eight picture buttons: mirrors,
// negative, black-and-white segmentation and channel display, applied in place to every
// camera frame before it is shown, recorded or kept for a still.
#pragma once

#include "image/frame.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

namespace quelmar::station {

class ImageOperations {
public:
    // Command identifiers of the eight buttons.
    static constexpr int kHorizontalMirrorButton = 1195;
    static constexpr int kVerticalMirrorButton = 1194;
    static constexpr int kNegativeButton = 1188;
    static constexpr int kBinarySegmentationButton = 1193;
    static constexpr int kRgbButton = 1189;
    static constexpr int kRedButton = 1190;
    static constexpr int kGreenButton = 1191;
    static constexpr int kBlueButton = 1192;
    static constexpr std::array<int, 8> kButtons = {kHorizontalMirrorButton,
                                                    kVerticalMirrorButton,
                                                    kNegativeButton,
                                                    kBinarySegmentationButton,
                                                    kRgbButton,
                                                    kRedButton,
                                                    kGreenButton,
                                                    kBlueButton};

    // Bits of the channel mask.
    static constexpr int kRedBit = 1;
    static constexpr int kGreenBit = 16;
    static constexpr int kBlueBit = 256;

    // The operation switches as the frame path sees them. At most one of the four operations
    // is on, and then the channel mask is 0; the mask holds at most two channels.
    struct Switches {
        bool horizontalMirror = false;
        bool verticalMirror = false;
        bool binarySegmentation = false;
        bool negative = false;
        int channelMask = 0;

        bool operator==(const Switches &) const = default;
    };

    // Fastest uses the processor's byte shuffles where it has them; Portable is plain code
    // that runs anywhere (tests check that both give the same pictures).
    enum class Kernels { Fastest, Portable };

    explicit ImageOperations(Kernels kernels = Kernels::Fastest);
    ImageOperations(const ImageOperations &) = delete;
    ImageOperations &operator=(const ImageOperations &) = delete;

    // UI thread.
    // Handles a click on one of the eight buttons; false for any other identifier. Every one
    // of these clicks also releases the measuring-tool buttons, which the caller owns.
    bool press(int buttonId);
    bool isPressed(int buttonId) const;
    // Releases the eight buttons on screen but leaves the running operation on (a live
    // measuring tool was chosen).
    void releaseButtons();
    Switches switches() const;

    // Capture thread. Runs the switched-on operations on `frame` in place, in the order
    // horizontal mirror, vertical mirror (a half turn), binary segmentation, negative,
    // channel display. Reads each switch once; allocates only when the frame grows.
    void apply(FrameView frame);

    // Parts of the segmentation, for tests and tools: the grey value of every pixel,
    // (int)(G * 0.59 + B * 0.11 + R * 0.3 + 0.5), into `grey` (width * height bytes), and
    // the threshold Otsu's method picks for a histogram of grey values.
    void greyValues(FrameView frame, std::uint8_t *grey) const;
    static int otsuThreshold(const std::array<std::uint32_t, 256> &histogram);

private:
    void pressOperation(int buttonId);
    void pressChannel(int buttonId, int bit);
    void setSwitches(const Switches &switches);
    bool &pressed(int buttonId);
    void segment(FrameView frame);

    // Written by the UI thread, read once per frame by the capture thread without a lock.
    std::atomic<int> horizontalMirror_{0};
    std::atomic<int> verticalMirror_{0};
    std::atomic<int> binarySegmentation_{0};
    std::atomic<int> negative_{0};
    std::atomic<int> channelMask_{0};

    std::array<bool, kButtons.size()> pressed_{}; // UI thread only; indexed like kButtons

    // Capture thread only; they grow with the frame and are never shrunk.
    std::vector<std::uint8_t> rowScratch_;
    std::vector<std::uint8_t> grey_;

    const Kernels kernels_;
};

} // namespace quelmar::station
