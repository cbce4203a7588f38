#include "app/settings_tab.h"

#include "app/view_controller.h"
#include "app/viewer_prompt.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
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
    auto *deviceForm = new QFormLayout(device);
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
