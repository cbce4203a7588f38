// CTimerDlg: the time-lapse dialog. The start time, the interval and the number of stills,
// the size estimate, Start/Stop and the count of stills taken; the series itself runs in
// TimeLapseSeries and its stills are taken like Take Picture's.
#pragma once

#include "capture/time_lapse.h"

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QSpinBox;

namespace quelmar::station {

class Language;
class Prompt;

class CTimerDlg : public QDialog {
    Q_OBJECT
public:
    struct Context {
        const Language *language = nullptr;
        Prompt *prompt = nullptr;
        QString messageTitle;
        std::function<void()> requestStill; // worker thread: sets the snapshot request
        int frameWidth = 0;                 // the current capture size
        int frameHeight = 0;
        int sensorClass = 0;
    };

    explicit CTimerDlg(Context context, QWidget *parent = nullptr);
    ~CTimerDlg() override;

    // Tests run the series on a clock they advance.
    void setClock(ScheduleClock *clock)
    {
        clock_ = clock;
        series_->setClock(clock);
    }
    TimeLapseSettings settings() const;
    void setSettings(const TimeLapseSettings &settings);

    QPushButton *startButton() const { return start_; }
    QLabel *counter() const { return counter_; }
    QLabel *estimate() const { return estimate_; }
    QSpinBox *countField() const { return count_; }
    TimeLapseSeries &series() { return *series_; }

    // Cancel and the close box: the worker is stopped and joined first.
    void reject() override;

private:
    void onStartStop();
    void showEstimate();
    void onStillRequested(int generation, int number);
    void onSeriesComplete(int generation);
    QString text(const char *key, const char *fallback) const;

    Context c_;
    SystemScheduleClock systemClock_;
    ScheduleClock *clock_ = &systemClock_;
    std::unique_ptr<TimeLapseSeries> series_;
    bool running_ = false;
    QSpinBox *intervalSeconds_ = nullptr;
    QSpinBox *intervalMinutes_ = nullptr;
    QSpinBox *count_ = nullptr;
    QSpinBox *year_ = nullptr;
    QSpinBox *month_ = nullptr;
    QSpinBox *day_ = nullptr;
    QSpinBox *hour_ = nullptr;
    QSpinBox *minute_ = nullptr;
    QSpinBox *second_ = nullptr;
    QPushButton *start_ = nullptr;
    QPushButton *cancel_ = nullptr;
    QLabel *counter_ = nullptr;
    QLabel *estimate_ = nullptr;
};

} // namespace quelmar::station
