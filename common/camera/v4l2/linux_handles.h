// Small owners for the Linux handles the V4L2 layer acquires: file descriptors, mmap regions
// and libudev objects, each released exactly once.
#pragma once

#include "unique_fd.h"

#include <libudev.h>

#include <cstddef>
#include <memory>
#include <utility>

#include <sys/mman.h>
#include <unistd.h>

namespace quelmar::v4l2 {

// The file descriptor owner every part of the suite uses.
using quelmar::UniqueFd;

// Owns one mmap() region; unmapped on destruction.
class MappedRegion {
public:
    MappedRegion() = default;
    MappedRegion(void *address, std::size_t length) : address_(address), length_(length)
    {
        if (address_ == MAP_FAILED)
            address_ = nullptr;
    }
    MappedRegion(MappedRegion &&other) noexcept
        : address_(std::exchange(other.address_, nullptr)), length_(std::exchange(other.length_, 0))
    {}
    MappedRegion &operator=(MappedRegion &&other) noexcept
    {
        if (this != &other) {
            unmap();
            address_ = std::exchange(other.address_, nullptr);
            length_ = std::exchange(other.length_, 0);
        }
        return *this;
    }
    MappedRegion(const MappedRegion &) = delete;
    MappedRegion &operator=(const MappedRegion &) = delete;
    ~MappedRegion() { unmap(); }

    bool valid() const { return address_ != nullptr; }
    unsigned char *data() const { return static_cast<unsigned char *>(address_); }
    std::size_t size() const { return length_; }

private:
    void unmap()
    {
        if (address_ != nullptr)
            ::munmap(address_, length_);
        address_ = nullptr;
        length_ = 0;
    }

    void *address_ = nullptr;
    std::size_t length_ = 0;
};

// Calls a C release function; its return value (libudev's unref returns NULL) is irrelevant.
template <auto Release> struct ReleaseWith {
    template <typename T> void operator()(T *handle) const { Release(handle); }
};

using UdevPtr = std::unique_ptr<udev, ReleaseWith<&udev_unref>>;
using UdevDevicePtr = std::unique_ptr<udev_device, ReleaseWith<&udev_device_unref>>;
using UdevEnumeratePtr = std::unique_ptr<udev_enumerate, ReleaseWith<&udev_enumerate_unref>>;
using UdevMonitorPtr = std::unique_ptr<udev_monitor, ReleaseWith<&udev_monitor_unref>>;

} // namespace quelmar::v4l2
