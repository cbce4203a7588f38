#include "orbilux_window.h"

#include "calibration_sheet.h"
#include "j_video_view.h"
#include "measure_actions.h"
#include "measure_controls.h"
#include "view_controller.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

namespace quelmar::viewer {

namespace {

// The "led" and "dled" pictures of the snapshot-button switch.
QIcon ledIcon(bool on)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(on ? QColor(40, 200, 60) : QColor(120, 120, 120));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(4, 4, 16, 16));
    return QIcon(pixmap);
}

} // namespace

OrbiluxWindow::OrbiluxWindow(const ViewerServices &services, QWidget *parent)
    : QMainWindow(parent), controller_(std::make_unique<ViewController>(services)),
      prompt_(services.prompt)
{
    setWindowTitle(QStringLiteral("Orbilux"));
    setFixedSize(kWidth, kHeight);
    buildToolbar();
    buildContent();
    showSharing(false, {});

    ViewController *c = controller_.get();
    connect(c, &ViewController::viewGeometryChanged, view_,
            [this](const QRect &geometry) { view_->setGeometry(geometry); });
    connect(c, &ViewController::pictureShown, view_,
            [this](const QImage &image, double width, double height) {
                view_->setImage(image);
                view_->setWiFiNeedsReDraw(width, height);
            });
    connect(c, &ViewController::snapshotLedChanged, this, &OrbiluxWindow::showLed);
    connect(c, &ViewController::stillRequested, this, &OrbiluxWindow::saveStill);
    connect(c, &ViewController::sharingChanged, this, &OrbiluxWindow::showSharing);

    measureActions_ = new MeasureActions(
        *view_, *prompt_, [c] { return c->isavailable(); }, this);
    measureControls_ =
        new MeasureControls(*measureActions_, *findChild<QToolBar *>(), *centralWidget(), this);
    connect(measureActions_, &MeasureActions::statusTextChanged, txt_recording_,
            &QLineEdit::setText);
    connect(measureActions_, &MeasureActions::calibrationSheetRequested, this,
            &OrbiluxWindow::openCalibrationSheet);
    connect(view_, &JVideoView::calibrationNotStored, txt_recording_, [this](const QString &why) {
        txt_recording_->setText(QStringLiteral("The calibration was not stored: %1").arg(why));
    });

    controller_->viewDidLoad();
}

OrbiluxWindow::~OrbiluxWindow() = default;

