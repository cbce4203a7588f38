// The settings tab: the Wi-Fi microscope's resolution and frame-rate pop-ups and the
// measurement style controls (line width, font size and decimals sliders with their text
// fields, line and label colour wells). Choices go to the ViewController.
#pragma once

#include <QWidget>

class QComboBox;
class QFormLayout;
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
    QSlider &widthSlider() { return *widthSlider_; }
    QSlider &fontSlider() { return *fontSlider_; }
    QSlider &decimalSlider() { return *decimalSlider_; }
    QLineEdit &WidthTextField() { return *WidthTextField_; }
    QLineEdit &FontTextField() { return *FontTextField_; }
    QLineEdit &DecimalTextField() { return *DecimalTextField_; }

    // Fills the Wi-Fi pop-ups afresh from the controller.
    void fillWifiSettings();
    void showStyle(const MeasureStyle &style);

private:
    QSlider *addSlider(QFormLayout *form, const QString &label, int min, int max,
                       QLineEdit **field);
    QToolButton *addColourWell(QFormLayout *form, const QString &label, bool line);

    ViewController &controller_;
    ViewerPrompt *prompt_;
    QComboBox *resolutionPopUp_;
    QComboBox *ratePopUp_;
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
