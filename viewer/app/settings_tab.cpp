#include "app/settings_tab.h"

#include "app/view_controller.h"
#include "app/viewer_prompt.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace quelmar::viewer {

namespace {

void paintWell(QToolButton *well, const QColor &colour)
{
    QPixmap swatch(28, 14);
    swatch.fill(colour);
    well->setIcon(QIcon(swatch));
    well->setIconSize(swatch.size());
}

} // namespace

SettingsTab::SettingsTab(ViewController &controller, ViewerPrompt *prompt, QWidget *parent)
    : QWidget(parent), controller_(controller), prompt_(prompt)
{
    auto *column = new QVBoxLayout(this);
    auto *device = new QGroupBox(QStringLiteral("Wi-Fi microscope"), this);
    wifiGroup_ = device;
    auto *deviceForm = new QFormLayout(device);
    // Labels above their pop-ups: the titles ("Motion-JPEG, 1280 x 960") need the column's
    // whole width.
    deviceForm->setRowWrapPolicy(QFormLayout::WrapAllRows);
    resolutionPopUp_ = new QComboBox(device);
    resolutionPopUp_->setObjectName(QStringLiteral("wifiResolutionPopUp"));
    ratePopUp_ = new QComboBox(device);
    ratePopUp_->setObjectName(QStringLiteral("wifiFpsPopUp"));
    deviceForm->addRow(QStringLiteral("Resolution"), resolutionPopUp_);
    deviceForm->addRow(QStringLiteral("Frame rate"), ratePopUp_);
    column->addWidget(device);
    connect(resolutionPopUp_, &QComboBox::activated, this, [this](int index) {
        controller_.handleVideoFormatPopBtn(resolutionPopUp_->itemText(index));
    });
    connect(ratePopUp_, &QComboBox::activated, this,
            [this](int index) { controller_.handleFpsPopBtn(ratePopUp_->itemText(index)); });

    usbGroup_ = new QGroupBox(QStringLiteral("USB camera"), this);
    auto *usbForm = new QFormLayout(usbGroup_);
    usbForm->setRowWrapPolicy(QFormLayout::WrapAllRows);
    usbDevicePopUp_ = new QComboBox(usbGroup_);
    usbDevicePopUp_->setObjectName(QStringLiteral("usbDevicePopUp"));
    usbFormatPopUp_ = new QComboBox(usbGroup_);
    usbFormatPopUp_->setObjectName(QStringLiteral("usbFormatPopUp"));
    usbRatePopUp_ = new QComboBox(usbGroup_);
    usbRatePopUp_->setObjectName(QStringLiteral("usbRatePopUp"));
    for (QComboBox *popUp : {usbDevicePopUp_, usbFormatPopUp_, usbRatePopUp_})
        popUp->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    for (QComboBox *popUp : {resolutionPopUp_, ratePopUp_})
        popUp->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    usbForm->addRow(QStringLiteral("Camera"), usbDevicePopUp_);
    usbForm->addRow(QStringLiteral("Format"), usbFormatPopUp_);
    usbForm->addRow(QStringLiteral("Rate"), usbRatePopUp_);
    column->addWidget(usbGroup_);
    usbGroup_->hide();
    // Each choice shows afterwards what the camera runs now: a refused one is not kept.
    const auto choose = [this](void (ViewController::*set)(int)) {
        return [this, set](int index) {
            (controller_.*set)(index);
            fillUsbSettings();
            fillAdjustments();
        };
    };
    connect(usbDevicePopUp_, &QComboBox::activated, this,
            choose(&ViewController::setSelectedVideoDevice));
    connect(usbFormatPopUp_, &QComboBox::activated, this,
            choose(&ViewController::setVideoDeviceFormat));
    connect(usbRatePopUp_, &QComboBox::activated, this, choose(&ViewController::setFrameRateRange));

    auto *adjust = new QGroupBox(QStringLiteral("Adjustments"), this);
    auto *adjustForm = new QFormLayout(adjust);
    buildAdjustments(adjustForm);
    column->addWidget(adjust);

    auto *style = new QGroupBox(QStringLiteral("Measurement"), this);
    auto *styleForm = new QFormLayout(style);
    MeasureControls &measure = controller_.measure();
    widthSlider_ = addSlider(styleForm, QStringLiteral("Width"), 1, 10, &WidthTextField_);
    fontSlider_ = addSlider(styleForm, QStringLiteral("Font"), 8, 48, &FontTextField_);
    decimalSlider_ = addSlider(styleForm, QStringLiteral("Decimals"), 0, 6, &DecimalTextField_);
    // Each move is shown as the controller kept it: without a stream it is not taken.
    const auto follow = [this, &measure](void (MeasureControls::*set)(int)) {
        return [this, &measure, set](int value) {
            (measure.*set)(value);
            showStyle(measure.style());
        };
    };
    connect(widthSlider_, &QSlider::valueChanged, this, follow(&MeasureControls::setLineWidth));
    connect(fontSlider_, &QSlider::valueChanged, this, follow(&MeasureControls::setFontSize));
    connect(decimalSlider_, &QSlider::valueChanged, this, follow(&MeasureControls::setDecimals));
    lineColourWell_ = addColourWell(styleForm, QStringLiteral("Line colour"), true);
    fontColourWell_ = addColourWell(styleForm, QStringLiteral("Label colour"), false);
    column->addWidget(style);
    column->addStretch();

    connect(&measure, &MeasureControls::styleChanged, this, &SettingsTab::showStyle);
    showStyle(measure.style());
}

