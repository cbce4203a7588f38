// The compressor choice of the recorder settings: the encoders of the installed FFmpeg that
// fit AVI, with a quality for the lossy ones. Linux has no system dialog for this.
#pragma once

#include <video/avi_writer.h>

#include <QDialog>

#include <vector>

class QListWidget;
class QSpinBox;

namespace quelmar::station {

class Language;

class CompressorDlg : public QDialog {
    Q_OBJECT
public:
    CompressorDlg(const Language &language, const AviCompression &current,
                  QWidget *parent = nullptr);

    AviCompression choice() const;
    QListWidget *list() const { return list_; }
    QSpinBox *quality() const { return quality_; }
    // The entry's text for an encoder, in the station's language.
    static QString title(const Language &language, const AviEncoderInfo &encoder);

private:
    void syncQuality();

    std::vector<AviEncoderInfo> encoders_;
    QListWidget *list_ = nullptr;
    QSpinBox *quality_ = nullptr;
};

} // namespace quelmar::station
