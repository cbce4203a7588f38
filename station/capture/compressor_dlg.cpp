#include "capture/compressor_dlg.h"

#include "base/language.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

namespace quelmar::station {

QString CompressorDlg::title(const Language &language, const AviEncoderInfo &encoder)
{
    switch (encoder.codec) {
    case AviCodec::Uncompressed:
        return language.text(QStringLiteral("CompressUncompressed"),
                             QStringLiteral("Uncompressed (24-bit RGB)"));
    case AviCodec::Ffv1:
        return QStringLiteral("FFV1 (%1)")
            .arg(language.text(QStringLiteral("CompressLossless"), QStringLiteral("lossless")));
    default:
        return encoder.title;
    }
}

CompressorDlg::CompressorDlg(const Language &language, const AviCompression &current,
                             QWidget *parent)
    : QDialog(parent), encoders_(availableAviEncoders())
{
    setWindowTitle(language.text(QStringLiteral("CompressTilte"),
                                 QStringLiteral("Compress Format Selection")));
    list_ = new QListWidget(this);
    for (const AviEncoderInfo &encoder : encoders_) {
        list_->addItem(title(language, encoder));
        if (encoder.codec == current.codec)
            list_->setCurrentRow(list_->count() - 1);
    }
    if (list_->currentRow() < 0)
        list_->setCurrentRow(0);
    quality_ = new QSpinBox(this);
    quality_->setRange(1, 100);
    quality_->setValue(current.quality);
    connect(list_, &QListWidget::currentRowChanged, this, &CompressorDlg::syncQuality);
    syncQuality();

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(language.text(QStringLiteral("Ok"), QStringLiteral("OK")),
                       QDialogButtonBox::AcceptRole);
    buttons->addButton(language.text(QStringLiteral("Cancel"), QStringLiteral("Cancel")),
                       QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout(this);
    form->addRow(list_);
    form->addRow(language.text(QStringLiteral("CompressQuality"), QStringLiteral("Quality")),
                 quality_);
    form->addRow(buttons);
}

void CompressorDlg::syncQuality()
{
    const int row = list_->currentRow();
    quality_->setEnabled(row >= 0 && encoders_[std::size_t(row)].lossy);
}

AviCompression CompressorDlg::choice() const
{
    const int row = list_->currentRow();
    AviCompression result;
    result.codec = row >= 0 ? encoders_[std::size_t(row)].codec : AviCodec::Uncompressed;
    result.quality = quality_->value();
    return result;
}

} // namespace quelmar::station
