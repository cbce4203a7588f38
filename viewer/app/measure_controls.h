// The window's measuring controls: segment controls for undo/delete/redo, the ten tools, the
// four overlays and a new calibration, the line-width, font-size and decimals controls, and
// the pitch panel of the pitch overlays. Every control calls MeasureActions.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QVector>

#include <utility>

class QAbstractButton;
class QFrame;
class QLineEdit;
class QSpinBox;
class QToolBar;
class QWidget;

namespace quelmar::viewer {

class MeasureActions;

class MeasureControls : public QObject {
    Q_OBJECT

public:
    enum Control {
        kEditControl = 3,
        kToolControl = 4,
        kOverlayControl = 5,
        kCalibrationControl = 6
    };

    // Adds the segment controls and style controls to `toolbar` and the pitch panel (hidden)
    // to `content`.
    MeasureControls(MeasureActions &actions, QToolBar &toolbar, QWidget &content,
                    QObject *parent = nullptr);

    // The button of segment `segment` of the control numbered as in the toolbar (3 to 6).
    QAbstractButton *segment(int control, int segment) const;
    QFrame &gridPanel() const { return *gridPanel_; }
    QLineEdit &gridField() const { return *gridField_; }
    QSpinBox &widthControl() const { return *width_; }
    QSpinBox &fontControl() const { return *font_; }
    QSpinBox &decimalControl() const { return *decimal_; }

private:
    // Each segment's short title and its tool tip.
    void addSegments(QToolBar &toolbar, int control,
                     const QList<std::pair<QString, QString>> &titles);
    void buildStyle(QToolBar &toolbar);
    void buildGridPanel(QWidget &content);
    void segmentClicked(int control, int segment);

    MeasureActions &actions_;
    QVector<QVector<QAbstractButton *>> segments_{7};
    QFrame *gridPanel_ = nullptr;
    QLineEdit *gridField_ = nullptr;
    QSpinBox *width_ = nullptr;
    QSpinBox *font_ = nullptr;
    QSpinBox *decimal_ = nullptr;
};

} // namespace quelmar::viewer
