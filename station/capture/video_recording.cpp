#include "capture/video_recording.h"

#include "base/language.h"
#include "base/prompt.h"
#include "base/sound_player.h"
#include "capture/capture_state.h"
#include "capture/still_capture.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <QMutex>
#include <QMutexLocker>

Q_LOGGING_CATEGORY(lcRecording, "quelmar.station.recording", QtWarningMsg)

namespace quelmar::station {

namespace {
constexpr QSize kDialogSize(640, 480);
constexpr int kClockInterval = 1000;
constexpr int kAfterLimitInterval = 500;

QString codeText(const char *format, int code)
{
    return QString::asprintf(format, unsigned(code), 0);
}
} // namespace

AviStartMessage aviStartFailureMessage(const AviFailure &failure)
{
    const QString title = QStringLiteral("AVI Capture");
    switch (failure.stage) {
    case AviStage::OpenFile:
        return {title, codeText("Open avi file failed(0x%08X:%d)", failure.code)};
    case AviStage::CreateStream:
        return {title, codeText("Create stream failed(0x%08X:%d)", failure.code)};
    case AviStage::Compressor:
        return {QStringLiteral("AVI Capture error"), QStringLiteral("AVI Capture error")};
    case AviStage::StreamFormat:
        break;
    }
    switch (failure.problem) {
    case AviFormatProblem::Unsupported:
        return {title, QStringLiteral("Unsupport compressed format")};
    case AviFormatProblem::Bad:
        return {title, QStringLiteral("Bad compresse format")};
    case AviFormatProblem::Other:
        break;
    }
    return {title, codeText("Set stream format failed(0x%08X:%d)", failure.code)};
}

QString recordingClockText(int elapsed, const QString &secondWord)
{
    return QString::asprintf("%2d ", elapsed) + secondWord;
}

VideoRecording::VideoRecording(Context context, Host host, QObject *parent)
    : QObject(parent), c_(context), host_(std::move(host))
{
    openWriter_ = [](const QString &path, const AviWriterSettings &settings, AviFailure *failure) {
        return AviWriter::open(path, settings, failure);
    };
    connect(&clock_, &QTimer::timeout, this, &VideoRecording::onClockTick);
}

VideoRecording::~VideoRecording()
{
    // Nobody listens any more; the file is still closed properly.
    const QSignalBlocker quiet(this);
    close();
}

QString VideoRecording::text(const char *key, const char *fallback) const
{
    return c_.language->text(QString::fromLatin1(key), QString::fromLatin1(fallback));
}

void VideoRecording::stopClock()
{
    clock_.stop();
}

void VideoRecording::restoreHighSize()
{
    if (host_.setCaptureSize)
        host_.setCaptureSize(sensorClassSizes(c_.state->sensorClass).high);
}

void VideoRecording::onRecordCommand()
{
    if (c_.sound)
        c_.sound->play(Sound::RecordStartStop);
    stopClock();
    limit_ = 0;
    elapsed_ = 0;

    if (recording_) {
        host_.stopGraph();
        close();
        Q_EMIT recordingChanged(false);
        host_.runGraph();
        restoreHighSize();
        Q_EMIT clockTextChanged({});
        return;
    }

    const std::optional<RecorderChoice> choice = host_.askSettings();
    if (!choice)
        return;
    limit_ = choice->limited ? choice->seconds : kUnlimitedSeconds;
    clock_.start(kClockInterval);
    host_.stopGraph();
    host_.runGraph();
    if (start()) {
        recording_ = true;
        c_.state->recording = true;
        Q_EMIT recordingChanged(true);
    } else {
        stopClock();
    }
}

bool VideoRecording::start()
{
    close();
    const QString dir = host_.videoDir();
    const int number = nextVideoNumber(dir, [this] {
        c_.prompt->message(QString(), QStringLiteral("AVI Error"), PromptIcon::None);
    });
    const QString path = dir + u'/' + videoFileName(QDateTime::currentDateTime(), number);

    AviWriterSettings settings;
    settings.width = c_.state->captureWidth;
    settings.height = c_.state->captureHeight;
    settings.rate = c_.state->frameRate;
    settings.compression = compression_;
    AviFailure failure;
    std::unique_ptr<AviWriter> writer = openWriter_(path, settings, &failure);
    if (!writer) {
        qCInfo(lcRecording) << "cannot start" << path << failure.detail;
        const AviStartMessage message = aviStartFailureMessage(failure);
        c_.prompt->message(message.title, message.text, PromptIcon::Error);
        return false;
    }
    fileName_ = path;
    rate_ = settings.rate;
    recorder_.begin(std::make_unique<AviWriterSink>(std::move(writer)),
                    QSize(settings.width, settings.height), settings.rate);
    return true;
}

void VideoRecording::close()
{
    c_.state->recording = false;
    const bool wasOpen = recorder_.isActive();
    {
        // A frame being handed over finishes first; none comes after.
        QMutexLocker lock(c_.recordingLock);
        recorder_.stopAccepting();
    }
    recording_ = false;
    if (!wasOpen)
        return;
    lastCounts_ = recorder_.end();
    const RecordingCounts &n = lastCounts_;
    qCInfo(lcRecording) << fileName_ << "offered" << n.offered << "written" << n.written
                        << "dropped" << n.dropped << "skipped" << n.skipped << "refused"
                        << n.refused << "failed" << n.failed << n.error;
    Q_EMIT recordingAdded(fileName_);

    QStringList report;
    if (n.dropped > 0)
        report << text("RecordDropped", "%1 frames were dropped: the disk or the compressor "
                                        "could not keep up.")
                      .arg(n.dropped);
    if (!n.error.isEmpty())
        report << text("RecordWriteError", "The video could not be written completely: %1")
                      .arg(n.error);
    if (!report.isEmpty())
        Q_EMIT statusMessage(report.join(u'\n'));
}

void VideoRecording::closeRecording()
{
    if (!recording_)
        return;
    stopClock();
    limit_ = 0;
    elapsed_ = 0;
    close();
    Q_EMIT recordingChanged(false);
    Q_EMIT clockTextChanged({});
}

void VideoRecording::onClockTick()
{
    ++elapsed_;
    if (elapsed_ == limit_) {
        // The time is up: the Preview command closes the file and shows the live picture.
        clock_.start(kAfterLimitInterval);
        if (recording_) {
            close();
            Q_EMIT recordingChanged(false);
            host_.runGraph();
        }
        restoreHighSize();
    }
    if (elapsed_ <= limit_ && !(host_.isFullScreen && host_.isFullScreen()))
        Q_EMIT clockTextChanged(recordingClockText(elapsed_, text("Second", "Seconds")));
    if (elapsed_ > limit_) {
        if (c_.sound)
            c_.sound->play(Sound::TimedRecordingEnd);
        stopClock();
        Q_EMIT clockTextChanged({});
    }
}

bool VideoRecording::openSettings()
{
    return host_.setCaptureSize(kDialogSize);
}

QString VideoRecording::sizeEntry(QSize size)
{
    return QString::asprintf("%dX%d", size.width(), size.height());
}

QStringList VideoRecording::sizeEntries() const
{
    QStringList entries;
    for (const CaptureSize &size : host_.captureSizes())
        entries << sizeEntry(QSize(size.width, size.height));
    return entries;
}

bool VideoRecording::pickSize(const QString &entry)
{
    const QStringList parts = entry.split(u'X');
    if (parts.size() != 2)
        return false;
    bool okWidth = false;
    bool okHeight = false;
    const int width = parts[0].trimmed().toInt(&okWidth);
    const int height = parts[1].trimmed().toInt(&okHeight);
    if (!okWidth || !okHeight || width <= 0 || height <= 0)
        return false;
    return host_.setCaptureSize(QSize(width, height));
}

void VideoRecording::cancelSettings()
{
    restoreHighSize();
}

bool VideoRecording::chooseCompression(const AviCompression &choice, AviFailure *failure)
{
    AviWriterSettings settings;
    settings.width = c_.state->captureWidth;
    settings.height = c_.state->captureHeight;
    settings.rate = c_.state->frameRate;
    settings.compression = choice;
    if (!AviWriter::probe(settings, failure))
        return false;
    compression_ = choice;
    return true;
}

} // namespace quelmar::station
