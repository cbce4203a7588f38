#include "snapshot_watcher.h"

namespace quelmar::viewer {

SnapshotWatcher::SnapshotWatcher(Pass pass) : pass_(std::move(pass))
{
    thread_ = std::jthread([this](std::stop_token stop) { run(std::move(stop)); });
}

void SnapshotWatcher::run(std::stop_token stop)
{
    while (!stop.stop_requested()) {
        pass_(stop);
        std::unique_lock lock(pauseMutex_);
        pauseWake_.wait_for(lock, stop, kPause, [] { return false; });
    }
}

} // namespace quelmar::viewer
