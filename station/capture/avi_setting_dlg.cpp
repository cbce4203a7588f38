#include "capture/avi_setting_dlg.h"

#include "base/language.h"
#include "base/prompt.h"
#include "capture/compressor_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace quelmar::station {

CAVISettingDlg::CAVISettingDlg(VideoRecording &recording, const Language &language, Prompt &prompt,
                               QString messageTitle, QWidget *parent)
    : QDialog(parent), recording_(recording), language_(language), prompt_(prompt),
      messageTitle_(std::move(messageTitle))
{
    const auto text = [&](const char *key, const char *fallback) {
        return language.text(QString::fromLatin1(key), QString::fromLatin1(fallback));
    };
    setWindowTitle(text("RecorderSetting", "Recorder Setting"));

    sizes_ = new QComboBox(this);
    frameRate_ = new QSpinBox(this);
    frameRate_->setRange(1, 30);
    frameRate_->setValue(15);
    seconds_ = new QSpinBox(this);
    seconds_->setRange(1, 99999);
    seconds_->setValue(10);
    timeLimit_ = new QCheckBox(text("TimerLimit", "Time limit"), this);
    timeLimit_->setChecked(true);
    connect(timeLimit_, &QCheckBox::toggled, seconds_, &QWidget::setEnabled);
    compress_ = new QPushButton(text("Compress", "Compress"), this);
    ok_ = new QPushButton(text("Ok", "OK"), this);
    cancel_ = new QPushButton(text("Cancel", "Cancel"), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &CAVISettingDlg::reject);
    connect(compress_, &QPushButton::clicked, this, &CAVISettingDlg::chooseCompressor);

    auto *grid = new QGridLayout(this);
    grid->addWidget(sizes_, 0, 0, 1, 3);
    grid->addWidget(new QLabel(text("FrameRate", "Frame rate"), this), 1, 0);
    grid->addWidget(frameRate_, 1, 1);
    grid->addWidget(timeLimit_, 2, 0);
    grid->addWidget(seconds_, 2, 1);
    grid->addWidget(new QLabel(text("Second", "Second"), this), 2, 2);
    grid->addWidget(compress_, 3, 0);
    grid->addWidget(ok_, 3, 1);
    grid->addWidget(cancel_, 3, 2);

    // Nothing can be confirmed until the camera runs at a size to record.
    enableButtons(false);
    const QString wanted = VideoRecording::sizeEntry(QSize(640, 480));
    sizes_->addItems(recording_.sizeEntries());
    sizes_->setCurrentIndex(sizes_->findText(wanted));
    sizes_->setPlaceholderText(wanted);
    enableButtons(recording_.openSettings());
    connect(sizes_, &QComboBox::activated, this, &CAVISettingDlg::onSizePicked);
}

void CAVISettingDlg::enableButtons(bool on)
{
    ok_->setEnabled(on);
    cancel_->setEnabled(on);
    compress_->setEnabled(on);
}

void CAVISettingDlg::onSizePicked(int index)
{
    // A camera without 640 x 480 records at a size it has.
    enableButtons(recording_.pickSize(sizes_->itemText(index)));
}

void CAVISettingDlg::chooseCompressor()
{
    CompressorDlg chooser(language_, recording_.compression(), this);
    if (prompt_.runDialog(chooser) != QDialog::Accepted)
        return;
    AviFailure failure;
    if (!recording_.chooseCompression(chooser.choice(), &failure)) {
        QString message = language_.text(QStringLiteral("CompressProbeFail"),
                                         QStringLiteral("This compressor cannot record at the "
                                                        "chosen size."));
        if (!failure.detail.isEmpty())
            message += u'\n' + failure.detail;
        prompt_.message(messageTitle_, message, PromptIcon::Warning);
    }
}

RecorderChoice CAVISettingDlg::choice() const
{
    return {seconds_->value(), timeLimit_->isChecked(), frameRate_->value()};
}

void CAVISettingDlg::reject()
{
    recording_.cancelSettings();
    QDialog::reject();
}

} // namespace quelmar::station
