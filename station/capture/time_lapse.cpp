#include "capture/time_lapse.h"

#include <algorithm>

namespace quelmar::station {

TimeLapseSettings TimeLapseSettings::startingAt(const QDateTime &now)
{
    TimeLapseSettings s;
    s.year = now.date().year();
    s.month = now.date().month();
    s.day = now.date().day();
    s.hour = now.time().hour();
    s.minute = now.time().minute();
    s.second = now.time().second();
    return s;
}

std::optional<QDateTime> TimeLapseSettings::startTime() const
{
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QDateTime start(date, time);
    // A local time skipped by a daylight-saving change does not exist either.
    if (!start.isValid() || start.time() != time)
        return std::nullopt;
    return start;
}

StartCheck checkStartTime(const TimeLapseSettings &settings, const QDateTime &now)
{
    const std::optional<QDateTime> start = settings.startTime();
    if (!start)
        return StartCheck::NotADateTime;
    const QDateTime thisSecond(now.date(),
                               QTime(now.time().hour(), now.time().minute(), now.time().second()));
    return *start < thisSecond ? StartCheck::Past : StartCheck::Ok;
}

QString fileSizeEstimate(int count, int width, int height, int sensorClass)
{
    std::int64_t divisor = 0;
    switch (sensorClass) {
    case 1:
    case 5:
        divisor = 1310720;
        break;
    case 2:
        divisor = 1920000;
        break;
    case 3:
        divisor = 5038848;
        break;
    case 4:
        divisor = 7990272;
        break;
    default:
        return {};
    }
    // 200 stills of 3264 x 2448 are 4.8e9 bytes: the product needs 64 bits.
    const std::int64_t frameBytes = std::int64_t(width) * height * 3;
    const std::int64_t value = std::int64_t(count) * frameBytes * 100 / divisor;
    return QString::asprintf("%4lld.%2lld", static_cast<long long>(value / 100),
                             static_cast<long long>(value % 100));
}

bool SystemScheduleClock::sleepUntil(TimePoint deadline)
{
    std::unique_lock lock(mutex_);
    return !wake_.wait_until(lock, deadline, [this] { return interrupted_; });
}

void SystemScheduleClock::interrupt()
{
    {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
    }
    wake_.notify_all();
}

void SystemScheduleClock::rearm()
{
    std::lock_guard lock(mutex_);
    interrupted_ = false;
}

TimeLapseSeries::TimeLapseSeries(ScheduleClock *clock, std::function<void()> requestStill,
                                 QObject *parent)
    : QObject(parent), clock_(clock), requestStill_(std::move(requestStill))
{}

TimeLapseSeries::~TimeLapseSeries()
{
    stop();
}

void TimeLapseSeries::setClock(ScheduleClock *clock)
{
    stop();
    clock_ = clock;
}

void TimeLapseSeries::start(const QDateTime &startTime, std::chrono::milliseconds interval,
                            int count)
{
    stop();
    clock_->rearm();
    running_ = true;
    ++generation_;
    worker_ = std::thread(&TimeLapseSeries::run, this, generation_, startTime, interval, count);
}

void TimeLapseSeries::stop()
{
    running_ = false;
    if (worker_.joinable()) {
        clock_->interrupt();
        worker_.join();
    }
}

void TimeLapseSeries::run(int generation, QDateTime startTime, std::chrono::milliseconds interval,
                          int count)
{
    using std::chrono::milliseconds;
    // Until the local clock reaches the start or has passed it, looking again every half
    // second: the clock may be set or the machine suspended meanwhile.
    for (;;) {
        if (!running_)
            return;
        const qint64 left = clock_->localNow().msecsTo(startTime);
        if (left <= 0)
            break;
        const milliseconds wait = std::min(milliseconds(left), kStartPoll);
        if (!clock_->sleepUntil(clock_->steadyNow() + wait))
            return;
    }
    // A fixed schedule on the steady clock: a late wake-up does not delay the stills after it.
    const ScheduleClock::TimePoint origin = clock_->steadyNow();
    for (int n = 1; n <= count; ++n) {
        if (!running_)
            return;
        requestStill_();
        Q_EMIT stillRequested(generation, n);
        if (!clock_->sleepUntil(origin + n * interval))
            return;
    }
    if (running_)
        Q_EMIT seriesComplete(generation);
}

} // namespace quelmar::station
