#include "camera/multi_backend.h"

namespace quelmar {

std::vector<CameraInfo> MultiBackend::enumerate()
{
    std::vector<CameraInfo> all;
    owners_.clear();
    lastFault_ = CameraFault::None;
    for (CameraBackend *backend : backends_) {
        for (CameraInfo &info : backend->enumerate()) {
            owners_.emplace_back(info.identity, backend);
            all.push_back(std::move(info));
        }
        if (lastFault_ == CameraFault::None)
            lastFault_ = backend->lastFault();
    }
    if (!all.empty())
        lastFault_ = CameraFault::None;
    return all;
}

std::unique_ptr<Camera> MultiBackend::open(const CameraInfo &camera)
{
    for (const auto &[identity, backend] : owners_) {
        if (identity != camera.identity)
            continue;
        std::unique_ptr<Camera> opened = backend->open(camera);
        lastFault_ = opened ? CameraFault::None : backend->lastFault();
        return opened;
    }
    lastFault_ = CameraFault::Gone;
    return nullptr;
}

} // namespace quelmar
