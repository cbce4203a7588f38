#include "capture/video_setting_dlg.h"

#include "base/language.h"
#include "capture/capture_state.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace quelmar::station {

namespace {

QString shownValue(int value)
{
    return QString::asprintf("%3d", value);
}

} // namespace

CVideoSettingDlg::CVideoSettingDlg(Context context, QWidget *parent)
    : QDialog(parent), context_(std::move(context))
{
    setWindowTitle(text("VideoSetting", "Video Setting"));

    devices_ = new QComboBox(this);
    pixelFormats_ = new QComboBox(this);
    pixelFormats_->addItems(kPixelFormatNames);
    sizes_ = new QComboBox(this);
    // The text shows the size in force, which Default may set to one the list lacks.
    sizes_->setEditable(true);
    sizes_->lineEdit()->setReadOnly(true);
    connect(devices_, &QComboBox::activated, this, &CVideoSettingDlg::onDeviceChosen);
    connect(sizes_, &QComboBox::activated, this, &CVideoSettingDlg::onSizeChosen);

    auto *deviceBox = new QGroupBox(text("VideoCaptionDevice", "Video Capture Device"), this);
    auto *deviceGrid = new QGridLayout(deviceBox);
    deviceGrid->addWidget(new QLabel(text("DeviceName", "Device Name"), deviceBox), 0, 0);
    deviceGrid->addWidget(devices_, 0, 1);
    auto *settingBox = new QGroupBox(text("DeviceSetting", "Device Setting"), this);
    auto *settingGrid = new QGridLayout(settingBox);
    settingGrid->addWidget(new QLabel(text("VideoNorm", "Video Norm"), settingBox), 0, 0);
    settingGrid->addWidget(pixelFormats_, 0, 1);
    settingGrid->addWidget(new QLabel(text("VideoResolution", "Video Resolution"), settingBox), 1,
                           0);
    settingGrid->addWidget(sizes_, 1, 1);

    auto *propertyBox = new QGroupBox(text("VideoProperies", "Video Properies"), this);
    auto *grid = new QGridLayout(propertyBox);
    for (std::size_t index = 0; index < rows_.size(); ++index) {
        const bool whiteBalance = int(index) == kWhiteBalanceRow;
        RowWidgets &row = rows_[index];
        row = makeRow(!whiteBalance);
        row.label->setText(text(kPropertyRows[index].key, kPropertyRows[index].key));
        const int line = int(index);
        grid->addWidget(row.label, line, 0);
        grid->addWidget(row.slider, line, 1);
        grid->addWidget(row.value, line, 2);
        if (!whiteBalance) {
            auto *spin = new QVBoxLayout;
            spin->setSpacing(0);
            spin->addWidget(row.up);
            spin->addWidget(row.down);
            grid->addLayout(spin, line, 3);
            for (QToolButton *arrow : {row.up, row.down}) {
                const int direction = arrow == row.up ? +1 : -1;
                connect(arrow, &QToolButton::clicked, this, [this, index, direction] {
                    if (ready())
                        showValue(rows_[index], settings_.stepRow(int(index), direction));
                });
            }
        }
        connect(row.slider, &QSlider::valueChanged, this, [this, index](int position) {
            if (!filling_ && ready())
                showValue(rows_[index], settings_.moveRow(int(index), position));
        });
    }
    whiteBalanceAuto_ = new QCheckBox(text("Auto", "Auto"), propertyBox);
    grid->addWidget(whiteBalanceAuto_, kWhiteBalanceRow, 3);
    connect(whiteBalanceAuto_, &QCheckBox::toggled, this, [this](bool on) {
        if (!filling_ && ready())
            showValue(rows_[kWhiteBalanceRow], settings_.setWhiteBalanceAutomatic(on));
    });

    exposure_ = makeRow(false);
    exposure_.label->setText(text("Exposure", "Exposure"));
    exposureAuto_ = new QPushButton(text("Auto", "Auto"), propertyBox);
    exposureAuto_->setCheckable(true);
    const int exposureLine = int(rows_.size());
    grid->addWidget(exposure_.label, exposureLine, 0);
    grid->addWidget(exposure_.slider, exposureLine, 1);
    grid->addWidget(exposure_.value, exposureLine, 2);
    grid->addWidget(exposureAuto_, exposureLine, 3);
    connect(exposure_.slider, &QSlider::valueChanged, this, [this](int position) {
        if (!filling_ && ready())
            showValue(exposure_, settings_.moveExposure(position));
    });
    connect(exposureAuto_, &QPushButton::clicked, this, [this] {
        if (!ready())
            return;
        showValue(exposure_, settings_.toggleExposureAutomatic());
        exposureAuto_->setChecked(settings_.exposure().automatic);
    });

    default_ = new QPushButton(text("Default", "Default"), this);
    auto *ok = new QPushButton(text("Ok", "OK"), this);
    auto *exit = new QPushButton(text("Exit", "Exit"), this);
    ok->setDefault(true);
    connect(default_, &QPushButton::clicked, this, &CVideoSettingDlg::onDefault);
    // Neither undoes what the camera was already told.
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(default_);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(exit);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(deviceBox);
    layout->addWidget(settingBox);
    layout->addWidget(propertyBox);
    layout->addLayout(buttons);
    setMinimumWidth(480);
    refill();
}

QString CVideoSettingDlg::text(const char *key, const char *fallback) const
{
    return context_.language ? context_.language->text(QString::fromLatin1(key), 64,
                                                       QString::fromLatin1(fallback))
                             : QString::fromLatin1(fallback);
}

