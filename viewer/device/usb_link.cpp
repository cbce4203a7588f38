#include "device/usb_link.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>

namespace quelmar::viewer {

namespace {

double rateOf(const FrameInterval &interval)
{
    return interval.numerator > 0 ? double(interval.denominator) / interval.numerator : 0.0;
}

// The size the view is asked for first: the recorder writes 640 x 480.
std::optional<CaptureFormat> preferredFormat(const Camera &camera)
{
    for (const CaptureFormat &format : camera.formats()) {
        if (format.width == UsbPictureMaker::kWidth && format.height == UsbPictureMaker::kHeight)
            return format;
    }
    return std::nullopt;
}

} // namespace

UsbLink::UsbLink(CameraBackend *cameras, QObject *parent) : QObject(parent), cameras_(cameras) {}

UsbLink::~UsbLink()
{
    close();
}

void UsbLink::refreshDevices()
{
    videoDevices_ = cameras_ ? cameras_->enumerate() : std::vector<CameraInfo>{};
}

const CameraInfo *UsbLink::selectedVideoDevice() const
{
    return camera_ ? &camera_->info() : nullptr;
}

int UsbLink::selectedDeviceIndex() const
{
    if (!camera_)
        return -1;
    for (std::size_t i = 0; i < videoDevices_.size(); ++i) {
        if (videoDevices_[i].identity == camera_->info().identity)
            return int(i);
    }
    return -1;
}

bool UsbLink::connectFirst(QString *why)
{
    refreshDevices();
    if (videoDevices_.empty())
        return false;
    return selectCamera(videoDevices_.front(), why);
}

QString UsbLink::faultText(CameraFault fault)
{
    switch (fault) {
    case CameraFault::Busy:
        return QStringLiteral("another program is using the camera");
    case CameraFault::NoBandwidth:
        return QStringLiteral("the USB connection cannot carry this picture format");
    case CameraFault::NoPermission:
        return QStringLiteral("you may not open the camera");
    case CameraFault::Gone:
        return QStringLiteral("the camera was unplugged");
    case CameraFault::Stalled:
        return QStringLiteral("the camera sends no pictures");
    case CameraFault::None:
    case CameraFault::Failed:
        break;
    }
    return QStringLiteral("the camera failed");
}

bool UsbLink::selectCamera(const CameraInfo &info, QString *why)
{
    const auto fail = [why](const QString &text) {
        if (why)
            *why = text;
        return false;
    };
    // The camera that runs now cannot be opened twice: it is restarted instead.
    if (camera_ && camera_->info().identity == info.identity) {
        stopStream();
        if (!startStream()) {
            const CameraFault fault = camera_->fault();
            close();
            return fail(QStringLiteral("The camera %1 does not start: %2.")
                            .arg(info.friendlyName, faultText(fault)));
        }
        return true;
    }

    std::unique_ptr<Camera> camera = cameras_ ? cameras_->open(info) : nullptr;
    if (!camera)
        return fail(QStringLiteral("The camera %1 cannot be opened: %2.")
                        .arg(info.friendlyName,
                             faultText(cameras_ ? cameras_->lastFault() : CameraFault::Failed)));
    if (const std::optional<CaptureFormat> format = preferredFormat(*camera);
        format && !(camera->currentFormat() == *format))
        camera->setFormat(*format);

    // The new camera starts before the old one is let go, so a failure leaves the old running.
    std::unique_ptr<Camera> previous = std::exchange(camera_, std::move(camera));
    std::unique_ptr<UsbPictureMaker> previousMaker =
        std::exchange(maker_, std::make_unique<UsbPictureMaker>());
    const int previousGeneration = generation_.load();
    if (!startStream()) {
        const CameraFault fault = camera_->fault();
        camera_ = std::move(previous);
        maker_ = std::move(previousMaker);
        generation_ = previousGeneration;
        return fail(QStringLiteral("The camera %1 does not start: %2.")
                        .arg(info.friendlyName, faultText(fault)));
    }
    if (previous)
        previous->stop();
    return true;
}

void UsbLink::close()
{
    if (!camera_)
        return;
    stopStream();
    camera_.reset();
    maker_.reset();
}

bool UsbLink::startStream()
{
    const int generation = generation_.fetch_add(1) + 1;
    UsbPictureMaker *maker = maker_.get();
    const auto onFrame = [this, maker, generation](FrameView frame, double) {
        if (picturesInFlight_.load() >= kMaxPicturesInFlight)
            return;
        PictureAdjustments adjustments;
        {
            const std::lock_guard lock(adjustmentsMutex_);
            adjustments = adjustments_;
        }
        const QImage picture = maker->make(frame, adjustments);
        QMetaObject::invokeMethod(
            this,
            [this, picture, generation] {
                picturesInFlight_.fetch_sub(1);
                if (generation == generation_.load())
                    Q_EMIT pictureArrived(picture);
            },
            Qt::QueuedConnection);
        // Counted once posted, so a post that fails takes no place; the main thread may take
        // the picture first and the count dip below zero for that moment.
        picturesInFlight_.fetch_add(1);
    };
    const auto onEnd = [this, generation] {
        QMetaObject::invokeMethod(
            this, [this, generation] { streamEnded(generation); }, Qt::QueuedConnection);
    };
    if (!camera_->start(
            onFrame, [] {}, onEnd))
        return false;
    const CaptureFormat format = camera_->currentFormat();
    announced_ = QSize(format.width, format.height);
    return true;
}

void UsbLink::stopStream()
{
    if (!camera_)
        return;
    // Pictures already on their way belong to the stream that stops here.
    generation_.fetch_add(1);
    camera_->stop();
}

void UsbLink::streamEnded(int generation)
{
    if (generation != generation_.load() || !camera_)
        return;
    const CameraFault fault = camera_->fault();
    close();
    Q_EMIT ended(fault);
}

std::vector<UsbLink::FormatEntry> UsbLink::formatEntries() const
{
    std::vector<FormatEntry> entries;
    if (!camera_)
        return entries;
    for (const CaptureFormat &format : camera_->formats())
        entries.push_back(
            {formatTitle(camera_->formatName(format.pixelFormat), format.width, format.height),
             format});
    return entries;
}

int UsbLink::activeFormatIndex() const
{
    if (!camera_)
        return -1;
    const std::vector<CaptureFormat> formats = camera_->formats();
    const auto found = std::find(formats.begin(), formats.end(), camera_->currentFormat());
    return found == formats.end() ? -1 : int(found - formats.begin());
}

bool UsbLink::setVideoDeviceFormat(int index, QString *why)
{
    if (!camera_)
        return false;
    const std::vector<CaptureFormat> formats = camera_->formats();
    if (index < 0 || std::size_t(index) >= formats.size())
        return false;
    const CaptureFormat wanted = formats[std::size_t(index)];
    const CaptureFormat previous = camera_->currentFormat();
    if (wanted == previous && camera_->isStreaming())
        return true;
    const QString title =
        formatTitle(camera_->formatName(wanted.pixelFormat), wanted.width, wanted.height);

    stopStream();
    QString refusal;
    if (!camera_->setFormat(wanted))
        refusal =
            QStringLiteral("The camera refuses %1: %2.").arg(title, faultText(camera_->fault()));
    else if (!startStream())
        refusal = QStringLiteral("The camera cannot stream %1: %2.")
                      .arg(title, faultText(camera_->fault()));
    if (refusal.isEmpty())
        return true;

    if (why)
        *why = refusal;
    // Back to the format that streamed; the announced size never left it.
    camera_->setFormat(previous);
    if (!startStream()) {
        const CameraFault fault = camera_->fault();
        close();
        Q_EMIT ended(fault);
    }
    return false;
}

std::vector<UsbLink::RateEntry> UsbLink::rateEntries() const
{
    std::vector<RateEntry> entries;
    if (!camera_)
        return entries;
    for (const FrameIntervalRange &range : camera_->frameIntervals(camera_->currentFormat()))
        entries.push_back({rateTitle(rateOf(range.longest), rateOf(range.shortest)), range});
    return entries;
}

int UsbLink::activeRateIndex() const
{
    if (!camera_)
        return -1;
    const std::optional<FrameInterval> now = camera_->frameInterval();
    if (!now)
        return -1;
    const std::vector<RateEntry> entries = rateEntries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        // Compared as rates: 1/30 and 2/60 are the same interval.
        if (qFuzzyCompare(rateOf(entries[i].range.shortest), rateOf(*now)))
            return int(i);
    }
    return -1;
}

