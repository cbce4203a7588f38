#include "orbilux_window.h"

#include "gallery_view.h"
#include "gridlines_panel.h"
#include "j_video_view.h"
#include "new_calibration_controller.h"
#include "new_folder_controller.h"
#include "orbilux_toolbar.h"
#include "settings_tab.h"
#include "view_controller.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>

namespace quelmar::viewer {

OrbiluxWindow::OrbiluxWindow(const ViewerServices &services, QWidget *parent)
    : QMainWindow(parent), controller_(std::make_unique<ViewController>(services)),
      prompt_(services.prompt)
{
    setWindowTitle(QStringLiteral("Orbilux"));
    setFixedSize(kWidth, kHeight);
    toolbar_ = new OrbiluxToolbar(*controller_, this);
    addToolBar(toolbar_);
    buildContent(services);
    connectController();
    controller_->viewDidLoad();
}

OrbiluxWindow::~OrbiluxWindow() = default;

QToolButton &OrbiluxWindow::usbSegment()
{
    return toolbar_->segment(OrbiluxToolbar::kCamera, 0);
}

QToolButton &OrbiluxWindow::wifiSegment()
{
    return toolbar_->segment(OrbiluxToolbar::kCamera, 1);
}

QToolButton &OrbiluxWindow::ledButton()
{
    return toolbar_->ledButton();
}

QToolButton &OrbiluxWindow::shareButton()
{
    return toolbar_->shareButton();
}

NewFolderController *OrbiluxWindow::newFolderSheet() const
{
    return folderSheet_;
}

NewCalibrationController *OrbiluxWindow::calibrationSheet() const
{
    return calibrationSheet_;
}

QComboBox &OrbiluxWindow::resolutionPopUp()
{
    return settings_->resolutionPopUp();
}

QComboBox &OrbiluxWindow::ratePopUp()
{
    return settings_->ratePopUp();
}

void OrbiluxWindow::buildContent(const ViewerServices &services)
{
    auto *content = new QWidget(this);
    setCentralWidget(content);

    m_folder_ablum_ = new QComboBox(content);
    m_folder_ablum_->setObjectName(QStringLiteral("m_folder_ablum"));
    m_folder_ablum_->setGeometry(4, 8, ViewController::kViewX - 8, 26);
    connect(m_folder_ablum_, &QComboBox::activated, this, [this](int index) {
        controller_->addNewFolder(index, m_folder_ablum_->itemText(index));
        // The pop-up shows the album now current, also after "New Album...".
        showAlbums(controller_->albumEntries(), controller_->albumTitle());
    });

    tabs_ = new QTabWidget(content);
    tabs_->setObjectName(QStringLiteral("SettingTabView"));
    tabs_->setGeometry(4, 40, ViewController::kViewX - 8, 616);
    // Three tabs in the narrow column without scroll arrows.
    tabs_->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 4px 7px; }"));
    Gallery &gallery = controller_->gallery();
    PhotoGridView_ = new GalleryView(gallery, gallery.photos(), tabs_);
    PhotoGridView_->setObjectName(QStringLiteral("PhotoGridView"));
    VideoGridView_ = new GalleryView(gallery, gallery.videos(), tabs_);
    VideoGridView_->setObjectName(QStringLiteral("VideoGridView"));
    settings_ = new SettingsTab(*controller_, services.prompt, tabs_);
    tabs_->addTab(PhotoGridView_, QStringLiteral("Photos"));
    tabs_->addTab(VideoGridView_, QStringLiteral("Videos"));
    tabs_->addTab(settings_, QStringLiteral("Settings"));
    tabs_->setCurrentIndex(kVideosTab);
    connect(tabs_, &QTabWidget::currentChanged, this, &OrbiluxWindow::tabChanged);

    view_ = new JVideoView(content);
    view_->setObjectName(QStringLiteral("JVideoView"));
    view_->setGeometry(controller_->viewGeometry());

    txt_recording_ = new QLineEdit(content);
    txt_recording_->setObjectName(QStringLiteral("txt_recording"));
    txt_recording_->setReadOnly(true);
    txt_recording_->setFrame(false);
    txt_recording_->setGeometry(ViewController::kViewX, 658, ViewController::kViewWidth, 22);

    NSGridlinesView_ = new GridlinesPanel(controller_->measure(), *content);
}