CVideoSettingDlg::RowWidgets CVideoSettingDlg::makeRow(bool withSpin)
{
    RowWidgets row;
    row.label = new QLabel(this);
    row.slider = new QSlider(Qt::Horizontal, this);
    row.slider->setMinimumWidth(200);
    row.value = new QLineEdit(this);
    row.value->setReadOnly(true);
    row.value->setFixedWidth(56);
    row.value->setAlignment(Qt::AlignRight);
    if (withSpin) {
        for (QToolButton **arrow : {&row.up, &row.down}) {
            *arrow = new QToolButton(this);
            (*arrow)->setArrowType(arrow == &row.up ? Qt::UpArrow : Qt::DownArrow);
            (*arrow)->setFixedSize(18, 11);
        }
    }
    return row;
}

void CVideoSettingDlg::showValue(const RowWidgets &widgets, int value)
{
    const bool wasFilling = std::exchange(filling_, true);
    widgets.slider->setValue(value);
    filling_ = wasFilling;
    widgets.value->setText(shownValue(value));
}

void CVideoSettingDlg::showRow(const RowWidgets &widgets, const PropertyValues &values)
{
    // A property the camera lacks leaves its row disabled, not the dialog empty.
    for (QWidget *widget :
         {static_cast<QWidget *>(widgets.label), static_cast<QWidget *>(widgets.slider),
          static_cast<QWidget *>(widgets.value), static_cast<QWidget *>(widgets.up),
          static_cast<QWidget *>(widgets.down)}) {
        if (widget)
            widget->setEnabled(values.present);
    }
    widgets.slider->setRange(values.minimum, values.maximum);
    widgets.slider->setSingleStep(values.step);
    widgets.slider->setPageStep(std::max(values.step, (values.maximum - values.minimum) / 10));
    widgets.slider->setValue(values.value);
    widgets.value->setText(values.present ? shownValue(values.value) : QString());
}

void CVideoSettingDlg::refill()
{
    const bool wasFilling = std::exchange(filling_, true);
    settings_.read(context_.capture ? context_.capture->controls() : nullptr);
    for (std::size_t index = 0; index < rows_.size(); ++index)
        showRow(rows_[index], settings_.row(int(index)));
    const PropertyValues &whiteBalance = settings_.row(kWhiteBalanceRow);
    whiteBalanceAuto_->setEnabled(whiteBalance.present && whiteBalance.hasAutomatic);
    whiteBalanceAuto_->setChecked(whiteBalance.automatic);
    showRow(exposure_, settings_.exposure());
    exposureAuto_->setEnabled(settings_.exposure().present);
    exposureAuto_->setChecked(settings_.exposure().automatic);

    fillDevices();
    const PixelFormatListState format =
        pixelFormatListFor(context_.state ? int(context_.state->sensorClass) : 0);
    pixelFormats_->setCurrentIndex(format.selected);
    pixelFormats_->setEnabled(format.enabled);
    fillSizes();
    filling_ = wasFilling;
}

void CVideoSettingDlg::fillDevices()
{
    devices_->clear();
    deviceRecords_.clear();
    if (!context_.capture)
        return;
    const std::vector<DeviceRecord> &records = context_.capture->devices();
    deviceRecords_ = listedDeviceRecords(records);
    for (const int record : deviceRecords_) {
        devices_->addItem(records[std::size_t(record)].friendlyName);
        if (records[std::size_t(record)].selected)
            devices_->setCurrentIndex(devices_->count() - 1);
    }
}

void CVideoSettingDlg::fillSizes()
{
    sizes_->clear();
    if (context_.capture) {
        for (const CaptureSize &size : context_.capture->captureSizes())
            sizes_->addItem(captureSizeText(size.width, size.height));
    }
    if (context_.state && context_.state->captureWidth > 0) {
        const QString current =
            captureSizeText(context_.state->captureWidth, context_.state->captureHeight);
        sizes_->setCurrentIndex(sizes_->findText(current));
        sizes_->setEditText(current);
    }
}

void CVideoSettingDlg::onDeviceChosen(int entry)
{
    if (entry < 0 || entry >= int(deviceRecords_.size()) || !context_.selectDevice)
        return;
    context_.selectDevice(deviceRecords_[std::size_t(entry)]);
    refill();
}

void CVideoSettingDlg::onSizeChosen(int entry)
{
    const std::optional<QSize> size = parseCaptureSizeText(sizes_->itemText(entry));
    if (size && context_.setCaptureSize)
        context_.setCaptureSize(*size);
    fillSizes();
}

bool CVideoSettingDlg::ready()
{
    CameraControls *now = context_.capture ? context_.capture->controls() : nullptr;
    if (settings_.controls() == now)
        return true;
    // The camera changed under the dialog (a message box of a re-check let the user in
    // before the dialog was refilled): show the new camera rather than write to the old.
    refill();
    return false;
}

void CVideoSettingDlg::onDefault()
{
    if (!ready())
        return;
    settings_.restoreDefaults();
    const bool wasFilling = std::exchange(filling_, true);
    for (std::size_t index = 0; index < rows_.size(); ++index)
        showRow(rows_[index], settings_.row(int(index)));
    whiteBalanceAuto_->setChecked(settings_.row(kWhiteBalanceRow).automatic);
    filling_ = wasFilling;
    // Only the text: the capture size itself stays.
    const QSize high = sensorClassSizes(context_.state ? int(context_.state->sensorClass) : 0).high;
    sizes_->setEditText(captureSizeText(high.width(), high.height()));
}

} // namespace quelmar::station
