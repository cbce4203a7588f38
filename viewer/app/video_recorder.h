// The viewer's MP4 recorder: the states idle → start requested → recording → stop requested,
// the poster picture of the first frame, every second camera frame written at ten per second,
// and the recording clock. The encoder runs on its own thread behind a short queue, so the
// picture on screen never waits for it. A recording is always finished: on stop, on
// finishNow() (window closed, quit, stream ended, files about to be deleted) and when the
// recorder goes.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace quelmar {
class QueuedMp4Writer;
}

namespace quelmar::viewer {

class ViewerSound;

class VideoRecorder : public QObject {
    Q_OBJECT

public:
    enum State { kIdle = 0, kStartRequested = 1, kRecording = 2, kStopRequested = 3 };
    enum class Press { Started, Stopped, Ignored, Failed };

    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;
    static constexpr int kVideoFps = 10;
    static constexpr int kPosterQuality = 30; // a small picture for the gallery

    explicit VideoRecorder(ViewerSound *sound, QObject *parent = nullptr);
    ~VideoRecorder() override; // finishes every recording and waits for the files
    Q_DISABLE_COPY_MOVE(VideoRecorder)

    // The record button. Idle: a new recording in `videoDirectory` (Failed, with the reason,
    // when its file cannot be made); recording: stop; otherwise ignored.
    Press TakeRecord(const QString &videoDirectory, QString *error = nullptr);
    // Every picture of the current camera, on the main thread.
    void recordingVideo(const QImage &frame);
    // Ends whatever runs now and waits until every file is finished.
    void finishNow();
    // One second of the recording clock.
    void tick();

    int recordcapture() const { return recordcapture_; }
    QString clockText() const;
    const QString &videoFileName() const { return videoFileName_; }
    QString posterFileName() const { return videoFileName_ + QStringLiteral(".jpg"); }
    // Whether `path` (a video or its poster) belongs to a recording not yet finished.
    bool isWriting(const QString &path) const;
    int frameCount() const { return frameCount_; }
    qint64 framesKept() const { return framesKept_; }
    qint64 framesDropped() const { return framesDropped_; }
    const QTimer &recordTimer() const { return recordTimer_; }

Q_SIGNALS:
    void statusTextChanged(const QString &text);
    void posterSaved(const QString &posterPath);
    // A recording's file is complete (ok) or could not be completed.
    void recordingFinished(const QString &videoPath, bool ok, const QString &error);

private:
    struct Finishing;
    void writePoster();
    void startFinishing();
    void finishedOnWriterThread(std::uint64_t id, bool ok, const QString &error);
    void clearClock();
    static QImage toCanvas(const QImage &frame);

    ViewerSound *sound_;
    int recordcapture_ = kIdle;
    quint64 recordtimehour_ = 0;
    quint64 recordtimemiuted_ = 0;
    quint64 recordtimesecond_ = 0;
    QString videoFileName_;
    int frameCount_ = 1;
    int videoFPS_ = kVideoFps;
    int framePerSecond_ = 0;
    QImage posterFrame_; // kept until a frame is written, so no listed poster lacks a video
    qint64 framesKept_ = 0;
    qint64 framesDropped_ = 0;
    QTimer recordTimer_;
    std::unique_ptr<QueuedMp4Writer> writer_;           // the running recording
    std::vector<std::unique_ptr<Finishing>> finishing_; // stopped, still writing their files
    std::uint64_t lastFinishingId_ = 0;
    std::jthread posterJob_; // last: joined before the members it reads go
};

} // namespace quelmar::viewer
