#include "shell/scopedesk_dlg.h"

#include "base/command_ids.h"
#include "base/prompt.h"
#include "base/station_paths.h"
#include "capture/camera_chip.h"
#include "capture/capture_sizes.h"
#include "capture/chip_snapshot_button.h"
#include "capture/preview_widget.h"
#include "capture/sample_grabber_cb.h"
#include "capture/still_capture.h"
#include "capture/video_cap_wnd.h"
#include "capture/video_recording.h"
#include "library/image_operations.h"
#include "library/media_library.h"
#include "library/small_picture_wnd.h"
#include "library/strip_tabs.h"
#include "measure/calibration.h"
#include "measure/live_measure.h"
#include "measure/pen_dlg.h"
#include "shell/about_dialog.h"
#include "shell/background_canvas.h"
#include "shell/bitmap_check_button.h"
#include "shell/device_recheck.h"
#include "shell/full_screen_mode.h"
#include "shell/hot_keys.h"
#include "shell/live_mouse_router.h"
#include "shell/main_menu.h"
#include "shell/qt_translations.h"
#include "shell/tip_delay_style.h"
#include "shell/tool_records.h"

#include <camera/device_monitor.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>

namespace quelmar::station {

namespace {

constexpr QSize kClientSize(843, 580);
constexpr QRect kPreviewRect(193, 34, 640, 480);

bool isLanguageCommand(int id)
{
    for (const LanguageMenuItem &item : languageMenuItems())
        if (item.command == id)
            return true;
    return false;
}

} // namespace

CScopeDeskDlg::CScopeDeskDlg(StationServices services, QWidget *parent)
    : QMainWindow(parent), services_(services), store_(StationPaths::settingsStoreFile()),
      settingsIo_(store_), language_(StationPaths::shareDir() + QStringLiteral("/lang"))
{
    setWindowTitle(QStringLiteral("Quelmar"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/scopedesk.svg")));
    setAttribute(Qt::WA_AlwaysShowToolTips);

    settingsIo_.createDefaults();
    settingsIo_.readAll(settings_);
    labelFont_ = readLogFontFile(StationPaths::measureFontFile());
    currentLanguage_ = {settings_.lanId, settings_.subLanId};
    const LanguagePair startLanguage = effectiveLanguage(currentLanguage_, systemLocaleName());
    language_.choose(startLanguage);
    qtTexts_ = std::make_unique<QtTranslations>();
    qtTexts_->choose(startLanguage);
    // The title and the escape hint change language only at the next start.
    messageTitle_ = language_.text(QStringLiteral("MsgTitle"), QStringLiteral("Quelmar"));
    escapeHint_ = language_.text(QStringLiteral("EscRestore"), 128, QStringLiteral("ESC Restore"));

    calibrationFile_ = std::make_unique<CalibrationFile>(StationPaths::calibrationFile());
    measureScale_ = std::make_unique<MeasureScale>(*calibrationFile_);
    buildLayout();
    buildToolButtons();
    setUpLiveMeasure();
    setUpPhotoWindow();

    captureState_.stillSwitch = int(settings_.stillSwitch);
    operations_ = std::make_unique<ImageOperations>();
    CSampleGrabberCB::Wiring wiring;
    wiring.state = &captureState_;
    wiring.preview = preview_;
    wiring.sound = services_.sound;
    wiring.recordingLock = &recordingLock_;
    wiring.hooks = &hooks_;
    hooks_.operate = [operations = operations_.get()](FrameView frame) {
        operations->apply(frame);
    };
    wiring.postStill = [this](bool fromButton) {
        QMetaObject::invokeMethod(
            this, [this, fromButton] { onStillMessage(fromButton); }, Qt::QueuedConnection);
    };
    grabber_ = std::make_unique<CSampleGrabberCB>(std::move(wiring));
    wireRecording();

    debouncer_ = new DeviceChangeDebouncer(this);
    connect(debouncer_, &DeviceChangeDebouncer::recheck, this, &CScopeDeskDlg::recheckDevices);
    if (services_.deviceMonitor)
        connect(services_.deviceMonitor, &DeviceMonitor::deviceChanged, debouncer_,
                &DeviceChangeDebouncer::notice);
    wireCamera();

    showCaptureOutcome(startCapture());
    magnification_->setText(QStringLiteral("60"));
    library_->LoadFolders(true);
    fullScreen_->placeNormal();
    hotKeys_ = std::make_unique<HotKeyFilter>(
        this,
        [this](int key) {
            return hotKeyAction(key, isRecording(), isFullScreenMode()) != HotKeyAction::None;
        },
        [this](int key) { onHotKey(key); });
}

CScopeDeskDlg::~CScopeDeskDlg()
{
    hotKeys_.reset();
    // No frame callback may run into a half-destroyed window.
    if (capture_)
        capture_->ReleaseAll();
}

void CScopeDeskDlg::buildLayout()
{
    canvas_ = new BackgroundCanvas(kClientSize, this);
    canvas_->setFixedSize(kClientSize);
    setCentralWidget(canvas_);
    menuBar()->setStyleSheet(QStringLiteral("QMenuBar { background: #EEEEEE; }"));

    preview_ = new PreviewWidget(canvas_);
    preview_->setGeometry(kPreviewRect);
    preview_->setEscapeHint(escapeHint_);

    MediaLibrary::Context media;
    media.prompt = services_.prompt;
    media.language = &language_;
    media.messageTitle = messageTitle_;
    media.player = services_.player;
    media.documentsDir = StationPaths::documentsDir();
    media.folderPathFile = StationPaths::folderPathFile();
    media.mail = services_.mail;
    media.printer = services_.printer;
    media.workDir = StationPaths::cacheDir();
    library_ = new MediaLibrary(media, canvas_);
    library_->folderBox()->setGeometry(12, 35, 162, 24);
    library_->tabs()->setGeometry(10, 68, 162, 36);
    library_->strip()->setGeometry(12, 110, 162, 430);

    zoomRate_ = new QLineEdit(canvas_);
    zoomRate_->setGeometry(713, 6, 34, 25);
    zoomRate_->setReadOnly(true);
    magnification_ = new QLineEdit(canvas_);
    magnification_->setGeometry(749, 6, 34, 25);
    magnification_->setMaxLength(5);
    // A magnification calibrated before brings its scale back; any other empties the box.
    connect(magnification_, &QLineEdit::textChanged, this, [this](const QString &text) {
        measureScale_->setMagnificationText(text);
        zoomRate_->setText(measureScale_->scaleText());
    });

    const QString labelStyle = QStringLiteral("QLabel { background: #D2E9FC; }");
    captureSizeLabel_ = new QLabel(canvas_);
    captureSizeLabel_->setGeometry(200, 517, 120, 25);
    captureSizeLabel_->setStyleSheet(labelStyle);
    clockLabel_ = new QLabel(canvas_);
    clockLabel_->setGeometry(737, 516, 100, 25);
    clockLabel_->setStyleSheet(labelStyle);

    // The window itself keeps a free size: window managers offer no maximise (the way into
    // full screen) for a window of fixed size. The fixed client area holds it to the layout.
    fullScreen_ = std::make_unique<FullScreenMode>(this, canvas_, preview_, kPreviewRect);
}

void CScopeDeskDlg::buildToolButtons()
{
    // Child of the window, made after the client area: it outlives every button.
    auto *tipStyle = new TipDelayStyle;
    tipStyle->setParent(this);
    int rowIndex = 0;
    int bottomIndex = 0;
    for (const ToolRecord &r : kToolRecords) {
        auto *b = new CBitmapCheckButton(
            r.command, QStringLiteral(":/icons/%1.svg").arg(QString::fromLatin1(r.icon)), canvas_);
        const bool capture = r.command == cmd::Preview || r.command == cmd::TakePicture ||
                             r.command == cmd::TakeVideo || r.command == cmd::TimeLapse ||
                             r.command == cmd::SaveAs || r.command == cmd::EMail;
        if (capture)
            b->setGeometry(340 + 62 * bottomIndex++, 520, 48, 48);
        else if (r.command == cmd::Calibration)
            b->setGeometry(788, 6, 26, 26);
        else
            b->setGeometry(193 + 30 * rowIndex++, 6, 26, 26);
        b->setStyle(tipStyle);
        connect(b, &QAbstractButton::clicked, this, [this, id = r.command] { onCommand(id); });
        buttons_[r.command] = b;
    }
    auto *menuButton =
        new CBitmapCheckButton(cmd::ToolMenu, QStringLiteral(":/icons/tool_menu.svg"), canvas_);
    menuButton->setGeometry(820, 6, 20, 26);
    connect(menuButton, &QAbstractButton::clicked, this, [this] { onCommand(cmd::ToolMenu); });
    buttons_[cmd::ToolMenu] = menuButton;
    // The zoom-rate and magnification boxes overlap the last measuring button; keep them on top.
    zoomRate_->raise();
    magnification_->raise();
}

CBitmapCheckButton *CScopeDeskDlg::button(int commandId) const
{
    const auto it = buttons_.find(commandId);
    return it == buttons_.end() ? nullptr : it->second;
}

bool CScopeDeskDlg::isPreviewDown() const
{
    return button(cmd::Preview)->isCheckedFlag();
}

bool CScopeDeskDlg::isRecordDown() const
{
    return button(cmd::TakeVideo)->isCheckedFlag();
}

void CScopeDeskDlg::rebuildMenus()
{
    buildMainMenu(menuBar(), language_, {sensorClass_, snapshotMenuOn(), currentLanguage_},
                  [this](int id) { onCommand(id); });
    if (liveToolMenu_)
        liveToolMenu_->deleteLater();
    liveToolMenu_ = buildLiveToolMenu(this, language_, [this](int id) { onCommand(id); });
    refreshToolTips();
}

void CScopeDeskDlg::refreshToolTips()
{
    for (const ToolRecord &r : kToolRecords) {
        const QString tip = isFullScreenMode() ? QString()
                                               : language_.text(QString::fromLatin1(r.tipKey), 128,
                                                                QString::fromLatin1(r.tipDefault));
        buttons_[r.command]->setToolTip(tip);
    }
}

void CScopeDeskDlg::updateCaptureSizeLabel()
{
    captureSizeLabel_->setText(
        preview_->statusText().isEmpty() && captureSize_.isValid()
            ? QStringLiteral("%1*%2").arg(captureSize_.width()).arg(captureSize_.height())
            : QString());
}

void CScopeDeskDlg::warn(const QString &key, const QString &fallback)
{
    services_.prompt->message(messageTitle_, language_.text(key, fallback), PromptIcon::Warning);
}

void CScopeDeskDlg::onCommand(int id)
{
    if (isLanguageCommand(id)) {
        changeLanguage(id);
        return;
    }
    if (library_->onCommand(id) || routeLiveCommand(id))
        return;
    switch (id) {
    case cmd::Exit:
        close();
        break;
    case cmd::Preview:
        togglePreview();
        break;
    case cmd::TakePicture:
        requestStill();
        break;
    case cmd::TakeVideo:
        recording_->onRecordCommand();
        break;
    case cmd::TimeLapse:
        if (!isInPreviewState())
            warn(QStringLiteral("BrowseToCamera"),
                 QStringLiteral("Please select a picture or video"));
        else
            runTimeLapse();
        break;
    case cmd::HighResolution:
    case cmd::LowResolution: {
        const SensorClassSizes s = sensorClassSizes(sensorClass_);
        setCaptureSize(id == cmd::HighResolution ? s.high
                       : sensorClass_ == 4       ? QSize(2592, 1944)
                                                 : s.low);
        break;
    }
    case cmd::SnapshotSwitch:
        onSnapshotCommand();
        break;
    case cmd::VideoSetting:
        openVideoSettings();
        break;
    case cmd::HorizontalMirror:
    case cmd::VerticalMirror:
    case cmd::Negative:
    case cmd::BinarySegmentation:
    case cmd::RgbDisplay:
    case cmd::RedDisplay:
    case cmd::GreenDisplay:
    case cmd::BlueDisplay:
        onImageOperation(id);
        break;
    case cmd::MeasurementSetting: {
        CPenDlg pen({&settings_, &settingsIo_, &labelFont_, StationPaths::measureFontFile(),
                     services_.prompt, &language_},
                    this);
        services_.prompt->runDialog(pen);
        break;
    }
    case cmd::About:
    case cmd::SystemAbout: {
        CAboutDlg about(language_, this);
        services_.prompt->runDialog(about);
        break;
    }
    case cmd::ToolMenu:
        liveToolMenu_->popup(
            button(cmd::ToolMenu)->mapToGlobal(QPoint(0, button(cmd::ToolMenu)->height())));
        break;
    default:
        break;
    }
}

void CScopeDeskDlg::changeLanguage(int command)
{
    for (const LanguageMenuItem &item : languageMenuItems()) {
        if (item.command != command)
            continue;
        currentLanguage_ = item.language;
        settings_.lanId = item.language.lanId;
        settings_.subLanId = item.language.subLanId;
        language_.choose(currentLanguage_);
        qtTexts_->choose(currentLanguage_);
        rebuildMenus();
        if (!connected_)
            preview_->setStatusText(
                language_.text(QStringLiteral("ConnectMsg"),
                               QStringLiteral("Please connect Quelmar Digital Microscope")));
        settingsIo_.writeLanguage(settings_);
        return;
    }
}

void CScopeDeskDlg::togglePreview()
{
    CBitmapCheckButton *preview = button(cmd::Preview);
    if (!connected_ || !capture_)
        return;
    if (preview->isCheckedFlag()) {
        // Browsing: the preview keeps the last frame.
        preview->setCheckedFlag(false);
        capture_->Stop();
    } else {
        recording_->closeRecording();
        preview->setCheckedFlag(true);
        capture_->Run();
        showRunFault();
    }
    refreshToolTips();
}

void CScopeDeskDlg::requestStill()
{
    if (!isInPreviewState()) {
        warn(QStringLiteral("BrowseToCamera"),
             QStringLiteral("Please return to the preview state"));
        return;
    }
    captureState_.requestStill(false);
}

QString CScopeDeskDlg::magnificationText() const
{
    return magnification_->text();
}

void CScopeDeskDlg::onStillMessage(bool /*fromButton*/)
{
    Frame frame;
    if (captureState_.snapshot.copyTo(frame)) {
        library_->ensureFolder();
        StillRequest request;
        request.pictureDir = library_->current().pictureDir;
        request.fullSizeDir = library_->current().fullSizeDir;
        request.magnification = magnificationText();
        request.bmp = settings_.stillsAsBmp();
        request.drawOverlays = [this](QImage &picture, double overlayScale, QPointF zoom) {
            live_->drawStill(picture, overlayScale, zoom);
        };
        request.onDirectoryEntry = [this] {
            services_.prompt->message(QString(), QStringLiteral("Picture Error"), PromptIcon::None);
        };
        const StillResult result = saveStill(frame, request);
        if (result.written) {
            library_->AddStill(result.thumbnailPath);
            Q_EMIT stillSaved(result.thumbnailPath);
        } else
            reportStillFailure(*services_.prompt, language_, messageTitle_, result);
    }
    // Only a recording restarts the stream: a still from the camera's button needs no restart
    // here, and one would freeze the picture and run the exposure again on every press.
    if (captureState_.recording && capture_) {
        capture_->Restart();
        showRunFault();
    }
}

void CScopeDeskDlg::onImageOperation(int id)
{
    operations_->press(id);
    releaseToolButtons();
    syncOperationButtons();
}

void CScopeDeskDlg::releaseToolButtons()
{
    live_->showButtonsReleased();
    syncLiveButtons();
}

void CScopeDeskDlg::syncOperationButtons()
{
    for (const int id :
         {cmd::HorizontalMirror, cmd::VerticalMirror, cmd::Negative, cmd::BinarySegmentation,
          cmd::RgbDisplay, cmd::RedDisplay, cmd::GreenDisplay, cmd::BlueDisplay})
        button(id)->setCheckedFlag(operations_->isPressed(id));
}

void CScopeDeskDlg::onHotKey(int key)
{
    switch (hotKeyAction(key, isRecording(), isFullScreenMode())) {
    case HotKeyAction::TakePicture:
        onCommand(cmd::TakePicture);
        break;
    case HotKeyAction::ToggleRecording:
        onCommand(cmd::TakeVideo);
        break;
    case HotKeyAction::LowSize:
        setCaptureSize(sensorClassSizes(sensorClass_).low);
        break;
    case HotKeyAction::HighSize:
        setCaptureSize(sensorClassSizes(sensorClass_).high);
        break;
    case HotKeyAction::RestoreFullScreen:
        leaveFullScreen();
        break;
    case HotKeyAction::Swallow:
    case HotKeyAction::None:
        break;
    }
}

bool CScopeDeskDlg::isFullScreenMode() const
{
    return fullScreen_->isActive();
}

void CScopeDeskDlg::enterFullScreen()
{
    if (isFullScreenMode())
        return;
    fullScreen_->enter();
    preview_->setFullScreenHint(true);
    const QSize screen = preview_->size();
    live_->setView(screen, {screen.width() / 640.0, screen.height() / 480.0}, true);
    refreshToolTips();
}

void CScopeDeskDlg::leaveFullScreen()
{
    if (!isFullScreenMode())
        return;
    fullScreen_->leave();
    preview_->setFullScreenHint(false);
    live_->setView(kPreviewRect.size(), {1.0, 1.0}, false);
    refreshToolTips();
}

void CScopeDeskDlg::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // The window's maximise control is the way into full screen; the window manager's
    // restore the way out, as Esc.
    const Qt::WindowStates state = windowState();
    if ((state & Qt::WindowMaximized) && !isFullScreenMode())
        enterFullScreen();
    else if (isFullScreenMode() && !(state & (Qt::WindowFullScreen | Qt::WindowMinimized)))
        leaveFullScreen();
}

void CScopeDeskDlg::releaseAll()
{
    if (released_)
        return;
    released_ = true;
    chipButton_->turnOff();
    recording_->closeRecording();
    if (capture_)
        capture_->ReleaseAll();
    live_->clear();
    connected_ = false;
}

void CScopeDeskDlg::closeEvent(QCloseEvent *event)
{
    if (!released_ &&
        !services_.prompt->askYesNo(
            messageTitle_,
            language_.text(QStringLiteral("SureClose"), QStringLiteral("Are you sure to close?")),
            PromptIcon::Question)) {
        event->ignore();
        return;
    }
    releaseAll();
    event->accept();
}

} // namespace quelmar::station
