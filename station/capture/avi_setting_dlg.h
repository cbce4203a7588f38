// CAVISettingDlg: the recorder settings before a recording starts: the capture size, the
// frame rate, the time limit and the compressor. What each choice does lives in
// VideoRecording; this only shows it.
#pragma once

#include "capture/video_recording.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace quelmar::station {

class Language;
class Prompt;

class CAVISettingDlg : public QDialog {
    Q_OBJECT
public:
    CAVISettingDlg(VideoRecording &recording, const Language &language, Prompt &prompt,
                   QString messageTitle, QWidget *parent = nullptr);

    RecorderChoice choice() const;

    QComboBox *sizeList() const { return sizes_; }
    QSpinBox *frameRate() const { return frameRate_; }
    QSpinBox *seconds() const { return seconds_; }
    QCheckBox *timeLimit() const { return timeLimit_; }
    QPushButton *okButton() const { return ok_; }
    QPushButton *cancelButton() const { return cancel_; }
    QPushButton *compressButton() const { return compress_; }

    // Cancel, the close box and Esc: the capture size goes back to the class's high size.
    void reject() override;

private:
    void enableButtons(bool on);
    void onSizePicked(int index);
    void chooseCompressor();

    VideoRecording &recording_;
    const Language &language_;
    Prompt &prompt_;
    QString messageTitle_;
    QComboBox *sizes_ = nullptr;
    QSpinBox *frameRate_ = nullptr;
    QSpinBox *seconds_ = nullptr;
    QCheckBox *timeLimit_ = nullptr;
    QPushButton *ok_ = nullptr;
    QPushButton *cancel_ = nullptr;
    QPushButton *compress_ = nullptr;
};

} // namespace quelmar::station