bool UsbLink::setFrameRateRange(int index, QString *why)
{
    if (!camera_)
        return false;
    // Only a range of the format in force.
    const std::vector<RateEntry> entries = rateEntries();
    if (index < 0 || std::size_t(index) >= entries.size())
        return false;
    stopStream();
    const std::optional<FrameInterval> set =
        camera_->setFrameInterval(entries[std::size_t(index)].range.shortest);
    if (!startStream()) {
        const CameraFault fault = camera_->fault();
        if (why)
            *why = QStringLiteral("The camera stopped: %1.").arg(faultText(fault));
        close();
        Q_EMIT ended(fault);
        return false;
    }
    if (!set) {
        if (why)
            *why = QStringLiteral("The camera keeps its frame rate.");
        return false;
    }
    return true;
}

void UsbLink::setAdjustments(const PictureAdjustments &adjustments)
{
    const std::lock_guard lock(adjustmentsMutex_);
    adjustments_ = adjustments;
}

QString UsbLink::formatTitle(const QString &name, int width, int height)
{
    return QCoreApplication::translate("Orbilux", "%1, %2 x %3").arg(name).arg(width).arg(height);
}

QString UsbLink::rateTitle(double minimumRate, double maximumRate)
{
    if (minimumRate == maximumRate)
        return QCoreApplication::translate("Orbilux", "FPS: %1")
            .arg(QString::asprintf("%0.2f", minimumRate));
    return QCoreApplication::translate("Orbilux", "FPS: %1-%2")
        .arg(QString::asprintf("%0.2f", minimumRate), QString::asprintf("%0.2f", maximumRate));
}

} // namespace quelmar::viewer
