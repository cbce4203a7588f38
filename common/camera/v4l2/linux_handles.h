// Small owners for the Linux handles the V4L2 layer acquires: file descriptors, mmap regions
// and libudev objects, each released exactly once.
#pragma once

#include <libudev.h>

#include <cstddef>
#include <memory>
#include <utility>

#include <sys/mman.h>
#include <unistd.h>

namespace quelmar::v4l2 {

// Owns one file descriptor; -1 means none.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd &&other) noexcept : fd_(other.release()) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept
    {
        reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    explicit operator bool() const { return valid(); }

    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1)
    {
        const int old = std::exchange(fd_, fd);
        if (old >= 0)
            ::close(old);
    }

private:
    int fd_ = -1;
};

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
