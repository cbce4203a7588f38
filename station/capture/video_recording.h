// Recording videos: the Record command (button, F3, F4), the recorder settings' effects on
// the capture size, the compressor choice, starting and closing the AVI file with its
// failures, and the recording clock with its time limit. No widget in here: the main window
// forwards commands and shows what the signals say; CAVISettingDlg sits on top.
#pragma once

#include "capture/avi_recorder.h"
#include "capture/capture_sizes.h"

#include <video/avi_writer.h>

#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QMutex;

namespace quelmar::station {

class Language;
class Prompt;
class SoundPlayer;
struct CaptureState;

// What the recorder settings dialog hands back on OK.
struct RecorderChoice {
    int seconds = 10;    // 1 to 99999
    bool limited = true; // the time check box
    int frameRate = 15;  // 1 to 30; the stream's rate comes from the capture size
};

// The title and text of a start failure's message box.
struct AviStartMessage {
    QString title;
    QString text;
};
AviStartMessage aviStartFailureMessage(const AviFailure &failure);

// "%2d %s": the clock label's text for `elapsed` seconds.
QString recordingClockText(int elapsed, const QString &secondWord);

class VideoRecording : public QObject {
    Q_OBJECT
public:
    static constexpr int kUnlimitedSeconds = 1800; // the limit without the time check box

    struct Context {
        Prompt *prompt = nullptr;
        SoundPlayer *sound = nullptr; // may be null
        const Language *language = nullptr;
        CaptureState *state = nullptr;
        QMutex *recordingLock = nullptr;
    };
    // What the main window lends.
    struct Host {
        std::function<void()> stopGraph;
        std::function<void()> runGraph;
        // Sets the capture size (and shows it); false when the camera refused it.
        std::function<bool(QSize)> setCaptureSize;
        std::function<std::vector<CaptureSize>()> captureSizes;
        // The current folder's video directory, made again if it went missing.
        std::function<QString()> videoDir;
        // Runs the recorder settings dialog; nullopt on Cancel.
        std::function<std::optional<RecorderChoice>()> askSettings;
        std::function<bool()> isFullScreen;
    };
    using WriterFactory = std::function<std::unique_ptr<AviWriter>(
        const QString &path, const AviWriterSettings &settings, AviFailure *failure)>;

    VideoRecording(Context context, Host host, QObject *parent = nullptr);
    ~VideoRecording() override; // a running recording is closed, never left half-written

    bool isRecording() const { return recording_; }
    const QString &fileName() const { return fileName_; }
    int elapsed() const { return elapsed_; }
    int timeLimit() const { return limit_; }
    const QTimer &clock() const { return clock_; }
    // The counts of the last recording closed, and of the running one so far.
    RecordingCounts lastCounts() const { return lastCounts_; }
    RecordingCounts liveCounts() const { return recorder_.counts(); }
    int streamRate() const { return rate_; }

    // Command 1006 (button, F3 while idle, F4 while recording).
    void onRecordCommand();
    // The Preview command while recording, and before the capture size changes, the device
    // is re-checked or the station closes: the file is closed properly, Record released and
    // the clock stopped; the graph is left to the caller.
    void closeRecording();
    // Timer 1002, once a second while a recording runs.
    void onClockTick();

    // Capture thread, under the recording lock (the frame path's record hook).
    void writeFrame(FrameView frame, double sampleTime) { recorder_.write(frame, sampleTime); }

    // The recorder settings dialog. Opening sets 640 x 480 (true when the camera took it).
    bool openSettings();
    QStringList sizeEntries() const;
    static QString sizeEntry(QSize size);
    // A size picked in the list ("1280X1024"); true when the camera took it.
    bool pickSize(const QString &entry);
    // Cancel: the sensor class's high size comes back.
    void cancelSettings();

    // The compressor for the rest of the run; uncompressed until one is chosen.
    const AviCompression &compression() const { return compression_; }
    // Keeps `choice` only when its encoder opens for the current capture size.
    bool chooseCompression(const AviCompression &choice, AviFailure *failure = nullptr);

    // Tests open the writer through their own factory to reach each start failure.
    void setWriterFactory(WriterFactory factory) { openWriter_ = std::move(factory); }

Q_SIGNALS:
    // Record pressed and Preview released (true), or the reverse.
    void recordingChanged(bool recording);
    void clockTextChanged(const QString &text);
    // A finished file for the thumbnail strip.
    void recordingAdded(const QString &path);
    // A report for the status line (frames dropped, a write error).
    void statusMessage(const QString &text);

private:
    bool start();
    void close();
    void stopClock();
    void restoreHighSize();
    QString text(const char *key, const char *fallback) const;

    Context c_;
    Host host_;
    AviRecorder recorder_;
    WriterFactory openWriter_;
    AviCompression compression_;
    QTimer clock_;
    QString fileName_;
    bool recording_ = false;
    bool fileOpen_ = false;
    int limit_ = 0;
    int elapsed_ = 0;
    int rate_ = 0; // positions a second of the running or last recording
    RecordingCounts lastCounts_;
};

} // namespace quelmar::station
