// A thread that runs one pass of the snapshot-button poll after the other until cancelled,
// with a short pause between passes so a quick device is not flooded with requests.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

namespace quelmar::viewer {

class SnapshotWatcher {
public:
    static constexpr std::chrono::milliseconds kPause{200};

    using Pass = std::function<void(std::stop_token)>;

    explicit SnapshotWatcher(Pass pass);
    ~SnapshotWatcher() = default; // a cancelled pass ends at its next stop check; joined here
    SnapshotWatcher(const SnapshotWatcher &) = delete;
    SnapshotWatcher &operator=(const SnapshotWatcher &) = delete;

    void cancel() { thread_.request_stop(); }

private:
    void run(std::stop_token stop);

    Pass pass_;
    std::mutex pauseMutex_; // only for the pause's wait; nothing else waits on it
    std::condition_variable_any pauseWake_;
    std::jthread thread_; // last: stops and joins before the members above go
};

} // namespace quelmar::viewer
