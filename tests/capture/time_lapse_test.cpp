// Time-lapse series on a clock the tests move: intervals, the fixed schedule, the start at or
// after the start time, Stop and Start again, the estimate, the dialog's checks, and a series
// of stills with the demo camera through the main window.
#include "base/command_ids.h"
#include "capture/time_lapse.h"
#include "capture/timer_dlg.h"
#include "demo_station.h"
#include "fake_schedule_clock.h"
#include "library/media_library.h"
#include "recording_sound.h"
#include "scripted_prompt.h"
#include "shell/scopedesk_dlg.h"
#include "temp_home.h"

#include <camera/synthetic/synthetic_camera.h>

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>

using namespace quelmar::station;
using namespace std::chrono_literals;
using quelmar::test::FakeScheduleClock;

namespace {

struct IntervalCase {
    int minutes;
    int seconds;
    std::chrono::milliseconds expected;
};

class TimeLapseInterval : public ::testing::TestWithParam<IntervalCase> {};

TEST_P(TimeLapseInterval, IsSecondsPlusSixtyTimesMinutes)
{
    TimeLapseSettings s;
    s.intervalMinutes = GetParam().minutes;
    s.intervalSeconds = GetParam().seconds;
    EXPECT_EQ(s.interval(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Fields, TimeLapseInterval,
                         ::testing::Values(IntervalCase{0, 3, 3s}, IntervalCase{1, 30, 90s},
                                           IntervalCase{999, 60, 60000s}));

struct EstimateCase {
    int count;
    int width;
    int height;
    int sensorClass;
    const char *expected;
};

class FileSizeEstimate : public ::testing::TestWithParam<EstimateCase> {};

TEST_P(FileSizeEstimate, IsWholeAndHundredthMegabytes)
{
    const EstimateCase c = GetParam();
    EXPECT_EQ(fileSizeEstimate(c.count, c.width, c.height, c.sensorClass),
              QString::fromLatin1(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Classes, FileSizeEstimate,
                         ::testing::Values(EstimateCase{8, 1280, 1024, 1, "  24. 0"},
                                           EstimateCase{8, 1280, 1024, 5, "  24. 0"},
                                           EstimateCase{1, 640, 480, 1, "   0.70"},
                                           EstimateCase{3, 1600, 1200, 2, "   9. 0"},
                                           EstimateCase{7, 2592, 1944, 3, "  21. 0"},
                                           // 4.8e9 bytes: beyond 32 bits.
                                           EstimateCase{200, 3264, 2448, 4, " 600. 0"},
                                           // No sensor class, no divisor: nothing is shown.
                                           EstimateCase{8, 640, 480, 0, ""}));

struct StartCase {
    const char *name;
    std::function<void(TimeLapseSettings &)> change;
    StartCheck expected;
};

void PrintTo(const StartCase &c, std::ostream *os)
{
    *os << c.name;
}

class StartTimeCheck : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartTimeCheck, AcceptsTheCurrentSecondAndLaterRealTimes)
{
    const QDateTime now(QDate(2026, 3, 15), QTime(10, 20, 30, 400));
    TimeLapseSettings s = TimeLapseSettings::startingAt(now);
    GetParam().change(s);
    EXPECT_EQ(checkStartTime(s, now), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartTimeCheck,
    ::testing::Values(
        StartCase{"ThisSecond", [](TimeLapseSettings &) {}, StartCheck::Ok},
        StartCase{"NextMinute", [](TimeLapseSettings &s) { s.minute = 21; }, StartCheck::Ok},
        StartCase{"OneSecondAgo", [](TimeLapseSettings &s) { s.second = 29; }, StartCheck::Past},
        StartCase{"Yesterday",
                  [](TimeLapseSettings &s) {
                      s.day = 14;
                      s.hour = 23;
                  },
                  StartCheck::Past},
        StartCase{"ThirtiethOfFebruary",
                  [](TimeLapseSettings &s) {
                      s.month = 2;
                      s.day = 30;
                  },
                  StartCheck::NotADateTime},
        StartCase{"Hour24", [](TimeLapseSettings &s) { s.hour = 24; }, StartCheck::NotADateTime},
        StartCase{"Minute60", [](TimeLapseSettings &s) { s.minute = 60; },
                  StartCheck::NotADateTime},
        StartCase{"Second60", [](TimeLapseSettings &s) { s.second = 60; },
                  StartCheck::NotADateTime}),
    [](const auto &info) { return std::string(info.param.name); });

class TimeLapseWorker : public ::testing::Test {
protected:
    FakeScheduleClock clock{QDateTime(QDate(2026, 3, 15), QTime(10, 20, 30, 250))};
    std::atomic<int> requests{0};
    TimeLapseSeries series{&clock, [this] { ++requests; }};
    // The worker's signals arrive queued on this thread, as they do at the dialog.
    QObject receiver;
    std::vector<int> taken;     // the numbers of the stills, as signalled
    std::vector<int> completes; // the generations of the completed series

    void SetUp() override
    {
        QObject::connect(&series, &TimeLapseSeries::stillRequested, &receiver,
                         [this](int, int number) { taken.push_back(number); });
        QObject::connect(&series, &TimeLapseSeries::seriesComplete, &receiver,
                         [this](int generation) { completes.push_back(generation); });
    }
    bool waitForCompletion(std::size_t count = 1)
    {
        return QTest::qWaitFor([&] { return completes.size() >= count; }, 5000);
    }

    QDateTime thisSecond() const
    {
        const QDateTime now = clock.localNow();
        return QDateTime(now.date(),
                         QTime(now.time().hour(), now.time().minute(), now.time().second()));
    }
    // Lets the worker reach its next sleep and returns its deadline after the schedule's start.
    std::optional<std::chrono::milliseconds> nextWakeAfter(ScheduleClock::TimePoint origin)
    {
        const auto wake = clock.nextWake();
        if (!wake)
            return std::nullopt;
        return std::chrono::duration_cast<std::chrono::milliseconds>(*wake - origin);
    }
};

// The first still at once (the start is this second), then one every three seconds on a fixed
// schedule: waking late does not push the next still back; one interval after the last the
// series is complete.
TEST_F(TimeLapseWorker, ThreeSecondSeriesKeepsAFixedSchedule)
{
    series.start(thisSecond(), 3s, 3);
    const auto origin = clock.steadyNow();
    EXPECT_EQ(nextWakeAfter(origin), 3000ms);
    EXPECT_EQ(requests, 1);
    clock.advanceTo(origin + 3700ms); // a late wake-up
    EXPECT_EQ(nextWakeAfter(origin), 6000ms);
    EXPECT_EQ(requests, 2);
    clock.advanceTo(origin + 6000ms);
    EXPECT_EQ(nextWakeAfter(origin), 9000ms);
    EXPECT_EQ(requests, 3);
    clock.advanceTo(origin + 9000ms);
    ASSERT_TRUE(waitForCompletion());
    EXPECT_EQ(requests, 3);
    EXPECT_EQ(taken, (std::vector<int>{1, 2, 3}));
}

TEST_F(TimeLapseWorker, OneMinuteThirtyIsNinetySeconds)
{
    TimeLapseSettings s;
    s.intervalMinutes = 1;
    s.intervalSeconds = 30;
    series.start(thisSecond(), s.interval(), 2);
    const auto origin = clock.steadyNow();
    EXPECT_EQ(nextWakeAfter(origin), 90000ms);
    clock.advanceTo(origin + 90s);
    EXPECT_EQ(nextWakeAfter(origin), 180000ms);
    EXPECT_EQ(requests, 2);
}

// 200 stills a minute apart: the last one 199 minutes after the first.
TEST_F(TimeLapseWorker, TwoHundredStillsAtOneMinuteLast199Minutes)
{
    series.start(thisSecond(), 60s, 200);
    const auto origin = clock.steadyNow();
    std::optional<std::chrono::milliseconds> wake;
    while ((wake = nextWakeAfter(origin)) && requests < 200)
        clock.advanceTo(origin + *wake);
    EXPECT_EQ(requests, 200);
    ASSERT_TRUE(wake);
    EXPECT_EQ(*wake, 200min) << "the last still at 199 minutes, complete one interval later";
    clock.advanceTo(origin + *wake);
    EXPECT_TRUE(waitForCompletion());
}

TEST_F(TimeLapseWorker, StopDuringTheWaitForTheStartTakesNoStill)
{
    series.start(thisSecond().addSecs(10), 3s, 5);
    ASSERT_TRUE(clock.nextWake());
    series.stop();
    EXPECT_FALSE(series.isRunning());
    EXPECT_EQ(requests, 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(taken.empty());
    EXPECT_TRUE(completes.empty());
}

// The local clock jumps past the start second (set by hand, or a suspend): the series starts
// at once instead of waiting for a second that never comes.
TEST_F(TimeLapseWorker, StartsWhenTheClockJumpsPastTheStart)
{
    series.start(thisSecond().addSecs(10), 3s, 2);
    const auto wake = clock.nextWake();
    ASSERT_TRUE(wake);
    EXPECT_LE(*wake - clock.steadyNow(), TimeLapseSeries::kStartPoll);
    clock.stepLocalClock(15s);
    clock.advanceTo(*wake);
    ASSERT_TRUE(clock.nextWake());
    EXPECT_EQ(requests, 1);
}

// The start waits on the local clock until the start second, however many polls that takes.
TEST_F(TimeLapseWorker, FirstStillAtTheStartSecond)
{
    const QDateTime start = thisSecond().addSecs(2);
    series.start(start, 3s, 1);
    while (requests == 0) {
        const auto wake = clock.nextWake();
        ASSERT_TRUE(wake);
        EXPECT_EQ(requests, 0) << "before " << clock.localNow().toString().toStdString();
        clock.advanceTo(*wake);
        if (clock.localNow() >= start)
            break;
    }
    ASSERT_TRUE(clock.nextWake());
    EXPECT_EQ(requests, 1);
    EXPECT_GE(clock.localNow(), start);
    EXPECT_LT(clock.localNow(), start.addMSecs(TimeLapseSeries::kStartPoll.count()));
}

// Start right after Stop: the old worker is gone before the new one runs.
TEST_F(TimeLapseWorker, StartAfterStopLeavesOneWorker)
{
    series.start(thisSecond(), 3s, 5);
    ASSERT_TRUE(clock.nextWake());
    const int first = series.generation();
    series.stop();
    series.start(thisSecond(), 3s, 1);
    const auto origin = clock.steadyNow();
    EXPECT_EQ(nextWakeAfter(origin), 3000ms);
    clock.advanceTo(origin + 3s);
    ASSERT_TRUE(waitForCompletion());
    EXPECT_EQ(requests, 2) << "one from each series, none from the stopped one after Stop";
    EXPECT_EQ(completes, std::vector<int>{first + 1});
}

class TimerDialog : public ::testing::Test {
protected:
    quelmar::test::ScriptedPrompt prompt;
    Language language; // no file: every text its default
    FakeScheduleClock clock{QDateTime::currentDateTime()};
    std::atomic<int> requests{0};
    std::unique_ptr<CTimerDlg> dialog;

    void SetUp() override
    {
        CTimerDlg::Context c;
        c.language = &language;
        c.prompt = &prompt;
        c.messageTitle = QStringLiteral("Quelmar");
        c.requestStill = [this] { ++requests; };
        c.frameWidth = 1280;
        c.frameHeight = 1024;
        c.sensorClass = 1;
        dialog = std::make_unique<CTimerDlg>(std::move(c));
        dialog->setClock(&clock);
    }
    TimeLapseSettings startingNow() const
    {
        return TimeLapseSettings::startingAt(clock.localNow());
    }
};

TEST_F(TimerDialog, OpensWithTheTimeTheDefaultsAndTheEstimate)
{
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Capture Setting"));
    const TimeLapseSettings s = dialog->settings();
    EXPECT_EQ(s.intervalSeconds, 3);
    EXPECT_EQ(s.intervalMinutes, 0);
    EXPECT_EQ(s.count, 8);
    EXPECT_EQ(s.year, QDate::currentDate().year());
    EXPECT_EQ(dialog->counter()->text(), QStringLiteral("0"));
    EXPECT_EQ(dialog->estimate()->text(), QStringLiteral("  24. 0"));
    EXPECT_EQ(dialog->startButton()->text(), QStringLiteral("Start"));
    dialog->countField()->setValue(1);
    Q_EMIT dialog->countField()->editingFinished();
    EXPECT_EQ(dialog->estimate()->text(), QStringLiteral("   3. 0"));
}

TEST_F(TimerDialog, RefusesAStartInThePastOrNotADate)
{
    TimeLapseSettings s = TimeLapseSettings::startingAt(clock.localNow().addSecs(-60));
    dialog->setSettings(s);
    dialog->startButton()->click();
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("The time of your setting must be a future time!"));
    EXPECT_EQ(dialog->startButton()->text(), QStringLiteral("Start"));
    EXPECT_FALSE(dialog->series().isRunning());

    s = startingNow();
    s.month = 2;
    s.day = 30;
    dialog->setSettings(s);
    dialog->startButton()->click();
    EXPECT_EQ(prompt.lastText(), QStringLiteral("The start time is not a valid date and time!"));
    EXPECT_FALSE(dialog->series().isRunning());
}

// Start, the counter, Stop (counter back to 0), Start again, and Cancel joining the worker.
TEST_F(TimerDialog, StopResetsTheCounterAndCancelEndsTheWorker)
{
    TimeLapseSettings s = startingNow();
    s.count = 5;
    dialog->setSettings(s);
    dialog->startButton()->click();
    EXPECT_EQ(dialog->startButton()->text(), QStringLiteral("Stop"));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return dialog->counter()->text() == QStringLiteral("1"); }, 5000));
    dialog->startButton()->click();
    EXPECT_EQ(dialog->counter()->text(), QStringLiteral("0"));
    EXPECT_EQ(dialog->startButton()->text(), QStringLiteral("Start"));
    EXPECT_FALSE(dialog->series().isRunning());
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog->counter()->text(), QStringLiteral("0")) << "a stale count stays away";

    dialog->startButton()->click();
    ASSERT_TRUE(clock.nextWake());
    dialog->reject();
    EXPECT_FALSE(dialog->series().isRunning());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(requests, 2);
}

// The whole road with the demo camera: the series' stills are named and numbered like Take
// Picture's, and the dialog closes itself one interval after the last.
TEST(TimeLapseWindow, SeriesOfThreeStillsAtThreeSeconds)
{
    quelmar::test::DemoStation station;
    CScopeDeskDlg &window = *station.window;
    quelmar::test::ScriptedPrompt &prompt = station.prompt;
    ASSERT_TRUE(window.isConnected());
    QSignalSpy saved(&window, &CScopeDeskDlg::stillSaved);

    FakeScheduleClock clock(QDateTime::currentDateTime());
    int result = -1;
    prompt.onDialog = [&](QDialog &d) {
        auto *timer = dynamic_cast<CTimerDlg *>(&d);
        if (!timer)
            return int(QDialog::Rejected);
        timer->setClock(&clock);
        TimeLapseSettings s = TimeLapseSettings::startingAt(clock.localNow());
        s.count = 3;
        s.intervalSeconds = 3;
        timer->setSettings(s);
        QSignalSpy finished(timer, &QDialog::finished);
        timer->startButton()->click();
        const auto origin = clock.steadyNow();
        for (int n = 1; n <= 3; ++n) {
            if (!QTest::qWaitFor([&] { return saved.size() >= n; }, 10000))
                break;
            EXPECT_EQ(timer->counter()->text(), QString::number(n));
            clock.advanceTo(origin + n * 3s);
        }
        finished.wait(5000);
        result = timer->result();
        return result;
    };
    window.onCommand(cmd::TimeLapse);
    EXPECT_EQ(result, QDialog::Accepted);
    ASSERT_EQ(saved.size(), 3);
    const QString pictureDir = window.library()->current().pictureDir;
    for (int n = 1; n <= 3; ++n) {
        const QString name = QFileInfo(saved.at(n - 1).at(0).toString()).fileName();
        EXPECT_TRUE(name.startsWith(QStringLiteral("Still_")));
        EXPECT_TRUE(name.endsWith(QStringLiteral("_60X_N%1.jpg").arg(n, 4, 10, QChar(u'0'))))
            << name.toStdString();
        EXPECT_TRUE(QFileInfo::exists(pictureDir + QStringLiteral("/tmp/") + name));
    }
}

} // namespace
