#include "app/video_recorder.h"

#include "app/viewer_sound.h"
#include "app/workspace.h"

#include "image/frame_image.h"
#include "image/jpeg_codec.h"
#include "video/queued_mp4_writer.h"

#include <QFile>
#include <QLoggingCategory>
#include <QPainter>

namespace quelmar::viewer {

namespace {
Q_LOGGING_CATEGORY(lcRecorder, "quelmar.viewer.recorder", QtWarningMsg)
}

struct VideoRecorder::Finishing {
    std::unique_ptr<QueuedMp4Writer> writer;
    QString path;
    std::uint64_t id; // never reused, unlike the address a late report would carry
};

VideoRecorder::VideoRecorder(ViewerSound *sound, QObject *parent) : QObject(parent), sound_(sound)
{
    recordTimer_.setInterval(1000);
    connect(&recordTimer_, &QTimer::timeout, this, &VideoRecorder::tick);
}

VideoRecorder::~VideoRecorder()
{
    finishNow();
}

VideoRecorder::Press VideoRecorder::TakeRecord(const QString &videoDirectory, QString *error)
{
    if (recordcapture_ == kRecording) {
        if (sound_)
            sound_->play(ViewerSoundId::EndAvi);
        recordcapture_ = kStopRequested;
        clearClock();
        recordTimer_.stop();
        Q_EMIT statusTextChanged({});
        return Press::Stopped;
    }
    if (recordcapture_ != kIdle)
        return Press::Ignored;

    // The poster takes the name with ".jpg" appended, so both names must be free.
    const QString path = Workspace::freeName(videoDirectory, Workspace::timeStamp(),
                                             QStringLiteral(".mp4"), QStringLiteral(".jpg"));
    Mp4WriterSettings settings;
    settings.width = kWidth;
    settings.height = kHeight;
    settings.timeBase = kVideoFps;
    QString why;
    auto writer = QueuedMp4Writer::create(path, settings, QueuedMp4Writer::kDefaultCapacity, &why);
    if (!writer) {
        QFile::remove(path);
        if (error)
            *error = why;
        return Press::Failed;
    }
    videoFileName_ = path;
    if (sound_)
        sound_->play(ViewerSoundId::StartAvi);
    recordcapture_ = kStartRequested;
    writer_ = std::move(writer);
    frameCount_ = 1;
    videoFPS_ = kVideoFps;
    framePerSecond_ = 0;
    framesKept_ = 0;
    framesDropped_ = 0;
    posterFrame_ = QImage();
    clearClock();
    recordTimer_.start();
    return Press::Started;
}

QImage VideoRecorder::toCanvas(const QImage &frame)
{
    if (frame.size() == QSize(kWidth, kHeight))
        return frame;
    // Drawn at its own size from the lower-left corner, without scaling.
    QImage canvas(kWidth, kHeight, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    painter.drawImage(QPoint(0, kHeight - frame.height()), frame);
    return canvas;
}

void VideoRecorder::recordingVideo(const QImage &frame)
{
    if (frame.isNull())
        return;
    switch (recordcapture_) {
    case kStartRequested:
        recordcapture_ = kRecording;
        posterFrame_ = toCanvas(frame);
        writePoster();
        break;
    case kRecording:
        if (++framePerSecond_ % 2 != 0)
            break;
        framePerSecond_ = 0;
        // A frame that finds the encoder busy is dropped; the clock of the file still runs.
        if (writer_ && writer_->offer(toCanvas(frame), frameCount_)) {
            ++framesKept_;
            posterFrame_ = QImage();
        } else {
            ++framesDropped_;
            if (writer_ && writer_->failed()) {
                // Nothing more can reach the file: end the recording now, so the clock does
                // not run on over an empty file; recordingFinished reports why.
                recordcapture_ = kIdle;
                recordTimer_.stop();
                clearClock();
                startFinishing();
                frameCount_ = 1;
                Q_EMIT statusTextChanged({});
                break;
            }
        }
        ++frameCount_;
        break;
    case kStopRequested:
        recordcapture_ = kIdle;
        startFinishing();
        frameCount_ = 1;
        break;
    default:
        break;
    }
}

void VideoRecorder::writePoster()
{
    // Off the main thread, like the video: the picture on screen does not wait for the disk.
    // The gallery hears of the poster once it is complete.
    posterJob_ = std::jthread([this, picture = posterFrame_, poster = posterFileName()] {
        QString why;
        const bool written = writeJpeg(poster, toFrame(picture).view(), kPosterQuality, &why);
        if (!written)
            qCWarning(lcRecorder) << "no poster" << poster << why;
        QMetaObject::invokeMethod(
            this,
            [this, poster, written] {
                if (written)
                    Q_EMIT posterSaved(poster);
            },
            Qt::QueuedConnection);
    });
}

void VideoRecorder::startFinishing()
{
    if (!writer_)
        return;
    // A recording stopped before any frame went in still gets its first picture, so the
    // poster never stands for a file without one.
    if (!posterFrame_.isNull() && writer_->offer(posterFrame_, frameCount_))
        ++framesKept_;
    posterFrame_ = QImage();
    auto finishing = std::make_unique<Finishing>();
    finishing->writer = std::move(writer_);
    finishing->path = videoFileName_;
    finishing->id = ++lastFinishingId_;
    QueuedMp4Writer *writer = finishing->writer.get();
    const std::uint64_t id = finishing->id;
    finishing_.push_back(std::move(finishing));
    writer->requestFinish(
        [this, id](bool ok, const QString &error) { finishedOnWriterThread(id, ok, error); });
}

void VideoRecorder::finishedOnWriterThread(std::uint64_t id, bool ok, const QString &error)
{
    // Posted: the writer is released on the main thread, which owns it. When the recorder is
    // gone first, the call is dropped and the destructor has waited for the file already; when
    // finishNow() has reported the file already, no entry has the id any more.
    QMetaObject::invokeMethod(
        this,
        [this, id, ok, error] {
            for (auto it = finishing_.begin(); it != finishing_.end(); ++it) {
                if ((*it)->id != id)
                    continue;
                const QString path = (*it)->path;
                finishing_.erase(it);
                Q_EMIT recordingFinished(path, ok, error);
                return;
            }
        },
        Qt::QueuedConnection);
}

void VideoRecorder::finishNow()
{
    if (posterJob_.joinable())
        posterJob_.join();
    const bool hadPoster = recordcapture_ == kRecording || recordcapture_ == kStopRequested;
    const QString current = videoFileName_;
    if (writer_) {
        if (!hadPoster) {
            // Started, but no frame came: no poster is listed, so no file is left behind.
            writer_->finish();
            writer_.reset();
            QFile::remove(current);
        } else {
            startFinishing();
        }
    }
    // Waiting here: each writer finishes its file before it is released.
    std::vector<std::unique_ptr<Finishing>> pending;
    pending.swap(finishing_);
    for (const auto &finishing : pending) {
        QString error;
        const bool ok = finishing->writer->finish(&error);
        finishing->writer.reset();
        Q_EMIT recordingFinished(finishing->path, ok, error);
    }
    if (recordcapture_ != kIdle) {
        recordcapture_ = kIdle;
        frameCount_ = 1;
        recordTimer_.stop();
        clearClock();
        Q_EMIT statusTextChanged({});
    }
}

void VideoRecorder::tick()
{
    if (++recordtimesecond_ == 60) {
        recordtimesecond_ = 0;
        if (++recordtimemiuted_ == 60) {
            recordtimemiuted_ = 0;
            ++recordtimehour_;
        }
    }
    Q_EMIT statusTextChanged(clockText());
}

QString VideoRecorder::clockText() const
{
    return QString::asprintf("%02llu:%02llu:%02llu",
                             static_cast<unsigned long long>(recordtimehour_),
                             static_cast<unsigned long long>(recordtimemiuted_),
                             static_cast<unsigned long long>(recordtimesecond_));
}

void VideoRecorder::clearClock()
{
    recordtimehour_ = 0;
    recordtimemiuted_ = 0;
    recordtimesecond_ = 0;
}

bool VideoRecorder::isWriting(const QString &path) const
{
    const auto matches = [&](const QString &video) {
        return !video.isEmpty() && (path == video || path == video + QStringLiteral(".jpg"));
    };
    if (writer_ && matches(videoFileName_))
        return true;
    for (const auto &finishing : finishing_) {
        if (matches(finishing->path))
            return true;
    }
    return false;
}

} // namespace quelmar::viewer
