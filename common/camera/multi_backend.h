// Several kinds of camera in one list: the demo camera beside the V4L2 cameras, so a user
// who starts with the demo camera can still choose a real one.
#pragma once

#include "camera/camera.h"

#include <vector>

namespace quelmar {

class MultiBackend final : public CameraBackend {
public:
    // Borrows the backends; their order is the order of the list.
    explicit MultiBackend(std::vector<CameraBackend *> backends) : backends_(std::move(backends)) {}

    std::vector<CameraInfo> enumerate() override;
    // Asks the backend that listed the camera.
    std::unique_ptr<Camera> open(const CameraInfo &camera) override;
    CameraFault lastFault() const override { return lastFault_; }

private:
    std::vector<CameraBackend *> backends_;
    std::vector<std::pair<QString, CameraBackend *>> owners_; // identity → backend that listed it
    CameraFault lastFault_ = CameraFault::None;
};

} // namespace quelmar