void SettingsTab::buildAdjustments(QFormLayout *form)
{
    const std::array<QString, kAdjustments.size()> labels = {
        QStringLiteral("Brightness"), QStringLiteral("Contrast"), QStringLiteral("Saturation"),
        QStringLiteral("Hue"),        QStringLiteral("Gamma"),    QStringLiteral("Sharpness")};
    const std::array<QString, kAdjustments.size()> names = {
        QStringLiteral("brightnessSlider"), QStringLiteral("contrastSlider"),
        QStringLiteral("saturationSlider"), QStringLiteral("hueSlider"),
        QStringLiteral("gammaSlider"),      QStringLiteral("sharpnessSlider")};
    for (const Adjustment adjustment : kAdjustments) {
        const auto i = std::size_t(adjustment);
        auto *slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(names[i]);
        adjustmentSliders_[i] = slider;
        form->addRow(labels[i], slider);
        connect(slider, &QSlider::valueChanged, this, [this, adjustment](int position) {
            controller_.moveAdjustment(adjustment, position);
        });
    }
    defaultButton_ = new QPushButton(QStringLiteral("Default"), this);
    defaultButton_->setObjectName(QStringLiteral("defaultButton"));
    form->addRow(defaultButton_);
    connect(defaultButton_, &QPushButton::clicked, this, [this] {
        controller_.onDefaultAction();
        fillAdjustments();
    });
}

void SettingsTab::showCameraSettings()
{
    const bool wifi = controller_.camera_stype() == kWifiCamera;
    wifiGroup_->setVisible(wifi);
    usbGroup_->setVisible(!wifi && controller_.camera_stype() == kUsbCamera);
    if (wifi)
        fillWifiSettings();
    else
        fillUsbSettings();
    fillAdjustments();
}

void SettingsTab::fillAdjustments()
{
    for (const Adjustment adjustment : kAdjustments) {
        QSlider *slider = adjustmentSliders_[std::size_t(adjustment)];
        const SliderSetup setup = controller_.adjustmentSlider(adjustment);
        // Showing values is no move: no flag is set and no command sent.
        const QSignalBlocker blocker(slider);
        slider->setRange(setup.minimum, setup.maximum);
        slider->setValue(setup.value);
    }
}

void SettingsTab::fillUsbSettings()
{
    const UsbSettingsTab tab = controller_.usbSettingsTab();
    const auto fill = [](QComboBox *popUp, const QStringList &entries, int selected) {
        const QSignalBlocker blocker(popUp);
        popUp->clear();
        popUp->addItems(entries);
        popUp->setCurrentIndex(selected);
    };
    fill(usbDevicePopUp_, tab.devices, tab.deviceSelected);
    fill(usbFormatPopUp_, tab.formats, tab.formatSelected);
    fill(usbRatePopUp_, tab.rates, tab.rateSelected);
}

QSlider *SettingsTab::addSlider(QFormLayout *form, const QString &label, int min, int max,
                                QLineEdit **field)
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *slider = new QSlider(Qt::Horizontal, row);
    slider->setRange(min, max);
    *field = new QLineEdit(row);
    (*field)->setReadOnly(true);
    (*field)->setFixedWidth(28);
    layout->addWidget(slider);
    layout->addWidget(*field);
    form->addRow(label, row);
    return slider;
}

QToolButton *SettingsTab::addColourWell(QFormLayout *form, const QString &label, bool line)
{
    auto *well = new QToolButton(this);
    form->addRow(label, well);
    connect(well, &QToolButton::clicked, this, [this, line] {
        MeasureControls &measure = controller_.measure();
        if (!controller_.isavailable())
            return;
        const QColor current =
            line ? measure.style().measure_line_color : measure.style().measure_font_color;
        const std::optional<QColor> chosen = prompt_->chooseColor(current);
        if (!chosen)
            return;
        line ? measure.setLineColor(*chosen) : measure.setFontColor(*chosen);
    });
    return well;
}

void SettingsTab::showStyle(const MeasureStyle &style)
{
    const QSignalBlocker width(widthSlider_);
    const QSignalBlocker font(fontSlider_);
    const QSignalBlocker decimals(decimalSlider_);
    widthSlider_->setValue(style.measure_line_width);
    fontSlider_->setValue(style.measure_font_size);
    decimalSlider_->setValue(style.measure_data_decimal);
    WidthTextField_->setText(QString::number(style.measure_line_width));
    FontTextField_->setText(QString::number(style.measure_font_size));
    DecimalTextField_->setText(QString::number(style.measure_data_decimal));
    paintWell(lineColourWell_, style.measure_line_color);
    paintWell(fontColourWell_, style.measure_font_color);
}

void SettingsTab::fillWifiSettings()
{
    const WifiSettingsTab tab = controller_.wifiSettingsTab();
    const QSignalBlocker resolutionBlocker(resolutionPopUp_);
    const QSignalBlocker rateBlocker(ratePopUp_);
    resolutionPopUp_->clear();
    resolutionPopUp_->addItems(tab.resolutions);
    resolutionPopUp_->setCurrentIndex(tab.resolutionSelected);
    ratePopUp_->clear();
    ratePopUp_->addItems(tab.rates);
    ratePopUp_->setCurrentIndex(tab.rateSelected);
}

} // namespace quelmar::viewer
