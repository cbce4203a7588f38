#include "measure/measurement_property_dlg.h"

#include "base/language.h"
#include "measure/measurement_export.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quelmar::station {

CMeasurementPropertyDlg::CMeasurementPropertyDlg(ShapeState *state, Prompt &prompt,
                                                 const Language &language, QWidget *parent)
    : QDialog(parent), prompt_(prompt), language_(language), list_(state)
{
    setModal(false);
    setWindowTitle(language.text(QStringLiteral("TipProperty"), QStringLiteral("Export2Excel")));

    tabs_ = new QTabBar(this);
    for (const auto &[key, fallback] : MeasurementList::tabTexts())
        tabs_->addTab(language.text(QLatin1String(key), QLatin1String(fallback)));

    table_ = new QTableWidget(0, 5, this);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    // Five columns, each a fifth of the list's width.
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);

    delete_ =
        new QPushButton(language.text(QStringLiteral("Delete"), QStringLiteral("Delete")), this);
    deleteAll_ = new QPushButton(
        language.text(QStringLiteral("DeleteAll"), QStringLiteral("DeleteAll")), this);
    export_ = new QPushButton(
        language.text(QStringLiteral("TipProperty"), QStringLiteral("Export2Excel")), this);

    // Enter must not delete a shape: no button is the default one.
    for (QPushButton *b : {delete_, deleteAll_, export_})
        b->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(delete_);
    buttons->addWidget(deleteAll_);
    buttons->addStretch();
    buttons->addWidget(export_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    // The template's 237 x 133 dialog units, a little wider so "Circumference" fits its fifth.
    resize(520, 280);

    connect(tabs_, &QTabBar::currentChanged, this, [this](int tab) {
        list_.setTab(tab);
        showRows();
    });
    connect(table_, &QTableWidget::cellClicked, this, [this](int row, int) { onRowClicked(row); });
    connect(delete_, &QPushButton::clicked, this, &CMeasurementPropertyDlg::onDelete);
    connect(deleteAll_, &QPushButton::clicked, this, &CMeasurementPropertyDlg::onDeleteAll);
    connect(export_, &QPushButton::clicked, this, &CMeasurementPropertyDlg::onExport);
    showRows();
}

void CMeasurementPropertyDlg::refresh()
{
    list_.rebuild();
    showRows();
}

void CMeasurementPropertyDlg::setShapeState(ShapeState *state)
{
    list_.setState(state);
    showRows();
}

void CMeasurementPropertyDlg::showRows()
{
    table_->clearContents();
    table_->setHorizontalHeaderLabels(MeasurementList::columns(list_.tab()));
    const auto &rows = list_.rows();
    table_->setRowCount(int(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].cells.size(); ++c)
            table_->setItem(int(r), c, new QTableWidgetItem(rows[r].cells[c]));
}

void CMeasurementPropertyDlg::onRowClicked(int row)
{
    if (list_.clickRow(row)) {
        Q_EMIT canvasRedrawRequested();
    } else {
        showRows(); // the row was stale: show the list as it is
    }
}

void CMeasurementPropertyDlg::onDelete()
{
    if (!list_.deleteRemembered()) {
        showRows();
        return;
    }
    showRows();
    Q_EMIT canvasRedrawRequested();
}

void CMeasurementPropertyDlg::onDeleteAll()
{
    const bool destroyed = list_.deleteAll();
    showRows();
    if (destroyed)
        Q_EMIT canvasRedrawRequested();
}

void CMeasurementPropertyDlg::onExport()
{
    if (list_.state())
        exportMeasurements(list_.state()->photoShapes, ShapeNumbering::Photo, prompt_, language_);
}

} // namespace quelmar::station
