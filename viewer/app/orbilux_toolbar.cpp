#include "app/orbilux_toolbar.h"

#include "app/view_controller.h"
#include "app/viewer_resources.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QSignalBlocker>
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

QIcon viewerIcon(const char *name)
{
    return QIcon(viewerResource(QStringLiteral("icons/%1.svg").arg(QLatin1StringView(name))));
}

} // namespace

OrbiluxToolbar::OrbiluxToolbar(ViewController &controller, QWidget *parent)
    : QToolBar(QStringLiteral("Tools"), parent), controller_(controller)
{
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(24, 24));
    segments_.resize(kSegmentCount);

    addSegments(kCamera, {{"usb", "USB camera"}, {"wifi", "Wi-Fi microscope"}});
    addSegments(kCapture, {{"camera", "Take a still"}, {"record", "Start or stop recording"}});
    addSegments(kEdit, {{"undo", "Undo"}, {"delete", "Delete all shapes"}, {"redo", "Redo"}});
    addSegments(kTools, {{"line", "Line"},
                         {"polyline", "Polyline"},
                         {"point_line", "Point to line"},
                         {"circle_radius", "Circle by radius"},
                         {"circle_diameter", "Circle by diameter"},
                         {"circle_3pt", "Circle by three points"},
                         {"angle_3pt", "Three-point angle"},
                         {"angle_4pt", "Four-point angle"},
                         {"polygon", "Polygon"},
                         {"text", "Text"}});
    addSegments(kOverlays, {{"grid", "Grid"},
                            {"circle_grid", "Circle grid"},
                            {"crosshair", "Crosshair"},
                            {"scale", "Scale"}});
    addSegments(kCalibration, {{"calibration", "New calibration"}});

    CalComboBox_ = new QComboBox(this);
    CalComboBox_->setObjectName(QStringLiteral("CalComboBox"));
    CalComboBox_->setMinimumContentsLength(8);
    CalComboBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    addWidget(CalComboBox_);
    connect(CalComboBox_, &QComboBox::activated, this, [this](int index) {
        controller_.measure().selectCalibration(index, CalComboBox_->itemText(index));
        // The pop-up shows what the controller chose, whatever was picked.
        showCalibrations(controller_.measure().calibrationEntries(),
                         controller_.measure().calibrationTitle());
    });
    showCalibrations({}, MeasureControls::kNoCalibrationTitle);

    addSeparator();
    ledButton_ = new QToolButton(this);
    ledButton_->setObjectName(QStringLiteral("ledButton"));
    addWidget(ledButton_);
    connect(ledButton_, &QToolButton::clicked, &controller_, &ViewController::Snapshot);
    showLed(false);

    shareButton_ = new QToolButton(this);
    shareButton_->setObjectName(QStringLiteral("shareButton"));
    shareButton_->setText(QStringLiteral("FTP"));
    shareButton_->setCheckable(true);
    addWidget(shareButton_);
    connect(shareButton_, &QToolButton::clicked, this, [this] {
        controller_.ShareWorkspace();
        // A cancelled or failed start leaves the button off, whatever the click made it.
        shareButton_->setChecked(controller_.isSharing());
    });
}

void OrbiluxToolbar::addSegments(int control,
                                 const std::vector<std::pair<const char *, const char *>> &icons)
{
    if (control > 0)
        addSeparator();
    auto *group = new QWidget(this);
    group->setObjectName(QStringLiteral("segmentControl%1").arg(control));
    auto *row = new QHBoxLayout(group);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (std::size_t i = 0; i < icons.size(); ++i) {
        auto *button = new QToolButton(group);
        button->setObjectName(QStringLiteral("segment%1_%2").arg(control).arg(i));
        button->setIcon(viewerIcon(icons[i].first));
        button->setIconSize(iconSize());
        button->setToolTip(QString::fromUtf8(icons[i].second));
        button->setAutoRaise(true);
        row->addWidget(button);
        segments_[std::size_t(control)].push_back(button);
        connect(button, &QToolButton::clicked, this,
                [this, control, i] { segmentClicked(control, int(i)); });
    }
    addWidget(group);
}

void OrbiluxToolbar::segmentClicked(int control, int index)
{
    ViewController &c = controller_;
    switch (control) {
    case kCamera:
        index == 0 ? c.ConnectUSBCamera() : c.ConnectWiFiCamera();
        break;
    case kCapture:
        index == 0 ? c.SaveImage(1) : c.TakeRecord();
        break;
    case kEdit:
        c.measure().deleteAction(index);
        break;
    case kTools:
        c.measure().toolAction(MeasureControls::modeOfSegment(index));
        break;
    case kOverlays:
        c.measure().overlayAction(index + 1);
        break;
    case kCalibration:
        c.addNewCalibration();
        break;
    default:
        break;
    }
}

void OrbiluxToolbar::showLed(bool on)
{
    ledButton_->setIcon(ledIcon(on));
    ledButton_->setProperty("image", on ? QStringLiteral("led") : QStringLiteral("dled"));
    ledButton_->setToolTip(on ? QStringLiteral("Snapshot enable")
                              : QStringLiteral("Snapshot disable"));
}

void OrbiluxToolbar::showSharing(bool on)
{
    shareButton_->setChecked(on);
    shareButton_->setToolTip(on ? QStringLiteral("Stop sharing the workspace")
                                : QStringLiteral("Share the workspace over FTP"));
}

void OrbiluxToolbar::showCalibrations(const QStringList &entries, const QString &title)
{
    const QSignalBlocker blocker(CalComboBox_);
    CalComboBox_->clear();
    CalComboBox_->addItem(MeasureControls::kNoCalibrationTitle);
    CalComboBox_->addItem(QStringLiteral("Delete All Calibrations"));
    CalComboBox_->insertSeparator(MeasureControls::kSeparatorEntry);
    CalComboBox_->addItems(entries);
    const int shown = CalComboBox_->findText(title, Qt::MatchExactly);
    CalComboBox_->setCurrentIndex(shown >= MeasureControls::kFirstStoredEntry ? shown : 0);
}

} // namespace quelmar::viewer
