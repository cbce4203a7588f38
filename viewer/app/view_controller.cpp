// The controller's start-up, toolbar commands, stills, recording, albums, reports from the
// sheets and the view, and the workspace share. The device link is in view_controller_wifi.cpp.
#include "view_controller.h"

#include "app/ftp_share.h"
#include "ftp/ftp_server.h"
#include "snapshot_watcher.h"
#include "viewer_paths.h"
#include "viewer_prompt.h"
#include "viewer_sound.h"

#include "device/device_probe.h"
#include "device/usb_link.h"
#include "device/wifi_stream.h"

#include <QDir>

namespace quelmar::viewer {

const QString ViewController::kNewAlbumTitle = QStringLiteral("New Album...");

ViewController::ViewController(ViewerServices services, QObject *parent)
    : QObject(parent), services_(std::move(services)), http_(services_.device),
      workspace_(ViewerPaths::rootDirectory()), recorder_(services_.sound),
      measure_(services_.prompt, [this] { return isavailable(); }),
      gallery_(services_.prompt, services_.opener),
      viewGeometry_(videoViewGeometry(m_video_width_, m_video_height_)),
      baseDir_(ViewerPaths::rootDirectory()), lastSharePort_(kDefaultFtpPort)
{
    reconnectTimer_.setSingleShot(true);
    reconnectTimer_.setInterval(kReconnectDelayMs);
    connect(&reconnectTimer_, &QTimer::timeout, this, &ViewController::handleTimer);
    firstPictureTimer_.setSingleShot(true);
    firstPictureTimer_.setInterval(kFirstPictureTimeoutMs);
    connect(&firstPictureTimer_, &QTimer::timeout, this, &ViewController::firstPictureOverdue);

    connect(&recorder_, &VideoRecorder::statusTextChanged, this, &ViewController::setStatusText);
    connect(&recorder_, &VideoRecorder::posterSaved, this,
            [this](const QString &poster) { gallery_.addCollectionItem(1, poster); });
    connect(&recorder_, &VideoRecorder::recordingFinished, this,
            [this](const QString &path, bool ok, const QString &error) {
                if (!ok)
                    setStatusText(QStringLiteral("The recording %1 is incomplete: %2")
                                      .arg(QDir::toNativeSeparators(path), error));
            });
    connect(&measure_, &MeasureControls::statusTextRequested, this, &ViewController::setStatusText);
    gallery_.setBeforeDelete([this](const QStringList &paths) { finishRecordingAmong(paths); });

    if (services_.cameras) {
        usb_ = std::make_unique<UsbLink>(services_.cameras);
        connect(usb_.get(), &UsbLink::pictureArrived, this, &ViewController::handleUsbPicture);
        connect(usb_.get(), &UsbLink::ended, this, &ViewController::usbStreamEnded);
    }
}

ViewController::~ViewController()
{
    // Everything the recorder reports still finds its receivers alive.
    recorder_.finishNow();
    disconnect(&recorder_, nullptr, this, nullptr);
    usb_.reset(); // its capture thread ends before the members it reports to
    delete stream_.data();
    if (threadRead_)
        threadRead_->cancel();
    for (const auto &watcher : cancelledWatchers_)
        watcher->cancel();
}

void ViewController::viewDidLoad()
{
    // Failures are not reported here: later saves into a missing directory fail silently.
    workspace_.prepare();
    RootDirctory_ = workspace_.root();
    albumTitle_ = QLatin1StringView(Workspace::kDefaultAlbum);
    PictureRootDirctory_ = workspace_.imageDirectory(albumTitle_);
    VideoRootDirctory_ = workspace_.videoDirectory(albumTitle_);

    plistCalibrationFile_ = workspace_.calibrationFile();
    measure_.loadCalibrations(plistCalibrationFile_);
    Q_EMIT albumsChanged(albumEntries(), albumTitle_);

    Q_EMIT viewResetRequested();
    gallery_.setDirectories(PictureRootDirctory_, VideoRootDirctory_);
    measure_.setCalibrationDefaults();

    // The window shows before the device answers (or fails to).
    QTimer::singleShot(0, this, &ViewController::initWiFiDevice);
}

void ViewController::windowWillClose()
{
    recorder_.finishNow();
    if (usb_)
        usb_->close();
}

void ViewController::setStatusText(const QString &text)
{
    statusText_ = text;
    Q_EMIT statusTextChanged(text);
}

void ViewController::SaveImage(int flag)
{
    if (!isavailable())
        return;
    if (services_.sound)
        services_.sound->play(ViewerSoundId::Camera);
    // A second still within the same second gets a name of its own.
    const QString path =
        Workspace::freeName(PictureRootDirctory_, Workspace::timeStamp(), QStringLiteral(".jpg"));
    Q_EMIT stillRequested(path, flag);
}

void ViewController::TakeRecord()
{
    if (!isavailable())
        return;
    if (recorder_.recordcapture() == VideoRecorder::kIdle &&
        (m_new_video_width_ != VideoRecorder::kWidth ||
         m_new_video_height_ != VideoRecorder::kHeight)) {
        services_.prompt->alert(QStringLiteral("Please set resolution to 640x480"));
        return;
    }
    QString error;
    if (recorder_.TakeRecord(VideoRootDirctory_, &error) == VideoRecorder::Press::Failed)
        services_.prompt->alert(QStringLiteral("The video cannot be recorded: %1").arg(error));
}

void ViewController::finishRecordingAmong(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (recorder_.isWriting(path)) {
            recorder_.finishNow();
            return;
        }
    }
}

