#include "app/gridlines_panel.h"

#include "app/measure_controls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quelmar::viewer {

GridlinesPanel::GridlinesPanel(MeasureControls &measure, QWidget &area) : QFrame(&area)
{
    setObjectName(QStringLiteral("NSGridlinesView"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto *row = new QHBoxLayout(this);
    row->addWidget(new QLabel(QStringLiteral("Pitch"), this));
    field_ = new QLineEdit(this);
    field_->setObjectName(QStringLiteral("GridlinesField"));
    row->addWidget(field_);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("GridlinesOk"));
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("GridlinesCancel"));
    row->addWidget(ok);
    row->addWidget(cancel);
    adjustSize();
    hide();

    const auto accept = [this, &measure] { measure.gridPanelOk(field_->text()); };
    connect(ok, &QPushButton::clicked, this, accept);
    connect(field_, &QLineEdit::returnPressed, this, accept);
    connect(cancel, &QPushButton::clicked, &measure, &MeasureControls::gridPanelCancel);
    connect(&measure, &MeasureControls::overlayRequested, this, &GridlinesPanel::showFor);
    connect(&measure, &MeasureControls::gridPanelClosed, this, &QWidget::hide);
}

void GridlinesPanel::showFor(int kind)
{
    Q_UNUSED(kind) // one panel asks for every overlay's pitch
    // Centred when shown: the window is laid out by then.
    const QWidget *area = parentWidget();
    move((area->width() - width()) / 2, (area->height() - height()) / 3);
    show();
    raise();
    field_->setFocus();
    // The last pitch stays offered, selected, so typing replaces it rather than running on
    // after it ("0.2" then "0.1" read as 0.20.1, taken as 0.2).
    field_->selectAll();
}

} // namespace quelmar::viewer
