// The one controller of Orbilux's window: prepares the workspace and the calibration file,
// owns the link to the Wi-Fi microscope (network check, probe, picture stream, reconnection,
// snapshot-button watcher), routes the toolbar to the stills, the recorder, the measuring
// controls and the sheets, keeps the albums, and shares the workspace over FTP. It holds no
// widget, so tests drive it directly; the window shows what its signals say.
#pragma once

#include "app/adjustment_controls.h"
#include "app/gallery.h"
#include "app/measure_controls.h"
#include "app/video_recorder.h"
#include "app/workspace.h"
#include "camera/camera.h"
#include "device/device_http.h"
#include "device/settings_page.h"
#include "device/wifi_network.h"
#include "measure/user_entity.h"

#include <QElapsedTimer>
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

class DesktopOpener;
class DeviceProbe;
class FtpServer;
class SnapshotWatcher;
class UsbLink;
class ViewerPrompt;
class ViewerSound;
class WifiStream;
struct DeviceProbeResult;

struct ViewerServices {
    ViewerPrompt *prompt = nullptr;
    const WifiNetwork *network = nullptr;
    DeviceAddress device;
    // Where the workspace share listens; every interface unless a test narrows it.
    QHostAddress ftpAddress = QHostAddress(QHostAddress::Any);
    ViewerSound *sound = nullptr;     // none: silent
    DesktopOpener *opener = nullptr;  // none: files are not opened
    CameraBackend *cameras = nullptr; // USB cameras; none: the USB choice does nothing
};

// What the settings tab shows for the Wi-Fi microscope.
struct WifiSettingsTab {
    QStringList resolutions;
    int resolutionSelected = -1;
    QStringList rates; // "1" to "30"
    int rateSelected = -1;
    CameraControls controls;
};

// What the settings tab shows for a USB camera.
struct UsbSettingsTab {
    QStringList devices;
    int deviceSelected = -1;
    QStringList formats;
    int formatSelected = -1;
    QStringList rates;
    int rateSelected = -1;
};

enum CameraKind { kNoCamera = 0, kUsbCamera = 1, kWifiCamera = 2 };

class ViewController : public QObject {
    Q_OBJECT

public:
    static constexpr int kReconnectDelayMs = 3000;
    static constexpr int kFirstPictureTimeoutMs = 15000;
    static constexpr int kViewX = 205;
    static constexpr int kViewWidth = 800;
    // Entries of the album pop-up before the user albums.
    enum { kDefaultAlbumEntry = 0, kNewAlbumEntry = 1 };
    static const QString kNewAlbumTitle;

    explicit ViewController(ViewerServices services, QObject *parent = nullptr);
    ~ViewController() override;
    Q_DISABLE_COPY_MOVE(ViewController)

    // Start-up: workspace, calibrations, albums, gallery; the device is probed once the event
    // loop runs, so the window shows first.
    void viewDidLoad();
    // Probes the device on a thread when the computer is on its network; deviceProbed() says
    // when the values are in.
    void initWiFiDevice();
    // Closing the window: a recording is finished and the USB camera stops. The window going
    // off screen otherwise (minimised, hidden) stops nothing: nothing would start it again.
    void windowWillClose();

    // The first toolbar segment control.
    void ConnectUSBCamera();
    void ConnectWiFiCamera();
    void handleTimer();

    // The Wi-Fi pop-ups of the settings tab; `title` is the chosen entry.
    void handleVideoFormatPopBtn(const QString &title);
    void handleFpsPopBtn(const QString &title);
    WifiSettingsTab wifiSettingsTab() const;

    // The USB pop-ups of the settings tab, listed afresh; entries are chosen by position.
    UsbSettingsTab usbSettingsTab();
    void setSelectedVideoDevice(int index);
    void setVideoDeviceFormat(int index);
    void setFrameRateRange(int index);
    UsbLink *usbLink() const { return usb_.get(); }
    // Whether a link of either kind is connecting or connected.
    bool usbLinkActive() const;
    bool wifiLinkActive() const;

    // The adjustment sliders: what each shows for the camera now, a move, the default button.
    SliderSetup adjustmentSlider(Adjustment adjustment) const;
    void moveAdjustment(Adjustment adjustment, int position);
    void onDefaultAction();
    const AdjustmentControls &adjustments() const { return adjustments_; }

    // The second segment control: a still (flag 1 from the toolbar, 0 from the device's
    // button) and the record button.
    void SaveImage(int flag);
    void TakeCapture() { SaveImage(1); }
    void TakeRecord();
    // The sixth: the view reset, then the calibration sheet.
    void addNewCalibration();
    // The album pop-up: the chosen entry's index and title.
    void addNewFolder(int index, const QString &title);
    // Results of the sheets and the measurement view.
    void PassValue(const UserEntity &entity, int type);
    // A tab was chosen; false (and nothing changes) while no picture stream runs.
    bool selectTab(int index);

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
    bool isavailable() const { return isAvailableStream_; }

    // Each picture of a camera, on the main thread.
    void handleWifiPicture(const QImage &image);
    void handleUsbPicture(const QImage &image);

    // Where the measurement view goes for an announced picture size.
    static QRect videoViewGeometry(double width, double height);

