// A ScheduleClock that tests move by hand: the worker's sleeps end when the test advances the
// clock past them, so a 90-second series runs in no time and nothing sleeps to synchronise.
#pragma once

#include "capture/time_lapse.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace quelmar::test {

class FakeScheduleClock final : public station::ScheduleClock {
public:
    explicit FakeScheduleClock(QDateTime wallStart) : wallStart_(std::move(wallStart)) {}

    QDateTime localNow() const override
    {
        std::lock_guard lock(mutex_);
        return wallLocked();
    }
    TimePoint steadyNow() const override
    {
        std::lock_guard lock(mutex_);
        return now_;
    }
    bool sleepUntil(TimePoint deadline) override
    {
        std::unique_lock lock(mutex_);
        sleepingUntil_ = deadline;
        ++sleeps_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return interrupted_ || now_ >= deadline; });
        sleepingUntil_.reset();
        changed_.notify_all();
        return !interrupted_;
    }
    void interrupt() override
    {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
        changed_.notify_all();
    }
    void rearm() override
    {
        std::lock_guard lock(mutex_);
        interrupted_ = false;
    }

    // Test side: the deadline the worker sleeps until once it sleeps past the current time;
    // nullopt when it does not within five seconds (it ended, or never started).
    std::optional<TimePoint> nextWake()
    {
        std::unique_lock lock(mutex_);
        const bool sleeping = changed_.wait_for(lock, std::chrono::seconds(5), [&] {
            return sleepingUntil_ && *sleepingUntil_ > now_;
        });
        return sleeping ? sleepingUntil_ : std::nullopt;
    }
    // Moves the steady clock (and the local time with it) forward to `to`.
    void advanceTo(TimePoint to)
    {
        std::lock_guard lock(mutex_);
        if (to > now_)
            now_ = to;
        changed_.notify_all();
    }
    // The local clock is set (or the machine wakes from a suspend): it jumps, the steady
    // clock does not.
    void stepLocalClock(std::chrono::milliseconds by)
    {
        std::lock_guard lock(mutex_);
        wallStart_ = wallStart_.addMSecs(by.count());
        changed_.notify_all();
    }
    TimePoint origin() const { return TimePoint{}; }
    int sleeps() const
    {
        std::lock_guard lock(mutex_);
        return sleeps_;
    }

private:
    QDateTime wallLocked() const
    {
        const auto since =
            std::chrono::duration_cast<std::chrono::milliseconds>(now_ - TimePoint{});
        return wallStart_.addMSecs(since.count());
    }

    mutable std::mutex mutex_; // guards everything below
    std::condition_variable changed_;
    QDateTime wallStart_;
    TimePoint now_{};
    std::optional<TimePoint> sleepingUntil_;
    bool interrupted_ = false;
    int sleeps_ = 0;
};

} // namespace quelmar::test
