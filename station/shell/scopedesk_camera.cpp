// The main window's part in the camera: starting the capture and showing why it failed,
// device re-checks that leave a healthy stream alone, the video settings dialog with the
// choice of camera kept across restarts, and the snapshot item with the chip library of
// class-4 cameras. The behaviour itself lives in station/capture.
#include "shell/scopedesk_dlg.h"

#include "base/command_ids.h"
#include "base/prompt.h"
#include "base/station_paths.h"
#include "capture/camera_chip.h"
#include "capture/capture_sizes.h"
#include "capture/chip_snapshot_button.h"
#include "capture/preview_widget.h"
#include "capture/video_cap_wnd.h"
#include "capture/video_recording.h"
#include "capture/video_setting_dlg.h"
#include "shell/bitmap_check_button.h"
#include "shell/device_recheck.h"

#include <QTimer>

namespace quelmar::station {

namespace {

constexpr int kBusyRetryMs = 3000;

QString sizeText(QSize size)
{
    return QStringLiteral("%1*%2").arg(size.width()).arg(size.height());
}

} // namespace

void CScopeDeskDlg::wireCamera()
{
    chip_ = std::make_unique<CameraChip>(*services_.prompt, services_.chipLibraryPaths);
    ChipSnapshotButton::Host host;
    host.inPreviewState = [this] { return isInPreviewState(); };
    host.requestStill = [this] { captureState_.requestStill(false); };
    host.recheckDevices = [this] {
        ++recheckCount_;
        rebuildCapture();
    };
    chipButton_ = new ChipSnapshotButton(*chip_, std::move(host), this);

    // A camera that another program holds is tried again until it is free.
    busyRetry_ = new QTimer(this);
    busyRetry_->setInterval(kBusyRetryMs);
    connect(busyRetry_, &QTimer::timeout, this, [this] {
        if (capture_ && connected_ && capture_->fault() == CameraFault::Busy) {
            capture_->Restart();
            showRunFault();
        } else {
            busyRetry_->stop();
        }
    });
}

bool CScopeDeskDlg::startCapture()
{
    if (!services_.cameras)
        return false;
    if (!capture_) {
        capture_ = std::make_unique<CVideoCapWnd>(services_.cameras, captureState_,
                                                  StationPaths::capConfigFile());
        capture_->setFrameCallback(grabber_.get());
        // The end of a stream counts as a removal, whether or not a device notice follows;
        // the debouncer merges the two into one re-check.
        capture_->setStreamEndCallback([debouncer = debouncer_] {
            QMetaObject::invokeMethod(
                debouncer, [debouncer] { debouncer->notice(DeviceChange::Removed); },
                Qt::QueuedConnection);
        });
    }
    capture_->setPreferredIdentity(settings_.camera);
    const CVideoCapWnd::StartOutcome outcome = capture_->StartCapture();
    if (outcome == CVideoCapWnd::StartOutcome::NoCamera)
        capture_->ReleaseAll();
    else if (capture_->buttonAccess() == ButtonAccess::NotPermitted)
        services_.prompt->message(messageTitle_, QStringLiteral("Init 'PIN_CATEGORY_STILL' fail"),
                                  PromptIcon::Warning);
    sensorClass_ = captureState_.sensorClass;
    captureSize_ = QSize(captureState_.captureWidth, captureState_.captureHeight);
    return outcome != CVideoCapWnd::StartOutcome::NoCamera;
}

QString CScopeDeskDlg::captureFaultText() const
{
    const CameraFault fault = capture_ ? capture_->fault() : CameraFault::None;
    switch (fault) {
    case CameraFault::Busy:
        return language_.text(QStringLiteral("CameraBusy"),
                              QStringLiteral("The camera is used by another program. Close that "
                                             "program; the picture comes back by itself."));
    case CameraFault::NoBandwidth:
        if (const std::optional<QSize> smaller = capture_->workingSmallerSize())
            return language_
                .text(QStringLiteral("CameraNoBandwidth"),
                      QStringLiteral("Not enough USB bandwidth for %1. %2 works: choose it in "
                                     "Video Setting."))
                .arg(sizeText(captureSize_), sizeText(*smaller));
        return language_
            .text(QStringLiteral("CameraNoBandwidthAtAll"),
                  QStringLiteral("Not enough USB bandwidth for %1. Plug the camera into another "
                                 "USB port."))
            .arg(sizeText(captureSize_));
    case CameraFault::NoPermission:
        return language_.text(QStringLiteral("CameraNoPermission"),
                              QStringLiteral("No permission to open the camera. Log in at the "
                                             "computer or join the video group."));
    default:
        return {};
    }
}

void CScopeDeskDlg::showCaptureOutcome(bool ok)
{
    connected_ = ok;
    const std::initializer_list<int> captureControls = {cmd::Preview, cmd::TakePicture,
                                                        cmd::TakeVideo, cmd::TimeLapse};
    for (const int id : captureControls)
        button(id)->setEnabled(ok);
    if (ok) {
        button(cmd::Preview)->setCheckedFlag(true);
        preview_->setStatusText({});
        showRunFault();
    } else {
        button(cmd::Preview)->setCheckedFlag(false);
        button(cmd::TakeVideo)->setCheckedFlag(false);
        busyRetry_->stop();
        const QString why = captureFaultText();
        preview_->setStatusText(
            !why.isEmpty()
                ? why
                : language_.text(QStringLiteral("ConnectMsg"),
                                 QStringLiteral("Please connect Quelmar Digital Microscope")));
    }
    rebuildMenus();
    updateCaptureSizeLabel();
}

void CScopeDeskDlg::showRunFault()
{
    // Another part's text (a recording's report) stays until its own time is up.
    const QString why = captureFaultText();
    if (!why.isEmpty() || preview_->statusText() == faultText_)
        preview_->setStatusText(why);
    faultText_ = why;
    if (capture_ && capture_->fault() == CameraFault::Busy)
        busyRetry_->start();
    else
        busyRetry_->stop();
    updateCaptureSizeLabel();
}

void CScopeDeskDlg::rebuildCapture()
{
    recording_->closeRecording();
    captureState_.frameDrawn = false;
    if (capture_)
        capture_->ReleaseAll();
    showCaptureOutcome(startCapture());
    preview_->update();
}

void CScopeDeskDlg::recheckDevices()
{
    ++recheckCount_;
    // Another camera coming or going leaves a healthy stream alone; a late button is taken up.
    if (connected_ && capture_ && capture_->KeepsStreamAcrossRecheck())
        capture_->FindButton();
    else
        rebuildCapture();
    if (videoSettingDlg_)
        videoSettingDlg_->refill();
}

bool CScopeDeskDlg::setCaptureSize(QSize size)
{
    if (!capture_ || !connected_)
        return false;
    // A recording holds frames of one size only.
    recording_->closeRecording();
    const bool ok = capture_->SetCaptureSize(size.width(), size.height());
    captureSize_ = QSize(captureState_.captureWidth, captureState_.captureHeight);
    showRunFault();
    preview_->update();
    return ok;
}

void CScopeDeskDlg::chooseCamera(int record)
{
    if (!capture_ || record < 0 || record >= int(capture_->devices().size()))
        return;
    // Kept by the camera's identity, so the choice survives re-plugs and restarts; choosing
    // the camera that already streams makes it the choice too, and changes nothing else.
    const QString identity = capture_->devices()[std::size_t(record)].handle.identity;
    if (identity != settings_.camera) {
        settings_.camera = identity;
        settingsIo_.writeCamera(settings_);
        capture_->setPreferredIdentity(identity);
    }
    if (record == capture_->currentDeviceIndex())
        return;
    recording_->closeRecording();
    captureState_.frameDrawn = false;
    const bool running = capture_->SelectDevice(record);
    const CameraFault fault = capture_->fault();
    const bool open = running || fault == CameraFault::Busy || fault == CameraFault::NoBandwidth;
    if (!open)
        capture_->ReleaseAll();
    sensorClass_ = captureState_.sensorClass;
    captureSize_ = QSize(captureState_.captureWidth, captureState_.captureHeight);
    showCaptureOutcome(open);
    preview_->update();
}

void CScopeDeskDlg::openVideoSettings()
{
    CVideoSettingDlg::Context context;
    context.language = &language_;
    context.capture = capture_.get();
    context.state = &captureState_;
    context.setCaptureSize = [this](QSize size) { return setCaptureSize(size); };
    context.selectDevice = [this](int record) { chooseCamera(record); };
    CVideoSettingDlg dialog(std::move(context), this);
    videoSettingDlg_ = &dialog;
    services_.prompt->runDialog(dialog);
    videoSettingDlg_ = nullptr;
}

bool CScopeDeskDlg::snapshotMenuOn() const
{
    return sensorClass_ == 4 ? chipButton_->isOn() : settings_.stillSwitch == 1;
}

void CScopeDeskDlg::onSnapshotCommand()
{
    if (sensorClass_ == 4) {
        // Class-4 cameras give their button through the chip's registers.
        chipButton_->toggle();
    } else {
        settings_.stillSwitch = settings_.stillSwitch == 1 ? 0 : 1;
        if (capture_ && connected_)
            capture_->SetStillSwitch(int(settings_.stillSwitch));
        else
            captureState_.stillSwitch = int(settings_.stillSwitch);
        settingsIo_.writeStillSwitch(settings_);
    }
    rebuildMenus();
}

} // namespace quelmar::station