    MeasureControls &measure() { return measure_; }
    VideoRecorder &recorder() { return recorder_; }
    Gallery &gallery() { return gallery_; }
    const Workspace &workspace() const { return workspace_; }

    // Pictures handed to the view since the controller was made, and the main thread's time
    // for handing each one to the view and the recorder.
    quint64 framesShown() const { return framesShown_; }
    qint64 longestHandOverNs() const { return longestHandOverNs_; }
    qint64 totalHandOverNs() const { return totalHandOverNs_; }
    // The longest time between two pictures shown, for stall checks of long runs.
    qint64 longestPictureGapNs() const { return longestPictureGapNs_; }
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
    const QString &plistCalibrationFile() const { return plistCalibrationFile_; }
    const QString &albumTitle() const { return albumTitle_; }
    QStringList albumEntries() const { return workspace_.userAlbums(); }
    const QTimer &reconnectTimer() const { return reconnectTimer_; }
    // How long a new stream may take for its first picture before it is given up.
    void setFirstPictureTimeout(int milliseconds) { firstPictureTimer_.setInterval(milliseconds); }
    bool streamRunning() const { return !stream_.isNull(); }
    const QString &statusText() const { return statusText_; }

Q_SIGNALS:
    void viewGeometryChanged(const QRect &geometry);
    // Every shown picture with the announced picture size.
    void pictureShown(const QImage &image, double width, double height);
    void snapshotLedChanged(bool on);
    // The share started (with the address clients should use) or stopped.
    void sharingChanged(bool on, const QString &url);
    // The view saves its picture with its shapes to `path` at the announced size; flag 1 from
    // the toolbar, 0 from the device's button. Runs on the main thread.
    void stillRequested(const QString &path, int flag);
    void statusTextChanged(const QString &text);
    void deviceProbed();
    void viewResetRequested();
    void calibrationSheetRequested();
    void newFolderSheetRequested();
    // The album pop-up: the user albums behind its fixed entries, and the one shown.
    void albumsChanged(const QStringList &albums, const QString &current);

private:
    void applyProbe(const DeviceProbeResult &result, bool thenConnect);
    void usbStreamEnded(CameraFault fault);
    void announceUsbSize();
    void openStream();
    void streamEnded(WifiStream *stream);
    void firstPictureOverdue();
    bool onDeviceNetwork() const;
    void showPicture(const QImage &image);
    void applyVideoFormat();
    void setStatusText(const QString &text);
    void selectAlbum(const QString &album);
    void finishRecordingAmong(const QStringList &paths);
    void pollSnapshotButton(std::stop_token stop);
    void saveImageFromWatcher(std::stop_token stop);

    ViewerServices services_;
    DeviceHttp http_;
    Workspace workspace_;
    VideoRecorder recorder_;
    MeasureControls measure_;
    Gallery gallery_;

    QString RootDirctory_;
    QString PictureRootDirctory_;
    QString VideoRootDirctory_;
    QString plistCalibrationFile_;
    QString albumTitle_;
    QString statusText_;

    int camera_stype_ = kNoCamera;
    bool isAvailableStream_ = false;
    QPointer<WifiStream> stream_;  // the stream whose pictures are shown
    bool streamDelivered_ = false; // the current stream has given a picture
    std::unique_ptr<DeviceProbe> probe_;
    bool connectAfterProbe_ = false;
    QString mediaContent_;
    double m_video_width_ = 640;
    double m_video_height_ = 480;
    double m_new_video_width_ = 640;
    double m_new_video_height_ = 480;
    int wifiInitResolution_ = 0;
    int wifiInitFps_ = 0;
    QStringList resolutions_; // the device's usable resolution entries
    CameraControls controls_;
    AdjustmentControls adjustments_;
    std::unique_ptr<UsbLink> usb_; // null without a camera backend
    QRect viewGeometry_;
    QTimer reconnectTimer_;
    QTimer firstPictureTimer_;
    quint64 framesShown_ = 0;
    qint64 longestHandOverNs_ = 0;
    qint64 totalHandOverNs_ = 0;
    qint64 longestPictureGapNs_ = 0;
    QElapsedTimer sincePicture_;

    std::unique_ptr<FtpServer> theServer_; // null while not sharing
    QString baseDir_;                      // the workspace root
    quint16 lastSharePort_;                // offered first when the share switch asks

    // Held by each watcher pass around reading the counter and updating snapNumber_; nothing
    // on the main thread takes it, since a pass waits for the main thread while holding it.
    QMutex controllerLock_;
    std::atomic<int> snapNumber_ = 0; // watcher writes under controllerLock_, anyone reads
    // Whether snapNumber_ holds a count the device gave; until then the first count read only
    // becomes the baseline, so presses before it take no still.
    std::atomic<bool> snapNumberKnown_ = false;
    bool isEnableSnapshot_ = false;
    std::unique_ptr<SnapshotWatcher> threadRead_;
    // Cancelled watchers finish their pass on their own; they are joined when the watcher is
    // switched on again or when the controller goes.
    std::vector<std::unique_ptr<SnapshotWatcher>> cancelledWatchers_;
};

} // namespace quelmar::viewer