void OrbiluxWindow::connectController()
{
    ViewController *c = controller_.get();
    connect(c, &ViewController::viewGeometryChanged, view_,
            [this](const QRect &geometry) { view_->setGeometry(geometry); });
    connect(c, &ViewController::pictureShown, view_,
            [this](const QImage &image, double width, double height) {
                view_->setImage(image);
                if (controller_->camera_stype() == kUsbCamera)
                    view_->setUSBNeedsReDraw(width, height);
                else
                    view_->setWiFiNeedsReDraw(width, height);
            });
    connect(c, &ViewController::snapshotLedChanged, toolbar_, &OrbiluxToolbar::showLed);
    connect(c, &ViewController::stillRequested, this, &OrbiluxWindow::saveStill);
    connect(c, &ViewController::sharingChanged, this, [this](bool on, const QString &url) {
        toolbar_->showSharing(on);
        txt_recording_->setText(on ? QStringLiteral("Workspace shared at %1").arg(url) : QString());
    });
    connect(c, &ViewController::statusTextChanged, txt_recording_, &QLineEdit::setText);
    connect(c, &ViewController::albumsChanged, this, &OrbiluxWindow::showAlbums);
    connect(c, &ViewController::viewResetRequested, view_, &JVideoView::setupInitVideoView);
    connect(c, &ViewController::newFolderSheetRequested, this, &OrbiluxWindow::openNewFolderSheet);
    connect(c, &ViewController::calibrationSheetRequested, this,
            &OrbiluxWindow::openCalibrationSheet);
    connect(view_, &JVideoView::PassValue, c, &ViewController::PassValue);

    MeasureControls &measure = c->measure();
    connect(&measure, &MeasureControls::measureModeRequested, view_,
            [this](const MeasureRequest &r) {
                view_->setMeasureMode(r.mode, r.style.measure_line_width, r.style.measure_font_size,
                                      r.style.measure_data_decimal, r.style.measure_line_color,
                                      r.style.measure_font_color, r.name, r.unit, r.magnification,
                                      r.length, r.calibration);
            });
    connect(&measure, &MeasureControls::deleteShapeRequested, view_, &JVideoView::deleteshape);
    connect(&measure, &MeasureControls::gridViewRequested, view_, [this](const GridRequest &r) {
        view_->showGridView(r.kind, r.style.measure_line_width, r.style.measure_font_size,
                            r.style.measure_data_decimal, r.style.measure_line_color,
                            r.style.measure_font_color, r.unit, r.pitchLength, r.magnification,
                            r.unitLength);
    });
    connect(&measure, &MeasureControls::calibrationMenuChanged, toolbar_,
            &OrbiluxToolbar::showCalibrations);
    connect(&c->gallery(), &Gallery::selectionChanged, this, &OrbiluxWindow::showGallerySelection);
}

void OrbiluxWindow::closeEvent(QCloseEvent *event)
{
    controller_->windowWillClose();
    QMainWindow::closeEvent(event);
}

void OrbiluxWindow::tabChanged(int index)
{
    // Tabs change only while a picture stream runs.
    if (!controller_->selectTab(index)) {
        const QSignalBlocker blocker(tabs_);
        tabs_->setCurrentIndex(bPictureShow_);
        return;
    }
    bPictureShow_ = index;
    if (index == kSettingsTab)
        settings_->showCameraSettings();
}

void OrbiluxWindow::showAlbums(const QStringList &albums, const QString &current)
{
    const QSignalBlocker blocker(m_folder_ablum_);
    m_folder_ablum_->clear();
    m_folder_ablum_->addItem(QStringLiteral("default"));
    m_folder_ablum_->addItem(ViewController::kNewAlbumTitle);
    m_folder_ablum_->addItems(albums);
    const int shown = m_folder_ablum_->findText(current, Qt::MatchExactly);
    m_folder_ablum_->setCurrentIndex(shown > ViewController::kNewAlbumEntry ? shown : 0);
}

void OrbiluxWindow::showGallerySelection(int row)
{
    GalleryView *shown = bPictureShow_ == kPhotosTab   ? PhotoGridView_
                         : bPictureShow_ == kVideosTab ? VideoGridView_
                                                       : nullptr;
    for (GalleryView *grid : {PhotoGridView_, VideoGridView_})
        grid->showSelection(grid == shown ? row : -1);
}

void OrbiluxWindow::saveStill(const QString &path)
{
    // The picture with its shapes and overlay at the size the camera announced.
    QString error;
    if (!view_->saveimg(path, controller_->newVideoWidth(), controller_->newVideoHeight(), &error))
        txt_recording_->setText(QStringLiteral("The still was not saved: %1").arg(error));
}

void OrbiluxWindow::openNewFolderSheet()
{
    if (folderSheet_)
        return;
    auto *sheet = new NewFolderController(controller_->workspace(), prompt_, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    folderSheet_ = sheet;
    connect(sheet, &NewFolderController::PassValue, controller_.get(), &ViewController::PassValue);
    sheet->open();
}

void OrbiluxWindow::openCalibrationSheet()
{
    if (calibrationSheet_)
        return;
    auto *sheet = new NewCalibrationController(prompt_, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    calibrationSheet_ = sheet;
    connect(sheet, &NewCalibrationController::PassValue, controller_.get(),
            &ViewController::PassValue);
    connect(sheet, &NewCalibrationController::cancelled, &controller_->measure(),
            &MeasureControls::calibrationSheetCancelled);
    sheet->open();
}

} // namespace quelmar::viewer
