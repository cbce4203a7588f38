// The controller's link to the Wi-Fi microscope: network check, probe, picture stream and its
// end, the settings tab's pop-ups, and the snapshot-button watcher.
#include "view_controller.h"

#include "snapshot_watcher.h"
#include "viewer_prompt.h"

#include "device/device_probe.h"
#include "device/wifi_stream.h"

#include <QElapsedTimer>
#include <QMetaObject>

#include <condition_variable>
#include <mutex>

namespace quelmar::viewer {

namespace {

const QString kConnectWifiMessage = QStringLiteral("Please connect WiFi Microscope");
constexpr int kHighestRate = 30;

// Signalled by the main thread once a still asked for by the watcher is saved.
class Completion {
public:
    void signal()
    {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
    }
    void wait(std::stop_token stop)
    {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, stop, [this] { return done_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable_any wake_;
    bool done_ = false;
};

} // namespace

bool ViewController::onDeviceNetwork() const
{
    return services_.network && onMicroscopeNetwork(*services_.network);
}

void ViewController::initWiFiDevice()
{
    if (probe_ || !onDeviceNetwork())
        return;
    probe_ = std::make_unique<DeviceProbe>(http_.address());
    connect(probe_.get(), &DeviceProbe::finished, this,
            [this](const DeviceProbeResult &result) { applyProbe(result, connectAfterProbe_); });
    probe_->start();
}

void ViewController::applyProbe(const DeviceProbeResult &result, bool thenConnect)
{
    // Released once this call is over: the result refers to nothing of it.
    std::unique_ptr<DeviceProbe> done = std::move(probe_);
    connectAfterProbe_ = false;
    if (!result.page.isEmpty()) {
        mediaContent_ = result.page;
        const WifiPageValues values = WifiSettingsPage::parse(mediaContent_);
        // A page without a size keeps the size the view is laid out for.
        if (values.width > 0 && values.height > 0) {
            m_new_video_width_ = values.width;
            m_new_video_height_ = values.height;
        }
        wifiInitResolution_ = values.resolutionIndex;
        wifiInitFps_ = values.framesPerSecond;
        resolutions_ = values.resolutions;
        controls_ = WifiSettingsPage::parseControls(mediaContent_);
    }
    // Presses made before now take no still.
    if (result.counter) {
        snapNumber_ = *result.counter;
        snapNumberKnown_ = true;
    }
    Q_EMIT deviceProbed();
    if (thenConnect)
        openStream();
}

void ViewController::ConnectWiFiCamera()
{
    // A stream already running or opening counts as connected: a second click opens no second
    // one. A stream that has ended or was given up may be opened again.
    if (usbLinkActive() || wifiLinkActive())
        return;
    if (!onDeviceNetwork()) {
        services_.prompt->alert(kConnectWifiMessage);
        return;
    }
    // Probed afresh: the computer may have joined the device's network after start-up.
    connectAfterProbe_ = true;
    if (probe_)
        return; // the probe under way opens the stream when it is done
    initWiFiDevice();
}

void ViewController::handleTimer()
{
    if (!onDeviceNetwork()) {
        services_.prompt->alert(kConnectWifiMessage);
        return;
    }
    camera_stype_ = kWifiCamera;
    openStream();
}

void ViewController::openStream()
{
    // One stream at a time: the one before is asked to stop, and pictures it still hands
    // over are ignored, so no picture of the old size reaches the new layout. Each stream is
    // deleted once it has ended, so nothing waits for its thread here.
    if (stream_)
        stream_->stop();
    const QSize largest = WifiSettingsPage::largestSize(resolutions_);
    auto *stream = new WifiStream(
        http_.address(), largest.isValid() ? largest : WifiStream::kDefaultLargestPicture, this);
    stream_ = stream;
    streamDelivered_ = false;
    connect(stream, &WifiStream::pictureArrived, this, [this, stream](const QImage &image) {
        if (stream != stream_)
            return;
        if (!streamDelivered_) {
            streamDelivered_ = true;
            firstPictureTimer_.stop();
            setStatusText({});
        }
        handleWifiPicture(image);
    });
    connect(stream, &WifiStream::ended, this, [this, stream] { streamEnded(stream); });
    connect(stream, &WifiStream::ended, stream, &QObject::deleteLater);
    firstPictureTimer_.start();
    stream->start();
}

void ViewController::streamEnded(WifiStream *stream)
{
    if (stream != stream_)
        return;
    stream_ = nullptr;
    firstPictureTimer_.stop();
    // The last picture stays on the view; it must not pass for a live one, and a recording
    // of it ends here with its file complete.
    recorder_.finishNow();
    setStatusText(QStringLiteral("The picture stream has ended. Click Wi-Fi to connect again."));
}

void ViewController::firstPictureOverdue()
{
    if (!stream_ || streamDelivered_)
        return;
    // Given up, so the next click opens a new stream; the old one ends on its own.
    stream_->stop();
    stream_ = nullptr;
    setStatusText(QStringLiteral("The microscope sends no picture. Click Wi-Fi to try again."));
}

WifiSettingsTab ViewController::wifiSettingsTab() const
{
    // The values chosen since start-up, not the page as it was read then.
    WifiSettingsTab tab;
    tab.resolutions = resolutions_;
    tab.resolutionSelected = WifiSettingsPage::entryPosition(resolutions_, wifiInitResolution_);
    for (int rate = 1; rate <= kHighestRate; ++rate)
        tab.rates << QString::number(rate);
    if (wifiInitFps_ >= 1 && wifiInitFps_ <= kHighestRate)
        tab.rateSelected = wifiInitFps_ - 1;
    tab.controls = controls_;
    return tab;
}

void ViewController::handleVideoFormatPopBtn(const QString &title)
{
    if (camera_stype_ != kWifiCamera)
        return;
    const ResolutionChoice choice = WifiSettingsPage::parseResolutionEntry(title);
    if (!choice.isValid())
        return;
    m_new_video_width_ = choice.width;
    m_new_video_height_ = choice.height;
    wifiInitResolution_ = choice.index;
    applyVideoFormat();
}

void ViewController::handleFpsPopBtn(const QString &title)
{
    if (camera_stype_ != kWifiCamera)
        return;
    wifiInitFps_ = WifiSettingsPage::lenientInt(title);
    applyVideoFormat();
}

void ViewController::applyVideoFormat()
{
    // Without the device's list the resolution index is not known, and a guessed one would
    // change the device's size behind the viewer's back.
    if (resolutions_.isEmpty())
        return;
    http_.applyVideoFormat(wifiInitResolution_, wifiInitFps_);
    reconnectTimer_.start();
}

QRect ViewController::videoViewGeometry(double width, double height)
{
    // Compared as the two-decimal texts of single-precision ratios, so near-4:3 sizes count.
    const QString xRatio = QString::asprintf("%.2f", double(float(width) / 640.0f));
    const QString yRatio = QString::asprintf("%.2f", double(float(height) / 480.0f));
    if (xRatio == yRatio)
        return {kViewX, 40, kViewWidth, 600};
    return {kViewX, 16, kViewWidth, 640};
}

void ViewController::handleWifiPicture(const QImage &image)
{
    camera_stype_ = kWifiCamera;
    // Only a change of both sides moves the view.
    if (m_video_width_ != m_new_video_width_ && m_video_height_ != m_new_video_height_) {
        m_video_width_ = m_new_video_width_;
        m_video_height_ = m_new_video_height_;
        viewGeometry_ = videoViewGeometry(m_video_width_, m_video_height_);
        Q_EMIT viewGeometryChanged(viewGeometry_);
    }
    showPicture(image);
}

void ViewController::showPicture(const QImage &image)
{
    QElapsedTimer handOver;
    handOver.start();
    if (sincePicture_.isValid())
        longestPictureGapNs_ = std::max(longestPictureGapNs_, sincePicture_.nsecsElapsed());
    sincePicture_.start();
    ++framesShown_;
    Q_EMIT pictureShown(image, m_new_video_width_, m_new_video_height_);
    recorder_.recordingVideo(image);
    isAvailableStream_ = true;
    const qint64 spent = handOver.nsecsElapsed();
    totalHandOverNs_ += spent;
    longestHandOverNs_ = std::max(longestHandOverNs_, spent);
}

void ViewController::Snapshot()
{
    if (!isavailable() || camera_stype_ != kWifiCamera)
        return;
    if (!onDeviceNetwork() || isEnableSnapshot_) {
        if (threadRead_) {
            threadRead_->cancel();
            cancelledWatchers_.push_back(std::move(threadRead_));
        }
        isEnableSnapshot_ = false;
        Q_EMIT snapshotLedChanged(false);
        return;
    }
    cancelledWatchers_.clear();
    threadRead_ = std::make_unique<SnapshotWatcher>(
        [this](std::stop_token stop) { pollSnapshotButton(std::move(stop)); });
    isEnableSnapshot_ = true;
    Q_EMIT snapshotLedChanged(true);
}

// One pass of the watcher thread.
void ViewController::pollSnapshotButton(std::stop_token stop)
{
    QMutexLocker lock(&controllerLock_);
    const std::optional<int> count = http_.readSnapshotCounter(stop);
    if (!count)
        return;
    if (!snapNumberKnown_.exchange(true)) {
        snapNumber_ = *count; // the first count ever read is where presses start
        return;
    }
    if (*count == snapNumber_.load())
        return;
    snapNumber_ = *count;
    saveImageFromWatcher(std::move(stop));
}

void ViewController::saveImageFromWatcher(std::stop_token stop)
{
    auto done = std::make_shared<Completion>();
    QMetaObject::invokeMethod(
        this,
        [this, done, stop] {
            // The watcher may have been switched off since the press was seen.
            if (!stop.stop_requested())
                SaveImage(0);
            done->signal();
        },
        Qt::QueuedConnection);
    done->wait(std::move(stop));
}

} // namespace quelmar::viewer
