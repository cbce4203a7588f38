#include "capture/timer_dlg.h"

#include "base/language.h"
#include "base/prompt.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace quelmar::station {

namespace {
QSpinBox *field(int minimum, int maximum, int value, QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setRange(minimum, maximum);
    box->setValue(value);
    return box;
}
} // namespace

QString CTimerDlg::text(const char *key, const char *fallback) const
{
    return c_.language->text(QString::fromLatin1(key), QString::fromLatin1(fallback));
}

CTimerDlg::CTimerDlg(Context context, QWidget *parent) : QDialog(parent), c_(std::move(context))
{
    series_ = std::make_unique<TimeLapseSeries>(&systemClock_, c_.requestStill);
    connect(series_.get(), &TimeLapseSeries::stillRequested, this, &CTimerDlg::onStillRequested);
    connect(series_.get(), &TimeLapseSeries::seriesComplete, this, &CTimerDlg::onSeriesComplete);
    setWindowTitle(text("CaptureSetting", "Capture Setting"));

    const TimeLapseSettings now = TimeLapseSettings::startingAt(systemClock_.localNow());
    year_ = field(2008, 2032, now.year, this);
    month_ = field(1, 12, now.month, this);
    day_ = field(1, 31, now.day, this);
    hour_ = field(0, 24, now.hour, this);
    minute_ = field(0, 60, now.minute, this);
    second_ = field(0, 60, now.second, this);
    intervalMinutes_ = field(0, 999, 0, this);
    intervalSeconds_ = field(3, 60, 3, this);
    count_ = field(1, 200, 8, this);
    start_ = new QPushButton(text("Start", "Start"), this);
    cancel_ = new QPushButton(text("Cancel", "Cancel"), this);
    counter_ = new QLabel(QStringLiteral("0"), this);
    estimate_ = new QLabel(this);
    connect(start_, &QPushButton::clicked, this, &CTimerDlg::onStartStop);
    connect(cancel_, &QPushButton::clicked, this, &CTimerDlg::reject);
    connect(count_, &QSpinBox::editingFinished, this, &CTimerDlg::showEstimate);

    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    layout->addLayout(grid);
    const auto label = [this](const char *key, const char *fallback) {
        return new QLabel(text(key, fallback), this);
    };
    grid->addWidget(label("StartTime", "Start Time"), 0, 0);
    int column = 1;
    for (auto [box, key, fallback] : {std::tuple{year_, "Year", "Year"},
                                      {month_, "Month", "Month"},
                                      {day_, "Day", "Day"},
                                      {hour_, "Hour", "Hour"},
                                      {minute_, "Minute", "Minute"},
                                      {second_, "seconds", "second"}}) {
        grid->addWidget(box, 0, column++);
        grid->addWidget(label(key, fallback), 0, column++);
    }
    grid->addWidget(label("Interval", "Interval"), 1, 0);
    grid->addWidget(intervalMinutes_, 1, 1);
    grid->addWidget(label("Minute", "Minute"), 1, 2);
    grid->addWidget(intervalSeconds_, 1, 3);
    grid->addWidget(label("seconds", "second"), 1, 4);
    grid->addWidget(label("Capture", "Capture"), 2, 0);
    grid->addWidget(count_, 2, 1);
    grid->addWidget(label("Frame", "Frame"), 2, 2);
    grid->addWidget(label("FileSize", "File Size"), 2, 3);
    grid->addWidget(estimate_, 2, 4);
    grid->addWidget(new QLabel(QStringLiteral("MB"), this), 2, 5);
    grid->addWidget(label("Completed", "Completed"), 3, 0);
    grid->addWidget(counter_, 3, 1);
    grid->addWidget(label("Frame", "Frame"), 3, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    showEstimate();
}

CTimerDlg::~CTimerDlg()
{
    series_->stop();
}

TimeLapseSettings CTimerDlg::settings() const
{
    TimeLapseSettings s;
    s.intervalSeconds = intervalSeconds_->value();
    s.intervalMinutes = intervalMinutes_->value();
    s.count = count_->value();
    s.year = year_->value();
    s.month = month_->value();
    s.day = day_->value();
    s.hour = hour_->value();
    s.minute = minute_->value();
    s.second = second_->value();
    return s;
}

void CTimerDlg::setSettings(const TimeLapseSettings &s)
{
    intervalSeconds_->setValue(s.intervalSeconds);
    intervalMinutes_->setValue(s.intervalMinutes);
    count_->setValue(s.count);
    year_->setValue(s.year);
    month_->setValue(s.month);
    day_->setValue(s.day);
    hour_->setValue(s.hour);
    minute_->setValue(s.minute);
    second_->setValue(s.second);
    showEstimate();
}

void CTimerDlg::showEstimate()
{
    estimate_->setText(
        fileSizeEstimate(count_->value(), c_.frameWidth, c_.frameHeight, c_.sensorClass));
}

void CTimerDlg::onStartStop()
{
    if (running_) {
        series_->stop();
        running_ = false;
        counter_->setText(QStringLiteral("0"));
        start_->setText(text("Start", "Start"));
        return;
    }
    const TimeLapseSettings s = settings();
    switch (checkStartTime(s, clock_->localNow())) {
    case StartCheck::NotADateTime:
        c_.prompt->message(c_.messageTitle,
                           text("TimerBadDate", "The start time is not a valid date and time!"),
                           PromptIcon::Warning);
        return;
    case StartCheck::Past:
        c_.prompt->message(
            c_.messageTitle,
            text("SET_TIMER_FAIL", "The time of your setting must be a future time!"),
            PromptIcon::Warning);
        return;
    case StartCheck::Ok:
        break;
    }
    series_->start(*s.startTime(), s.interval(), s.count);
    running_ = true;
    start_->setText(text("Stop", "Stop"));
}

void CTimerDlg::onStillRequested(int generation, int number)
{
    // A still counted by a series that was stopped since does not show.
    if (running_ && generation == series_->generation())
        counter_->setText(QString::number(number));
}

void CTimerDlg::onSeriesComplete(int generation)
{
    if (!running_ || generation != series_->generation())
        return;
    series_->stop();
    running_ = false;
    QDialog::accept();
}

void CTimerDlg::reject()
{
    series_->stop();
    running_ = false;
    QDialog::reject();
}

} // namespace quelmar::station
