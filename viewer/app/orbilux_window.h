// Orbilux's single window, fixed at 1020 x 720: the toolbar's camera segment control and
// snapshot-button switch and workspace share switch, the tab view with the Wi-Fi settings pop-ups,
// the measurement view and the status text. Every action goes to the ViewController.
#pragma once

#include <QMainWindow>

#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace quelmar::viewer {

class JVideoView;
class MeasureActions;
class MeasureControls;
class ViewController;
class ViewerPrompt;
struct ViewerServices;

class OrbiluxWindow : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kWidth = 1020;
    static constexpr int kHeight = 720;
    enum Tab { kPhotosTab = 0, kVideosTab = 1, kSettingsTab = 2 };

    explicit OrbiluxWindow(const ViewerServices &services, QWidget *parent = nullptr);
    ~OrbiluxWindow() override;

    ViewController &controller() { return *controller_; }
    JVideoView &videoView() { return *view_; }
    QPushButton &usbSegment() { return *usbSegment_; }
    QPushButton &wifiSegment() { return *wifiSegment_; }
    QToolButton &ledButton() { return *ledButton_; }
    QToolButton &shareButton() { return *shareButton_; }
    QLineEdit &statusText() { return *txt_recording_; }
    QTabWidget &tabView() { return *tabs_; }
    QComboBox &resolutionPopUp() { return *resolutionPopUp_; }
    QComboBox &ratePopUp() { return *ratePopUp_; }
    MeasureActions &measureActions() { return *measureActions_; }
    MeasureControls &measureControls() { return *measureControls_; }

private:
    void buildToolbar();
    void buildContent();
    void showLed(bool on);
    void showSharing(bool on, const QString &url);
    void tabChanged(int index);
    void fillWifiSettings();
    void saveStill(const QString &path);
    void openCalibrationSheet();

    std::unique_ptr<ViewController> controller_;
    JVideoView *view_ = nullptr;
    QPushButton *usbSegment_ = nullptr;
    QPushButton *wifiSegment_ = nullptr;
    QToolButton *ledButton_ = nullptr;
    QToolButton *shareButton_ = nullptr;
    QTabWidget *tabs_ = nullptr;
    QComboBox *resolutionPopUp_ = nullptr;
    QComboBox *ratePopUp_ = nullptr;
    QLineEdit *txt_recording_ = nullptr;
    int bPictureShow_ = kVideosTab;
    ViewerPrompt *prompt_ = nullptr;
    MeasureActions *measureActions_ = nullptr;
    MeasureControls *measureControls_ = nullptr;
};

} // namespace quelmar::viewer
