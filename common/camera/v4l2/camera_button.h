// Finds a camera's own button: the evdev device with KEY_CAMERA that the UVC driver creates
// beside the video node, under the same USB device. The choice among udev's answers is plain
// logic over InputCandidate records, so tests can drive it without hardware.
#pragma once

#include "camera/camera.h"
#include "camera/v4l2/linux_handles.h"

#include <linux/input.h>

#include <climits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quelmar::v4l2 {

// One input device as udev describes it.
struct InputCandidate {
    std::string devnode;         // "/dev/input/event5"; empty for nodes-less input devices
    std::string usbDevicePath;   // syspath of its usb_device ancestor; empty when not on USB
    std::string keyCapabilities; // its input device's "capabilities/key" bitmap
};

// Whether a "capabilities/key" bitmap (hex words of `wordBits` bits, most significant word
// first, as the kernel prints them) has the bit of `key`.
bool keyBitmapHas(std::string_view bitmap, unsigned key,
                  unsigned wordBits = sizeof(long) * CHAR_BIT);

// Whether `devnode` is an evdev node, /dev/input/eventN.
bool isEventNode(std::string_view devnode);

// The event nodes, in udev's order, that may be the button of the camera whose USB device has
// the syspath `usbDevicePath`: same USB device, an evdev node, KEY_CAMERA among its keys.
std::vector<std::string> buttonCandidates(std::string_view usbDevicePath,
                                          const std::vector<InputCandidate> &inputs);

// How many presses (not releases or repeats) of the camera button `events` hold.
int cameraButtonPresses(std::span<const input_event> events);

// Whether the open evdev device `inputFd` reports KEY_CAMERA.
bool reportsCameraKey(int inputFd);

// Opens (read-only, non-blocking) the button of the camera behind the open video node
// `videoFd`. Invalid when the camera has none, udev is unavailable or opening is not allowed;
// `access` then tells a button the user may not read (no udev rule gives access) from none.
UniqueFd openCameraButton(int videoFd, ButtonAccess *access = nullptr);

} // namespace quelmar::v4l2
