// CVideoSettingDlg ("Video Setting"): the capture device, the capture size and the camera's
// picture properties. What each control does lives in VideoDeviceSettings and CVideoCapWnd;
// this shows it and forwards the user's moves.
#pragma once

#include "capture/video_device_settings.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QToolButton;

namespace quelmar::station {

class Language;
struct CaptureState;

class CVideoSettingDlg : public QDialog {
    Q_OBJECT
public:
    struct Context {
        const Language *language = nullptr;
        CVideoCapWnd *capture = nullptr; // null while no camera is connected
        CaptureState *state = nullptr;
        // The main window's size change: closes a recording first, shows the new size.
        std::function<bool(QSize)> setCaptureSize;
        // The main window's device choice: rebuilds the capture and remembers the camera.
        std::function<void(int record)> selectDevice;
    };

    explicit CVideoSettingDlg(Context context, QWidget *parent = nullptr);

    // Fills every list and row again from the current camera (on opening, after a device
    // choice and after a device change).
    void refill();

    const VideoDeviceSettings &settings() const { return settings_; }
    QComboBox *deviceList() const { return devices_; }
    QComboBox *pixelFormatList() const { return pixelFormats_; }
    QComboBox *sizeList() const { return sizes_; }
    QSlider *slider(int row) const { return rows_[std::size_t(row)].slider; }
    QLineEdit *valueBox(int row) const { return rows_[std::size_t(row)].value; }
    QToolButton *spinUp(int row) const { return rows_[std::size_t(row)].up; }
    QToolButton *spinDown(int row) const { return rows_[std::size_t(row)].down; }
    QCheckBox *whiteBalanceAuto() const { return whiteBalanceAuto_; }
    QSlider *exposureSlider() const { return exposure_.slider; }
    QLineEdit *exposureValue() const { return exposure_.value; }
    QPushButton *exposureAuto() const { return exposureAuto_; }
    QPushButton *defaultButton() const { return default_; }

private:
    struct RowWidgets {
        QLabel *label = nullptr;
        QSlider *slider = nullptr;
        QLineEdit *value = nullptr;
        QToolButton *up = nullptr;
        QToolButton *down = nullptr;
    };

    QString text(const char *key, const char *fallback) const;
    // Whether the rows belong to the camera open now; refills them when not.
    bool ready();
    RowWidgets makeRow(bool withSpin);
    void showRow(const RowWidgets &widgets, const PropertyValues &values);
    void showValue(const RowWidgets &widgets, int value);
    void fillDevices();
    void fillSizes();
    void onDeviceChosen(int entry);
    void onSizeChosen(int entry);
    void onDefault();

    Context context_;
    VideoDeviceSettings settings_;
    std::vector<int> deviceRecords_; // the record behind each device list entry
    bool filling_ = false;           // the widgets are being set from the camera, not the user

    QComboBox *devices_ = nullptr;
    QComboBox *pixelFormats_ = nullptr;
    QComboBox *sizes_ = nullptr;
    std::array<RowWidgets, kPropertyRows.size()> rows_;
    RowWidgets exposure_;
    QCheckBox *whiteBalanceAuto_ = nullptr;
    QPushButton *exposureAuto_ = nullptr;
    QPushButton *default_ = nullptr;
};

} // namespace quelmar::station
