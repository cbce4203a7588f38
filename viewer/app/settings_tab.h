// The settings tab: the Wi-Fi microscope's resolution and frame-rate pop-ups or the USB
// camera's camera, format and rate pop-ups, the six picture adjustment sliders with their
// default button, and the measurement style controls (line width, font size and decimals sliders
// with their text fields, line and label colour wells). Choices go to the ViewController.
#pragma once

#include "app/adjustment_controls.h"

#include <QWidget>

#include <array>

class QComboBox;
class QFormLayout;
class QGroupBox;
class QPushButton;
class QLineEdit;
class QSlider;
class QToolButton;

namespace quelmar::viewer {

class ViewController;
class ViewerPrompt;
struct MeasureStyle;

class SettingsTab : public QWidget {
    Q_OBJECT

public:
    SettingsTab(ViewController &controller, ViewerPrompt *prompt, QWidget *parent = nullptr);

    QComboBox &resolutionPopUp() { return *resolutionPopUp_; }
    QComboBox &ratePopUp() { return *ratePopUp_; }
    QComboBox &usbDevicePopUp() { return *usbDevicePopUp_; }
    QComboBox &usbFormatPopUp() { return *usbFormatPopUp_; }
    QComboBox &usbRatePopUp() { return *usbRatePopUp_; }
    QGroupBox &wifiGroup() { return *wifiGroup_; }
    QGroupBox &usbGroup() { return *usbGroup_; }
    QSlider &adjustmentSlider(Adjustment adjustment)
    {
        return *adjustmentSliders_[std::size_t(adjustment)];
    }
    QPushButton &defaultButton() { return *defaultButton_; }
    QSlider &widthSlider() { return *widthSlider_; }
    QSlider &fontSlider() { return *fontSlider_; }
    QSlider &decimalSlider() { return *decimalSlider_; }
    QLineEdit &WidthTextField() { return *WidthTextField_; }
    QLineEdit &FontTextField() { return *FontTextField_; }
    QLineEdit &DecimalTextField() { return *DecimalTextField_; }

    // Fills the Wi-Fi pop-ups afresh from the controller.
    void fillWifiSettings();
    // Fills the USB pop-ups afresh from the controller.
    void fillUsbSettings();
    // Shows the pop-ups of the camera kind and the sliders as the controller has them; sets
    // nothing and sends nothing.
    void showCameraSettings();
    void fillAdjustments();
    void showStyle(const MeasureStyle &style);

private:
    QSlider *addSlider(QFormLayout *form, const QString &label, int min, int max,
                       QLineEdit **field);
    QToolButton *addColourWell(QFormLayout *form, const QString &label, bool line);

    void buildAdjustments(QFormLayout *form);

    ViewController &controller_;
    ViewerPrompt *prompt_;
    QComboBox *resolutionPopUp_;
    QComboBox *ratePopUp_;
    QGroupBox *wifiGroup_;
    QGroupBox *usbGroup_;
    QComboBox *usbDevicePopUp_;
    QComboBox *usbFormatPopUp_;
    QComboBox *usbRatePopUp_;
    std::array<QSlider *, kAdjustments.size()> adjustmentSliders_{};
    QPushButton *defaultButton_ = nullptr;
    QSlider *widthSlider_;
    QSlider *fontSlider_;
    QSlider *decimalSlider_;
    QLineEdit *WidthTextField_ = nullptr;
    QLineEdit *FontTextField_ = nullptr;
    QLineEdit *DecimalTextField_ = nullptr;
    QToolButton *lineColourWell_;
    QToolButton *fontColourWell_;
};

} // namespace quelmar::viewer