void ViewController::addNewCalibration()
{
    if (!isavailable())
        return;
    Q_EMIT viewResetRequested();
    Q_EMIT calibrationSheetRequested();
}

void ViewController::addNewFolder(int index, const QString &title)
{
    if (index == kNewAlbumEntry) {
        Q_EMIT newFolderSheetRequested();
        return;
    }
    const QString album =
        index == kDefaultAlbumEntry ? QLatin1StringView(Workspace::kDefaultAlbum) : title;
    // Only albums the workspace has: a stale entry must not lead outside it.
    if (album != QLatin1StringView(Workspace::kDefaultAlbum) && !albumEntries().contains(album))
        return;
    selectAlbum(album);
}

void ViewController::selectAlbum(const QString &album)
{
    albumTitle_ = album;
    PictureRootDirctory_ = workspace_.imageDirectory(album);
    VideoRootDirctory_ = workspace_.videoDirectory(album);
    gallery_.setDirectories(PictureRootDirctory_, VideoRootDirctory_);
    Q_EMIT albumsChanged(albumEntries(), albumTitle_);
}

void ViewController::PassValue(const UserEntity &entity, int type)
{
    switch (type) {
    case kReportNewFolder:
        // Chosen as if from the pop-up, once the sheet has made its directories.
        if (albumEntries().contains(entity.Param1))
            selectAlbum(entity.Param1);
        break;
    case kReportCalibrationSheet:
        measure_.beginCalibrationRun(entity);
        break;
    case kReportStillSaved:
        gallery_.addCollectionItem(0, entity.Param1);
        break;
    case kReportCalibrationCompleted:
        measure_.completeCalibrationRun(entity);
        break;
    case kReportClearStatus:
        setStatusText({});
        break;
    default:
        break;
    }
}

bool ViewController::selectTab(int index)
{
    if (!isavailable())
        return false;
    gallery_.setTab(index);
    return true;
}

void ViewController::ShareWorkspace()
{
    if (isSharing()) {
        stopSharing();
        return;
    }
    const std::optional<int> port = services_.prompt->askNumber(
        QStringLiteral("Share the workspace over FTP on port:"), lastSharePort_, 1, 65535);
    if (!port)
        return;
    if (*port < 0 || *port > 65535) {
        services_.prompt->alert(QStringLiteral("%1 is not a port number.").arg(*port));
        return;
    }
    startSharing(quint16(*port));
}

bool ViewController::startSharing(quint16 port)
{
    stopSharing();
    // The workspace may not exist yet when start-up has not run.
    QDir().mkpath(baseDir_);
    auto server = std::make_unique<FtpServer>();
    // Serving the workspace is the purpose; clients never see the machine's own paths.
    server->setChangeRoot(true);
    if (!server->start(baseDir_, port, services_.ftpAddress)) {
        services_.prompt->alert(QStringLiteral("The workspace cannot be shared on port %1: %2")
                                    .arg(port)
                                    .arg(server->errorString()));
        return false;
    }
    theServer_ = std::move(server);
    if (port != 0)
        lastSharePort_ = port;
    Q_EMIT sharingChanged(true, shareUrl());
    return true;
}

void ViewController::stopSharing()
{
    if (!theServer_)
        return;
    // Closes the listening socket and every session.
    theServer_.reset();
    Q_EMIT sharingChanged(false, {});
}

bool ViewController::isSharing() const
{
    return theServer_ && theServer_->isListening();
}

QString ViewController::shareUrl() const
{
    return isSharing() ? ftpShareUrl(services_.ftpAddress, theServer_->port()) : QString();
}

} // namespace quelmar::viewer
