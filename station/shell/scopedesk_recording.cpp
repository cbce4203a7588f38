// The main window's part in recording and time-lapse: it lends the capture graph, the
// capture size and the folder to VideoRecording, shows its buttons, clock and reports, and
// opens the two dialogs. The behaviour itself lives in station/capture.
#include "shell/scopedesk_dlg.h"

#include "base/command_ids.h"
#include "base/prompt.h"
#include "capture/avi_setting_dlg.h"
#include "capture/preview_widget.h"
#include "capture/timer_dlg.h"
#include "capture/video_cap_wnd.h"
#include "capture/video_recording.h"
#include "library/media_library.h"
#include "shell/bitmap_check_button.h"

#include <QLabel>
#include <QTimer>

namespace quelmar::station {

namespace {
constexpr int kStatusShownMs = 8000;
} // namespace

bool CScopeDeskDlg::isRecording() const
{
    return recording_ && recording_->isRecording();
}

void CScopeDeskDlg::wireRecording()
{
    const VideoRecording::Context context{services_.prompt, services_.sound, &language_,
                                          &captureState_, &recordingLock_};
    VideoRecording::Host host;
    host.stopGraph = [this] {
        if (capture_)
            capture_->Stop();
    };
    host.runGraph = [this] {
        if (capture_)
            capture_->Run();
    };
    host.setCaptureSize = [this](QSize size) { return setCaptureSize(size); };
    host.captureSizes = [this] {
        return capture_ ? capture_->captureSizes() : std::vector<CaptureSize>{};
    };
    host.videoDir = [this] {
        library_->ensureFolder();
        return library_->current().videoDir;
    };
    host.askSettings = [this]() -> std::optional<RecorderChoice> {
        CAVISettingDlg dialog(*recording_, language_, *services_.prompt, messageTitle_, this);
        if (services_.prompt->runDialog(dialog) != QDialog::Accepted)
            return std::nullopt;
        return dialog.choice();
    };
    host.isFullScreen = [this] { return isFullScreenMode(); };
    recording_ = std::make_unique<VideoRecording>(context, std::move(host));

    hooks_.record = [recording = recording_.get()](FrameView frame, double sampleTime) {
        recording->writeFrame(frame, sampleTime);
    };
    connect(recording_.get(), &VideoRecording::recordingChanged, this, [this](bool on) {
        button(cmd::TakeVideo)->setCheckedFlag(on);
        button(cmd::Preview)->setCheckedFlag(!on);
        refreshToolTips();
    });
    connect(recording_.get(), &VideoRecording::clockTextChanged, clockLabel_, &QLabel::setText);
    connect(recording_.get(), &VideoRecording::recordingAdded, library_,
            &MediaLibrary::AddRecording);
    connect(recording_.get(), &VideoRecording::statusMessage, this,
            &CScopeDeskDlg::showStatusBriefly);
}

void CScopeDeskDlg::runTimeLapse()
{
    CTimerDlg::Context context;
    context.language = &language_;
    context.prompt = services_.prompt;
    context.messageTitle = messageTitle_;
    context.requestStill = [state = &captureState_] { state->requestStill(false); };
    context.frameWidth = captureState_.captureWidth;
    context.frameHeight = captureState_.captureHeight;
    context.sensorClass = captureState_.sensorClass;
    CTimerDlg dialog(std::move(context), this);
    services_.prompt->runDialog(dialog);
}

void CScopeDeskDlg::showStatusBriefly(const QString &text)
{
    preview_->setStatusText(text);
    updateCaptureSizeLabel();
    QTimer::singleShot(kStatusShownMs, this, [this, text] {
        // The not-connected text that may have come meanwhile stays.
        if (preview_->statusText() == text) {
            preview_->setStatusText({});
            updateCaptureSizeLabel();
        }
    });
}

} // namespace quelmar::station
