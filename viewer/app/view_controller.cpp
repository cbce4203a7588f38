#include "view_controller.h"

#include "app/ftp_share.h"
#include "ftp/ftp_server.h"
#include "snapshot_watcher.h"
#include "viewer_paths.h"
#include "viewer_prompt.h"

#include "device/wifi_stream.h"

#include <QDateTime>
#include <QDir>
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

ViewController::ViewController(ViewerServices services, QObject *parent)
    : QObject(parent), services_(std::move(services)), http_(services_.device),
      viewGeometry_(videoViewGeometry(m_video_width_, m_video_height_)),
      baseDir_(ViewerPaths::rootDirectory()), lastSharePort_(kDefaultFtpPort)
{
    reconnectTimer_.setSingleShot(true);
    reconnectTimer_.setInterval(kReconnectDelayMs);
    connect(&reconnectTimer_, &QTimer::timeout, this, &ViewController::handleTimer);
}

ViewController::~ViewController()
{
    if (threadRead_)
        threadRead_->cancel();
    for (const auto &watcher : cancelledWatchers_)
        watcher->cancel();
}

void ViewController::viewDidLoad()
{
    RootDirctory_ = ViewerPaths::rootDirectory();
    PictureRootDirctory_ = ViewerPaths::albumImageDirectory(QStringLiteral("default"));
    VideoRootDirctory_ = ViewerPaths::albumVideoDirectory(QStringLiteral("default"));
    // Failures are not reported here: later saves into a missing directory fail silently.
    QDir().mkpath(PictureRootDirctory_);
    QDir().mkpath(VideoRootDirctory_);
    initWiFiDevice();
}

bool ViewController::onDeviceNetwork() const
{
    return services_.network && onMicroscopeNetwork(*services_.network);
}

void ViewController::initWiFiDevice()
{
    if (!onDeviceNetwork())
        return;
    mediaContent_ = http_.readSettingsPage();
    const WifiPageValues values = WifiSettingsPage::parse(mediaContent_);
    m_new_video_width_ = values.width;
    m_new_video_height_ = values.height;
    // An unanswered counter reads as 0, as an empty answer would.
    snapNumber_ = http_.readSnapshotCounter().value_or(0);
}

void ViewController::ConnectUSBCamera()
{
    // No USB capture in this viewer yet: the choice behaves as with no camera attached.
}

void ViewController::ConnectWiFiCamera()
{
    // A stream already opening counts as connected: a second click opens no second stream.
    if (camera_stype_ != kNoCamera || stream_)
        return;
    if (!onDeviceNetwork()) {
        services_.prompt->alert(kConnectWifiMessage);
        return;
    }
    openStream();
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
    auto *stream = new WifiStream(http_.address(), this);
    stream_ = stream;
    connect(stream, &WifiStream::pictureArrived, this, [this, stream](const QImage &image) {
        if (stream == stream_)
            handleWifiPicture(image);
    });
    connect(stream, &WifiStream::ended, stream, &QObject::deleteLater);
    stream->start();
}

WifiSettingsTab ViewController::wifiSettingsTab()
{
    const WifiPageValues values = WifiSettingsPage::parse(mediaContent_);
    wifiInitResolution_ = values.resolutionIndex;
    wifiInitFps_ = values.framesPerSecond;
    controls_ = WifiSettingsPage::parseControls(mediaContent_);

    WifiSettingsTab tab;
    tab.resolutions = values.resolutions;
    if (wifiInitResolution_ >= 0 && wifiInitResolution_ < tab.resolutions.size())
        tab.resolutionSelected = wifiInitResolution_;
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

void ViewController::handleUsbPicture(const QImage &image)
{
    camera_stype_ = kUsbCamera;
    showPicture(image);
}

void ViewController::showPicture(const QImage &image)
{
    ++framesShown_;
    Q_EMIT pictureShown(image, m_new_video_width_, m_new_video_height_);
    recordingVideo(image);
    isAvailableStream_ = true;
}

void ViewController::recordingVideo(const QImage &)
{
    // The recorder writes only while a recording runs, and none can be started yet.
}

void ViewController::ShareWorkspace()
{
    if (isSharing()) {
        stopSharing();
        return;
    }
    const std::optional<int> port = services_.prompt->askNumber(
        QStringLiteral("Share the workspace over FTP on port:"), lastSharePort_, 1, 65535);
    if (!port)
        return;
    if (*port < 0 || *port > 65535) {
        services_.prompt->alert(QStringLiteral("%1 is not a port number.").arg(*port));
        return;
    }
    startSharing(quint16(*port));
}

bool ViewController::startSharing(quint16 port)
{
    stopSharing();
    // The workspace may not exist yet when start-up has not run.
    QDir().mkpath(baseDir_);
    auto server = std::make_unique<FtpServer>();
    // Serving the workspace is the purpose; clients never see the machine's own paths.
    server->setChangeRoot(true);
    if (!server->start(baseDir_, port, services_.ftpAddress)) {
        services_.prompt->alert(QStringLiteral("The workspace cannot be shared on port %1: %2")
                                    .arg(port)
                                    .arg(server->errorString()));
        return false;
    }
    theServer_ = std::move(server);
    if (port != 0)
        lastSharePort_ = port;
    Q_EMIT sharingChanged(true, shareUrl());
    return true;
}

void ViewController::stopSharing()
{
    if (!theServer_)
        return;
    // Closes the listening socket and every session.
    theServer_.reset();
    Q_EMIT sharingChanged(false, {});
}

bool ViewController::isSharing() const
{
    return theServer_ && theServer_->isListening();
}

QString ViewController::shareUrl() const
{
    return isSharing() ? ftpShareUrl(services_.ftpAddress, theServer_->port()) : QString();
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
    if (!count || *count == snapNumber_.load())
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

void ViewController::SaveImage(int flag)
{
    if (!isavailable())
        return;
    const QString path = PictureRootDirctory_ +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")) +
                         QStringLiteral(".jpg");
    Q_EMIT stillRequested(path, flag);
}

} // namespace quelmar::viewer
