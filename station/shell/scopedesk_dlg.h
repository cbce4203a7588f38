// CScopeDeskDlg: the station's main window. It lays out the preview, the folder box, the
// thumbnail strip and the picture buttons, and routes every menu item, button and hot key
// through one dispatcher to the object that owns the behaviour.
#pragma once

#include "base/language.h"
#include "base/log_font.h"
#include "base/registry_store.h"
#include "base/station_settings.h"
#include "capture/capture_state.h"
#include "shell/station_services.h"

#include <QMainWindow>
#include <QMutex>
#include <QPointer>

#include <map>
#include <memory>

class QComboBox;
class QLabel;
class QTimer;
class QLineEdit;
class QMenu;

namespace quelmar::station {

class CalibrationFile;
class CameraChip;
class ChipSnapshotButton;
class CBitmapCheckButton;
class CSampleGrabberCB;
class CVideoCapWnd;
class DeviceChangeDebouncer;
class FullScreenMode;
class HotKeyFilter;
class ImageOperations;
class LiveMeasure;
class LiveMouseRouter;
class MediaLibrary;
class MeasureScale;
class PreviewWidget;
class QtTranslations;
class CVideoSettingDlg;
class VideoRecording;

class CScopeDeskDlg : public QMainWindow {
    Q_OBJECT
public:
    explicit CScopeDeskDlg(StationServices services, QWidget *parent = nullptr);
    ~CScopeDeskDlg() override;

    // The one entry for menu items, buttons and hot keys.
    void onCommand(int id);

    // State queries, for the parts that depend on them and for tests.
    bool isConnected() const { return connected_; }
    bool isPreviewDown() const;
    bool isRecordDown() const;
    bool isInPreviewState() const { return isPreviewDown() || isRecordDown(); }
    // Whether the snapshot item is on: the camera's button takes stills.
    bool snapshotMenuOn() const;
    bool isFullScreenMode() const;
    bool isRecording() const;
    int sensorClass() const { return sensorClass_; }
    int recheckCount() const { return recheckCount_; }

    StationSettings &settings() { return settings_; }
    const Language &language() const { return language_; }
    PreviewWidget *preview() const { return preview_; }
    CBitmapCheckButton *button(int commandId) const;
    QString messageTitle() const { return messageTitle_; }
    CaptureState &captureState() { return captureState_; }
    CVideoCapWnd *capture() const { return capture_.get(); }
    ImageOperations &operations() { return *operations_; }
    QString magnificationText() const;
    MediaLibrary *library() const { return library_; }
    MeasureScale &measureScale() { return *measureScale_; }
    VideoRecording &recording() { return *recording_; }
    LiveMeasure &liveMeasure() { return *live_; }
    ChipSnapshotButton &chipButton() { return *chipButton_; }
    CameraChip &cameraChip() { return *chip_; }

    void enterFullScreen();
    void leaveFullScreen();
    // Device re-check after a change notice: rebuild the capture and show its outcome.
    void recheckDevices();

Q_SIGNALS:
    void stillSaved(const QString &thumbnailPath);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildLayout();
    void buildToolButtons();
    void rebuildMenus();
    void refreshToolTips();
    // The camera: starting, re-checking, faults, the video settings and the snapshot item
    // (scopedesk_camera.cpp).
    void wireCamera();
    bool startCapture();
    void showCaptureOutcome(bool ok);
    void rebuildCapture();
    void showRunFault();
    QString captureFaultText() const;
    void openVideoSettings();
    void chooseCamera(int record);
    void onSnapshotCommand();
    void updateCaptureSizeLabel();
    void onHotKey(int key);
    void changeLanguage(int command);
    void togglePreview();
    void requestStill();
    void releaseAll();
    void onStillMessage(bool fromButton);
    bool setCaptureSize(QSize size);
    // Recording and time-lapse (scopedesk_recording.cpp).
    void wireRecording();
    void runTimeLapse();
    void showStatusBriefly(const QString &text);
    void onImageOperation(int id);
    void syncOperationButtons();
    void releaseToolButtons();
    void warn(const QString &key, const QString &fallback);
    // Measuring on the live picture (scopedesk_dlg_live.cpp).
    void setUpLiveMeasure();
    bool routeLiveCommand(int id);
    void syncLiveButtons();
    void onCalibrationStored();
    // The photo window (scopedesk_dlg_photo.cpp).
    void setUpPhotoWindow();
    void showPhotoWindow(const QString &path);

    StationServices services_;
    RegistryStore store_;
    SettingsIo settingsIo_;
    StationSettings settings_;
    LogFont labelFont_; // the label font of new shapes, from the label font file
    std::unique_ptr<CalibrationFile> calibrationFile_;
    std::unique_ptr<MeasureScale> measureScale_; // the scale every measurement divides by
    Language language_;
    LanguagePair currentLanguage_;
    std::unique_ptr<QtTranslations> qtTexts_; // Qt's own texts in the same language

    QString messageTitle_;
    QString escapeHint_;
    bool connected_ = false;
    bool released_ = false;
    int sensorClass_ = 0;
    QSize captureSize_;
    int recheckCount_ = 0;

    QWidget *canvas_ = nullptr;
    PreviewWidget *preview_ = nullptr;
    MediaLibrary *library_ = nullptr; // owned by canvas_
    QLineEdit *magnification_ = nullptr;
    QLineEdit *zoomRate_ = nullptr;
    QLabel *captureSizeLabel_ = nullptr;
    QLabel *clockLabel_ = nullptr;
    QMenu *liveToolMenu_ = nullptr;
    std::map<int, CBitmapCheckButton *> buttons_; // the 25 tool records and the tool-menu button
    DeviceChangeDebouncer *debouncer_ = nullptr;
    std::unique_ptr<FullScreenMode> fullScreen_;
    std::unique_ptr<HotKeyFilter> hotKeys_;

    CaptureState captureState_;
    QMutex recordingLock_; // guards every call into a running recording
    FrameHooks hooks_;
    std::unique_ptr<LiveMeasure> live_; // the frame path reads its marks: outlives capture_
    std::unique_ptr<LiveMouseRouter> liveMouse_; // gone before live_
    std::unique_ptr<ImageOperations> operations_;
    std::unique_ptr<CSampleGrabberCB> grabber_;
    std::unique_ptr<VideoRecording> recording_;  // closed after the capture has stopped
    std::unique_ptr<CameraChip> chip_;           // the class-4 camera's register library
    ChipSnapshotButton *chipButton_ = nullptr;   // child; polls chip_ while the switch is on
    QPointer<CVideoSettingDlg> videoSettingDlg_; // while open: refilled after device changes
    QTimer *busyRetry_ = nullptr;                // child; tries a busy camera again
    QString faultText_;                          // the camera's fault as last shown
    std::unique_ptr<CVideoCapWnd> capture_;      // declared last: stopped first on destruction
};

} // namespace quelmar::station
