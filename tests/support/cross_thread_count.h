// A count that another thread (a capture thread, a callback) raises and the test thread
// waits on, without sleeping.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace quelmar::test {

class CrossThreadCount {
public:
    void add()
    {
        const std::lock_guard lock(mutex_);
        ++count_;
        changed_.notify_all();
    }
    // Whether the count reached `atLeast` within ten seconds.
    bool waitFor(int atLeast)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return count_ >= atLeast; });
    }
    int value()
    {
        const std::lock_guard lock(mutex_);
        return count_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

} // namespace quelmar::test
