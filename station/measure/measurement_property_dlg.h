// CMeasurementPropertyDlg: the modeless measurement list beside the photo window. Five tabs of
// measured shapes; a click on a row selects its shape on the canvas, Delete and "Delete all"
// remove shapes, and "Export to excel" writes them to a workbook.
//
// The photo window connects it: refresh() when the canvas reports that the number of shapes
// changed, setShapeState() when the canvas is recreated (or nullptr when it is gone), and
// canvasRedrawRequested() to redraw the canvas after a selection or a deletion.
#pragma once

#include "measure/measurement_list.h"

#include <QDialog>

class QPushButton;
class QTabBar;
class QTableWidget;

namespace quelmar::station {

class Language;
class Prompt;

class CMeasurementPropertyDlg : public QDialog {
    Q_OBJECT
public:
    CMeasurementPropertyDlg(ShapeState *state, Prompt &prompt, const Language &language,
                            QWidget *parent = nullptr);

    QTabBar *tabBar() const { return tabs_; }
    QTableWidget *table() const { return table_; }
    QPushButton *deleteButton() const { return delete_; }
    QPushButton *deleteAllButton() const { return deleteAll_; }
    QPushButton *exportButton() const { return export_; }
    const MeasurementList &list() const { return list_; }

public Q_SLOTS:
    // Rebuilds the rows of the current tab.
    void refresh();
    // The shapes of a new canvas, or none.
    void setShapeState(ShapeState *state);

Q_SIGNALS:
    void canvasRedrawRequested();

private:
    void showRows();
    void onRowClicked(int row);
    void onDelete();
    void onDeleteAll();
    void onExport();

    Prompt &prompt_;
    const Language &language_;
    MeasurementList list_;
    QTabBar *tabs_ = nullptr;
    QTableWidget *table_ = nullptr;
    QPushButton *delete_ = nullptr;
    QPushButton *deleteAll_ = nullptr;
    QPushButton *export_ = nullptr;
};

} // namespace quelmar::station
