// The pitch panel of the grid, circle grid and scale overlays (`NSGridlinesView` with the
// field `GridlinesField`, OK and Cancel). It shows when an overlay button asks for a pitch and
// hands the text to MeasureControls, which checks it and hides the panel when it is done.
#pragma once

#include <QFrame>

class QLineEdit;

namespace quelmar::viewer {

class MeasureControls;

class GridlinesPanel : public QFrame {
    Q_OBJECT

public:
    // A hidden panel over `area`.
    GridlinesPanel(MeasureControls &measure, QWidget &area);

    QLineEdit &GridlinesField() const { return *field_; }

private:
    void showFor(int kind);

    QLineEdit *field_ = nullptr;
};

} // namespace quelmar::viewer
