#include "camera/v4l2/camera_button.h"

#include "camera/v4l2/v4l2_logging.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

namespace quelmar::v4l2 {

namespace {

std::vector<std::string_view> splitWords(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = text.find_first_not_of(" \t\n", at);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(text.find_first_of(" \t\n", start), text.size());
        words.push_back(text.substr(start, end - start));
        at = end;
    }
    return words;
}

std::string textOrEmpty(const char *text)
{
    return text != nullptr ? std::string(text) : std::string();
}

std::string usbDevicePathOf(udev_device *device)
{
    // Parents belong to the child device; they are not released separately.
    udev_device *usb = udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
    return usb != nullptr ? textOrEmpty(udev_device_get_syspath(usb)) : std::string();
}

InputCandidate describeInput(udev_device *input)
{
    InputCandidate candidate;
    candidate.devnode = textOrEmpty(udev_device_get_devnode(input));
    candidate.usbDevicePath = usbDevicePathOf(input);
    // The key bitmap sits on the inputN device; an eventN node is its child.
    const char *keys = udev_device_get_sysattr_value(input, "capabilities/key");
    if (keys == nullptr) {
        udev_device *parent =
            udev_device_get_parent_with_subsystem_devtype(input, "input", nullptr);
        if (parent != nullptr)
            keys = udev_device_get_sysattr_value(parent, "capabilities/key");
    }
    candidate.keyCapabilities = textOrEmpty(keys);
    return candidate;
}

std::vector<InputCandidate> inputsUnder(udev *context, udev_device *usb)
{
    std::vector<InputCandidate> inputs;
    const UdevEnumeratePtr enumeration(udev_enumerate_new(context));
    if (!enumeration || udev_enumerate_add_match_subsystem(enumeration.get(), "input") < 0 ||
        udev_enumerate_add_match_parent(enumeration.get(), usb) < 0 ||
        udev_enumerate_scan_devices(enumeration.get()) < 0)
        return inputs;
    udev_list_entry *entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get()))
    {
        const UdevDevicePtr input(
            udev_device_new_from_syspath(context, udev_list_entry_get_name(entry)));
        if (input)
            inputs.push_back(describeInput(input.get()));
    }
    return inputs;
}

} // namespace

bool keyBitmapHas(std::string_view bitmap, unsigned key, unsigned wordBits)
{
    if (wordBits == 0 || wordBits > 64)
        return false;
    const std::vector<std::string_view> words = splitWords(bitmap);
    const std::size_t wordFromEnd = key / wordBits;
    if (wordFromEnd >= words.size())
        return false;
    const std::string_view word = words[words.size() - 1 - wordFromEnd];
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value, 16);
    if (error != std::errc() || end != word.data() + word.size())
        return false;
    return ((value >> (key % wordBits)) & 1U) != 0;
}

bool isEventNode(std::string_view devnode)
{
    constexpr std::string_view prefix = "/dev/input/event";
    if (!devnode.starts_with(prefix) || devnode.size() == prefix.size())
        return false;
    const std::string_view number = devnode.substr(prefix.size());
    return std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string> buttonCandidates(std::string_view usbDevicePath,
                                          const std::vector<InputCandidate> &inputs)
{
    std::vector<std::string> nodes;
    if (usbDevicePath.empty())
        return nodes;
    for (const InputCandidate &input : inputs) {
        if (input.usbDevicePath == usbDevicePath && isEventNode(input.devnode) &&
            keyBitmapHas(input.keyCapabilities, KEY_CAMERA))
            nodes.push_back(input.devnode);
    }
    return nodes;
}

int cameraButtonPresses(std::span<const input_event> events)
{
    return int(std::count_if(events.begin(), events.end(), [](const input_event &event) {
        return event.type == EV_KEY && event.code == KEY_CAMERA && event.value == 1;
    }));
}

bool reportsCameraKey(int inputFd)
{
    constexpr std::size_t bitsPerWord = sizeof(unsigned long) * CHAR_BIT;
    unsigned long keys[(KEY_MAX + bitsPerWord) / bitsPerWord] = {};
    if (ioctl(inputFd, EVIOCGBIT(EV_KEY, sizeof(keys)), keys) < 0)
        return false;
    return ((keys[KEY_CAMERA / bitsPerWord] >> (KEY_CAMERA % bitsPerWord)) & 1UL) != 0;
}

UniqueFd openCameraButton(int videoFd, ButtonAccess *access)
{
    ButtonAccess ignored = ButtonAccess::None;
    ButtonAccess &found = access != nullptr ? *access : ignored;
    found = ButtonAccess::None;
    struct stat status {};
    if (fstat(videoFd, &status) != 0 || !S_ISCHR(status.st_mode))
        return {};
    const UdevPtr context(udev_new());
    if (!context) {
        qCDebug(lcV4l2) << "udev unavailable; no camera button";
        return {};
    }
    const UdevDevicePtr video(udev_device_new_from_devnum(context.get(), 'c', status.st_rdev));
    udev_device *usb =
        video ? udev_device_get_parent_with_subsystem_devtype(video.get(), "usb", "usb_device")
              : nullptr;
    if (usb == nullptr) {
        qCDebug(lcV4l2) << "video node is not on a USB device; no camera button";
        return {};
    }
    const std::string usbPath = textOrEmpty(udev_device_get_syspath(usb));
    for (const std::string &node : buttonCandidates(usbPath, inputsUnder(context.get(), usb))) {
        UniqueFd input(::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (!input) {
            const int error = errno;
            qCDebug(lcV4l2) << "cannot open camera button" << node.c_str()
                            << qt_error_string(error);
            if (error == EACCES || error == EPERM)
                found = ButtonAccess::NotPermitted;
            continue;
        }
        if (reportsCameraKey(input.get())) {
            qCDebug(lcV4l2) << "camera button" << node.c_str();
            found = ButtonAccess::Readable;
            return input;
        }
    }
    return {};
}

} // namespace quelmar::v4l2
