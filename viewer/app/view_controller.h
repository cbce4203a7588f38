// The one controller of Orbilux's window: prepares the workspace, owns the link to the Wi-Fi
// microscope (network check, settings page, picture stream, reconnection, snapshot-button
// watcher) and the FTP share of the workspace, and tells the window what to show. It holds no
// widget, so tests drive it directly.
#pragma once

#include "device/device_http.h"
#include "device/settings_page.h"
#include "device/wifi_network.h"

#include <QHostAddress>
#include <QImage>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <memory>
#include <stop_token>
#include <vector>

namespace quelmar::viewer {

class FtpServer;
class SnapshotWatcher;
class ViewerPrompt;
class WifiStream;

struct ViewerServices {
    ViewerPrompt *prompt = nullptr;
    const WifiNetwork *network = nullptr;
    DeviceAddress device;
    // Where the workspace share listens; every interface unless a test narrows it.
    QHostAddress ftpAddress = QHostAddress(QHostAddress::Any);
};

// What the settings tab shows for the Wi-Fi microscope.
struct WifiSettingsTab {
    QStringList resolutions;
    int resolutionSelected = -1;
    QStringList rates; // "1" to "30"
    int rateSelected = -1;
    CameraControls controls;
};

enum CameraKind { kNoCamera = 0, kUsbCamera = 1, kWifiCamera = 2 };

class ViewController : public QObject {
    Q_OBJECT

public:
    static constexpr int kReconnectDelayMs = 3000;
    static constexpr int kViewX = 205;
    static constexpr int kViewWidth = 800;

    explicit ViewController(ViewerServices services, QObject *parent = nullptr);
    ~ViewController() override;
    Q_DISABLE_COPY_MOVE(ViewController)

    // Start-up: the workspace, then the device probe.
    void viewDidLoad();
    void initWiFiDevice();

    // The first toolbar segment control.
    void ConnectUSBCamera();
    void ConnectWiFiCamera();
    void handleTimer();

    // The Wi-Fi pop-ups of the settings tab; `title` is the chosen entry.
    void handleVideoFormatPopBtn(const QString &title);
    void handleFpsPopBtn(const QString &title);
    WifiSettingsTab wifiSettingsTab();

    // The toolbar's share switch: asks for the port and shares the workspace root, or stops.
    void ShareWorkspace();
    // Shares baseDir() on `port` (0 picks a free one), always with changeRoot on; a failure
    // is alerted. Stops an earlier share first.
    bool startSharing(quint16 port);
    void stopSharing();
    bool isSharing() const;
    // The address clients should use; empty while not sharing.
    QString shareUrl() const;
    const FtpServer *theServer() const { return theServer_.get(); }
    const QString &baseDir() const { return baseDir_; }

    void Snapshot();
    void SaveImage(int flag);
    bool isavailable() const { return isAvailableStream_; }

    // Each picture of a camera, on the main thread.
    void handleWifiPicture(const QImage &image);
    void handleUsbPicture(const QImage &image);

    // Where the measurement view goes for an announced picture size.
    static QRect videoViewGeometry(double width, double height);

    // Pictures handed to the view since the controller was made.
    quint64 framesShown() const { return framesShown_; }
    int camera_stype() const { return camera_stype_; }
    bool isEnableSnapshot() const { return isEnableSnapshot_; }
    int snapNumber() const { return snapNumber_.load(); }
    int wifiInitResolution() const { return wifiInitResolution_; }
    int wifiInitFps() const { return wifiInitFps_; }
    double videoWidth() const { return m_video_width_; }
    double videoHeight() const { return m_video_height_; }
    double newVideoWidth() const { return m_new_video_width_; }
    double newVideoHeight() const { return m_new_video_height_; }
    QRect viewGeometry() const { return viewGeometry_; }
    const QString &mediaContent() const { return mediaContent_; }
    const QString &rootDirectory() const { return RootDirctory_; }
    const QString &pictureDirectory() const { return PictureRootDirctory_; }
    const QString &videoDirectory() const { return VideoRootDirctory_; }
    const QTimer &reconnectTimer() const { return reconnectTimer_; }

Q_SIGNALS:
    void viewGeometryChanged(const QRect &geometry);
    // Every shown picture with the announced picture size.
    void pictureShown(const QImage &image, double width, double height);
    void snapshotLedChanged(bool on);
    // The share started (with the address clients should use) or stopped.
    void sharingChanged(bool on, const QString &url);
    // The hook that saves a still to `path`; flag 1 from the toolbar, 0 from the device's
    // button. Runs on the main thread.
    void stillRequested(const QString &path, int flag);

private:
    void openStream();
    bool onDeviceNetwork() const;
    void showPicture(const QImage &image);
    void applyVideoFormat();
    void recordingVideo(const QImage &image);
    void pollSnapshotButton(std::stop_token stop);
    void saveImageFromWatcher(std::stop_token stop);

    ViewerServices services_;
    DeviceHttp http_;

    QString RootDirctory_;
    QString PictureRootDirctory_;
    QString VideoRootDirctory_;

    int camera_stype_ = kNoCamera;
    bool isAvailableStream_ = false;
    QPointer<WifiStream> stream_; // the stream whose pictures are shown
    QString mediaContent_;
    double m_video_width_ = 640;
    double m_video_height_ = 480;
    double m_new_video_width_ = 640;
    double m_new_video_height_ = 480;
    int wifiInitResolution_ = 0;
    int wifiInitFps_ = 0;
    CameraControls controls_;
    QRect viewGeometry_;
    QTimer reconnectTimer_;
    quint64 framesShown_ = 0;

    std::unique_ptr<FtpServer> theServer_; // null while not sharing
    QString baseDir_;                      // the workspace root
    quint16 lastSharePort_;                // offered first when the share switch asks

    // Held by each watcher pass around reading the counter and updating snapNumber_; nothing
    // on the main thread takes it, since a pass waits for the main thread while holding it.
    QMutex controllerLock_;
    std::atomic<int> snapNumber_ = 0; // watcher writes under controllerLock_, anyone reads
    bool isEnableSnapshot_ = false;
    std::unique_ptr<SnapshotWatcher> threadRead_;
    // Cancelled watchers finish their pass on their own; they are joined when the watcher is
    // switched on again or when the controller goes.
    std::vector<std::unique_ptr<SnapshotWatcher>> cancelledWatchers_;
};

} // namespace quelmar::viewer
