// Time-lapse series: the settings of CTimerDlg with their checks, the file size estimate, and
// the worker that asks for one still at the start time and then one per interval. The worker
// waits on an injectable clock, so tests run a 90-second series instantly.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace quelmar::station {

struct TimeLapseSettings {
    int intervalSeconds = 3; // 3 to 60
    int intervalMinutes = 0; // 0 to 999
    int count = 8;           // 1 to 200
    int year = 2008;         // 2008 to 2032
    int month = 1;           // 1 to 12
    int day = 1;             // 1 to 31
    int hour = 0;            // 0 to 24
    int minute = 0;          // 0 to 60
    int second = 0;          // 0 to 60

    // The start fields filled with `now`.
    static TimeLapseSettings startingAt(const QDateTime &now);
    std::chrono::milliseconds interval() const
    {
        return std::chrono::milliseconds(
            (std::int64_t(intervalSeconds) + 60 * std::int64_t(intervalMinutes)) * 1000);
    }
    // The start as a local date and time; nullopt when the fields name none (30 February,
    // 24:00, a second of 60).
    std::optional<QDateTime> startTime() const;
};

enum class StartCheck { Ok, NotADateTime, Past };
// A start in the current second or later is accepted.
StartCheck checkStartTime(const TimeLapseSettings &settings, const QDateTime &now);

// "%4d.%2d" megabytes for `count` stills of width x height x 3 bytes against the class's
// high-size pixel count; empty for a class without one (0).
QString fileSizeEstimate(int count, int width, int height, int sensorClass);

// Where the worker reads the time and sleeps.
class ScheduleClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~ScheduleClock() = default;
    virtual QDateTime localNow() const = 0;
    virtual TimePoint steadyNow() const = 0;
    // Sleeps until `deadline` on the steady clock; false when interrupted first.
    virtual bool sleepUntil(TimePoint deadline) = 0;
    // Wakes a sleeper; every sleep returns false at once until rearm().
    virtual void interrupt() = 0;
    virtual void rearm() = 0;
};

class SystemScheduleClock final : public ScheduleClock {
public:
    QDateTime localNow() const override { return QDateTime::currentDateTime(); }
    TimePoint steadyNow() const override { return std::chrono::steady_clock::now(); }
    bool sleepUntil(TimePoint deadline) override;
    void interrupt() override;
    void rearm() override;

private:
    std::mutex mutex_; // guards interrupted_
    std::condition_variable wake_;
    bool interrupted_ = false;
};

// The worker: waits until the local clock reaches the start (or has passed it: a clock step
// or a suspend never makes it miss), then asks for a still at start + k x interval on the
// steady clock. It talks to its owner only through queued signals, so the owner may wait for
// it while the signals are pending.
class TimeLapseSeries : public QObject {
    Q_OBJECT
public:
    // How often the wait for the start looks at the local clock again.
    static constexpr std::chrono::milliseconds kStartPoll{500};

    // `requestStill` runs on the worker thread; it must only set the snapshot request.
    TimeLapseSeries(ScheduleClock *clock, std::function<void()> requestStill,
                    QObject *parent = nullptr);
    ~TimeLapseSeries() override; // stops and joins

    // Starts a series; a worker still running is stopped and joined first.
    void start(const QDateTime &startTime, std::chrono::milliseconds interval, int count);
    // Ends the worker at once (it takes no further still) and joins it.
    void stop();
    bool isRunning() const { return running_; }
    // Identifies the current series in the signals; older ones are stale.
    int generation() const { return generation_; }
    void setClock(ScheduleClock *clock);

Q_SIGNALS:
    void stillRequested(int generation, int number);
    // One interval after the last still: the series is complete.
    void seriesComplete(int generation);

private:
    void run(int generation, QDateTime startTime, std::chrono::milliseconds interval, int count);

    ScheduleClock *clock_;
    std::function<void()> requestStill_;
    std::atomic<bool> running_{false};
    int generation_ = 0;
    std::thread worker_;
};

} // namespace quelmar::station
