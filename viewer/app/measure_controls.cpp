#include "measure_controls.h"

#include "measure_actions.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolBar>
#include <QToolButton>

namespace quelmar::viewer {

MeasureControls::MeasureControls(MeasureActions &actions, QToolBar &toolbar, QWidget &content,
                                 QObject *parent)
    : QObject(parent), actions_(actions)
{
    // Short titles so every control fits the window's one toolbar; the tool tips name them.
    toolbar.addSeparator();
    addSegments(toolbar, kEditControl,
                {{QStringLiteral("\u21b6"), QStringLiteral("Undo")},
                 {QStringLiteral("\u2715"), QStringLiteral("Delete all")},
                 {QStringLiteral("\u21b7"), QStringLiteral("Redo")}});
    toolbar.addSeparator();
    addSegments(toolbar, kToolControl,
                {{QStringLiteral("L"), QStringLiteral("Line")},
                 {QStringLiteral("CL"), QStringLiteral("Polyline")},
                 {QStringLiteral("PL"), QStringLiteral("Point to line")},
                 {QStringLiteral("RC"), QStringLiteral("Circle by radius")},
                 {QStringLiteral("DC"), QStringLiteral("Circle by diameter")},
                 {QStringLiteral("TC"), QStringLiteral("Circle by three points")},
                 {QStringLiteral("A3"), QStringLiteral("Three-point angle")},
                 {QStringLiteral("A4"), QStringLiteral("Four-point angle")},
                 {QStringLiteral("PG"), QStringLiteral("Polygon")},
                 {QStringLiteral("T"), QStringLiteral("Text")}});
    toolbar.addSeparator();
    addSegments(toolbar, kOverlayControl,
                {{QStringLiteral("#"), QStringLiteral("Grid")},
                 {QStringLiteral("\u25ce"), QStringLiteral("Circle grid")},
                 {QStringLiteral("+"), QStringLiteral("Crosshair")},
                 {QStringLiteral("\u22a5"), QStringLiteral("Scale")}});
    toolbar.addSeparator();
    addSegments(toolbar, kCalibrationControl,
                {{QStringLiteral("Cal"), QStringLiteral("New calibration")}});
    buildStyle(toolbar);
    buildGridPanel(content);
    connect(&actions_, &MeasureActions::gridPanelVisibleChanged, gridPanel_, [this](bool shown) {
        gridPanel_->setVisible(shown);
        if (shown) {
            // Centred when shown: the window is laid out by then.
            const QWidget *area = gridPanel_->parentWidget();
            gridPanel_->move((area->width() - gridPanel_->width()) / 2,
                             (area->height() - gridPanel_->height()) / 3);
            gridPanel_->raise();
            gridField_->setFocus();
        }
    });
}

void MeasureControls::addSegments(QToolBar &toolbar, int control,
                                  const QList<std::pair<QString, QString>> &titles)
{
    for (int i = 0; i < titles.size(); ++i) {
        // Momentary segments: a press runs the action and nothing stays selected.
        auto *button = new QToolButton(&toolbar);
        button->setText(titles[i].first);
        button->setToolTip(titles[i].second);
        button->setObjectName(QStringLiteral("segment%1_%2").arg(control).arg(i));
        toolbar.addWidget(button);
        connect(button, &QToolButton::clicked, this,
                [this, control, i] { segmentClicked(control, i); });
        segments_[control].push_back(button);
    }
}

void MeasureControls::segmentClicked(int control, int segment)
{
    switch (control) {
    case kEditControl:
        if (segment == 0)
            actions_.undoAction();
        else if (segment == 1)
            actions_.deleteAction();
        else
            actions_.redoAction();
        break;
    case kToolControl:
        actions_.measureAction(MeasureActions::modeOfSegment(segment));
        break;
    case kOverlayControl:
        if (segment == 0)
            actions_.gridAction();
        else if (segment == 1)
            actions_.cgridAction();
        else if (segment == 2)
            actions_.crosshairAction();
        else
            actions_.scaleAction();
        break;
    case kCalibrationControl:
        actions_.addNewCalibration();
        break;
    default:
        break;
    }
}

QAbstractButton *MeasureControls::segment(int control, int segment) const
{
    if (control < 0 || control >= segments_.size() || segment < 0 ||
        segment >= segments_[control].size())
        return nullptr;
    return segments_[control][segment];
}

void MeasureControls::buildStyle(QToolBar &toolbar)
{
    const auto addSpin = [&](const QString &name, const QString &title, int min, int max, int value,
                             void (MeasureActions::*set)(int)) {
        toolbar.addWidget(new QLabel(title, &toolbar));
        auto *spin = new QSpinBox(&toolbar);
        spin->setObjectName(name);
        spin->setRange(min, max);
        spin->setValue(value);
        toolbar.addWidget(spin);
        connect(spin, &QSpinBox::valueChanged, &actions_, set);
        return spin;
    };
    toolbar.addSeparator();
    const MeasureStyle &style = actions_.style();
    width_ = addSpin(QStringLiteral("WidthTextField"), QStringLiteral("W"), 1, 10,
                     style.measure_line_width, &MeasureActions::setLineWidth);
    font_ = addSpin(QStringLiteral("FontTextField"), QStringLiteral("F"), 8, 72,
                    style.measure_font_size, &MeasureActions::setFontSize);
    decimal_ = addSpin(QStringLiteral("DecimalTextField"), QStringLiteral("D"), 0, 6,
                       style.measure_data_decimal, &MeasureActions::setDataDecimal);
}

void MeasureControls::buildGridPanel(QWidget &content)
{
    gridPanel_ = new QFrame(&content);
    gridPanel_->setObjectName(QStringLiteral("NSGridlinesView"));
    gridPanel_->setFrameShape(QFrame::StyledPanel);
    gridPanel_->setAutoFillBackground(true);
    auto *row = new QHBoxLayout(gridPanel_);
    row->addWidget(new QLabel(QStringLiteral("Pitch"), gridPanel_));
    gridField_ = new QLineEdit(gridPanel_);
    gridField_->setObjectName(QStringLiteral("GridlinesField"));
    row->addWidget(gridField_);
    auto *ok = new QPushButton(QStringLiteral("OK"), gridPanel_);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), gridPanel_);
    row->addWidget(ok);
    row->addWidget(cancel);
    gridPanel_->adjustSize();
    gridPanel_->hide();
    connect(ok, &QPushButton::clicked, this, [this] { actions_.gridPanelOk(gridField_->text()); });
    connect(gridField_, &QLineEdit::returnPressed, this,
            [this] { actions_.gridPanelOk(gridField_->text()); });
    connect(cancel, &QPushButton::clicked, &actions_, &MeasureActions::gridPanelCancel);
}

} // namespace quelmar::viewer