void OrbiluxWindow::buildToolbar()
{
    auto *toolbar = addToolBar(QStringLiteral("Tools"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);

    // The first segment control: momentary segments, so none stays pressed.
    auto *segments = new QWidget(toolbar);
    auto *row = new QHBoxLayout(segments);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    usbSegment_ = new QPushButton(QStringLiteral("USB"), segments);
    wifiSegment_ = new QPushButton(QStringLiteral("Wi-Fi"), segments);
    usbSegment_->setObjectName(QStringLiteral("cameraSegmentUsb"));
    wifiSegment_->setObjectName(QStringLiteral("cameraSegmentWifi"));
    row->addWidget(usbSegment_);
    row->addWidget(wifiSegment_);
    toolbar->addWidget(segments);
    connect(usbSegment_, &QPushButton::clicked, controller_.get(),
            &ViewController::ConnectUSBCamera);
    connect(wifiSegment_, &QPushButton::clicked, controller_.get(),
            &ViewController::ConnectWiFiCamera);

    toolbar->addSeparator();
    ledButton_ = new QToolButton(toolbar);
    ledButton_->setObjectName(QStringLiteral("ledButton"));
    toolbar->addWidget(ledButton_);
    connect(ledButton_, &QToolButton::clicked, controller_.get(), &ViewController::Snapshot);
    showLed(false);

    toolbar->addSeparator();
    shareButton_ = new QToolButton(toolbar);
    shareButton_->setObjectName(QStringLiteral("shareButton"));
    shareButton_->setText(QStringLiteral("FTP"));
    shareButton_->setCheckable(true);
    toolbar->addWidget(shareButton_);
    connect(shareButton_, &QToolButton::clicked, this, [this] {
        controller_->ShareWorkspace();
        // A cancelled or failed start leaves the button off, whatever the click made it.
        shareButton_->setChecked(controller_->isSharing());
    });
}

void OrbiluxWindow::buildContent()
{
    auto *content = new QWidget(this);
    setCentralWidget(content);

    tabs_ = new QTabWidget(content);
    tabs_->setObjectName(QStringLiteral("SettingTabView"));
    tabs_->setGeometry(4, 16, ViewController::kViewX - 8, 640);
    tabs_->addTab(new QWidget(tabs_), QStringLiteral("Photos"));
    tabs_->addTab(new QWidget(tabs_), QStringLiteral("Videos"));
    auto *settings = new QWidget(tabs_);
    auto *form = new QFormLayout(settings);
    resolutionPopUp_ = new QComboBox(settings);
    resolutionPopUp_->setObjectName(QStringLiteral("wifiResolutionPopUp"));
    ratePopUp_ = new QComboBox(settings);
    ratePopUp_->setObjectName(QStringLiteral("wifiFpsPopUp"));
    form->addRow(QStringLiteral("Resolution"), resolutionPopUp_);
    form->addRow(QStringLiteral("Frame rate"), ratePopUp_);
    tabs_->addTab(settings, QStringLiteral("Settings"));
    tabs_->setCurrentIndex(kVideosTab);
    connect(tabs_, &QTabWidget::currentChanged, this, &OrbiluxWindow::tabChanged);
    connect(resolutionPopUp_, &QComboBox::activated, this, [this](int index) {
        controller_->handleVideoFormatPopBtn(resolutionPopUp_->itemText(index));
    });
    connect(ratePopUp_, &QComboBox::activated, this,
            [this](int index) { controller_->handleFpsPopBtn(ratePopUp_->itemText(index)); });

    view_ = new JVideoView(content);
    view_->setObjectName(QStringLiteral("JVideoView"));
    view_->setGeometry(controller_->viewGeometry());

    txt_recording_ = new QLineEdit(content);
    txt_recording_->setObjectName(QStringLiteral("txt_recording"));
    txt_recording_->setReadOnly(true);
    txt_recording_->setFrame(false);
    txt_recording_->setGeometry(ViewController::kViewX, 660, ViewController::kViewWidth, 24);
}

void OrbiluxWindow::showLed(bool on)
{
    ledButton_->setIcon(ledIcon(on));
    ledButton_->setProperty("image", on ? QStringLiteral("led") : QStringLiteral("dled"));
    ledButton_->setToolTip(on ? QStringLiteral("Snapshot enable")
                              : QStringLiteral("Snapshot disable"));
}

void OrbiluxWindow::showSharing(bool on, const QString &url)
{
    shareButton_->setChecked(on);
    shareButton_->setToolTip(on ? QStringLiteral("Stop sharing the workspace")
                                : QStringLiteral("Share the workspace over FTP"));
    txt_recording_->setText(on ? QStringLiteral("Workspace shared at %1").arg(url) : QString());
}

void OrbiluxWindow::tabChanged(int index)
{
    // Tabs change only while a picture stream runs.
    if (!controller_->isavailable()) {
        const QSignalBlocker blocker(tabs_);
        tabs_->setCurrentIndex(bPictureShow_);
        return;
    }
    bPictureShow_ = index;
    if (index == kSettingsTab && controller_->camera_stype() == kWifiCamera)
        fillWifiSettings();
}

void OrbiluxWindow::fillWifiSettings()
{
    const WifiSettingsTab tab = controller_->wifiSettingsTab();
    const QSignalBlocker resolutionBlocker(resolutionPopUp_);
    const QSignalBlocker rateBlocker(ratePopUp_);
    resolutionPopUp_->clear();
    resolutionPopUp_->addItems(tab.resolutions);
    resolutionPopUp_->setCurrentIndex(tab.resolutionSelected);
    ratePopUp_->clear();
    ratePopUp_->addItems(tab.rates);
    ratePopUp_->setCurrentIndex(tab.rateSelected);
}

void OrbiluxWindow::saveStill(const QString &path)
{
    QString error;
    if (!view_->saveimg(path, controller_->newVideoWidth(), controller_->newVideoHeight(), &error))
        statusText().setText(QStringLiteral("The still was not saved: %1").arg(error));
}

void OrbiluxWindow::openCalibrationSheet()
{
    auto *sheet = new CalibrationSheet(*prompt_, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(sheet, &CalibrationSheet::PassValue, measureActions_, &MeasureActions::PassValue);
    sheet->open();
}

} // namespace quelmar::viewer
