// The controller's side of measuring: the style and the calibration it keeps and hands to the
// measurement view, the tool, undo/delete/redo and overlay actions with the pitch panel, the
// start of a calibration run and the reports of the view and the calibration sheet. No
// widget: the window's controls call these actions and follow the signals.
#pragma once

#include "measure/shape.h"
#include "measure/user_entity.h"

#include <QColor>
#include <QObject>
#include <QString>

#include <functional>

namespace quelmar::viewer {

class JVideoView;
class ViewerPrompt;

class MeasureActions : public QObject {
    Q_OBJECT

public:
    static inline const QString kCalibrateFirst = QStringLiteral("Please calibrate first");
    static inline const QString kIllegalValue = QStringLiteral("The value is illegal");
    static inline const QString kCtrlClickHint = QStringLiteral("Ctrl + Click to end");

    MeasureActions(JVideoView &view, ViewerPrompt &prompt, std::function<bool()> isavailable,
                   QObject *parent = nullptr);

    // The tool of the fourth segment control's `segment` (0 to 9).
    static int modeOfSegment(int segment);
    // lineAction ... textAction and tarcAction: the tool `mode` with the current style.
    void measureAction(int mode);
    void undoAction();
    void deleteAction();
    void redoAction();

    // The overlay controls; grid, circle grid and scale ask for their pitch in the panel.
    void gridAction() { overlayAction(kGridKind); }
    void cgridAction() { overlayAction(kCircleGridKind); }
    void scaleAction() { overlayAction(kScaleKind); }
    void crosshairAction();
    void gridPanelOk(const QString &text);
    void gridPanelCancel();

    // The style controls; only with a running picture stream.
    void setLineWidth(int width);
    void setFontSize(int size);
    void setDataDecimal(int decimals);
    void setLineColor(const QColor &color);
    void setFontColor(const QColor &color);

    // The sixth segment: reset the view, then ask for the calibration sheet.
    void addNewCalibration();
    // A stored calibration chosen in the calibration pop-up.
    void useCalibration(const QString &name, const QString &unit, float unitLength,
                        float magnification);
    // No calibration: tools and pitch overlays refuse until one is chosen.
    void clearCalibration() { measure_mag_ = 0; }

    // Reports: 1 from the calibration sheet (starts a calibration run), 3 from the view at
    // the end of a run, 4 from the view (empties the status text).
    void PassValue(const UserEntity &value, int type);

    const MeasureStyle &style() const { return style_; }
    const QString &calibrationName() const { return calibrationName_; }
    const QString &measure_unit() const { return measure_unit_; }
    float measure_length() const { return measure_length_; }
    float measure_mag() const { return measure_mag_; }
    bool gridPanelShown() const { return bMSGridAvailable_ != 0; }

    // A decimal number at the start of `text` ("2.5mm" reads 2.5); 0 when there is none.
    static float leadingDecimal(const QString &text);

Q_SIGNALS:
    void statusTextChanged(const QString &text);
    void gridPanelVisibleChanged(bool visible);
    void calibrationSheetRequested();
    // A calibration run stored its calibration under this title.
    void calibrationAdded(const QString &title);

private:
    enum { kGridKind = 1, kCircleGridKind = 2, kCrosshairKind = 3, kScaleKind = 4 };
    void overlayAction(int kind);
    void showOverlay(int kind);
    void setMode(int mode, const QString &name, float length, bool calibration);

    JVideoView &view_;
    ViewerPrompt &prompt_;
    std::function<bool()> isavailable_;

    MeasureStyle style_{1, 16, 3, QColor(Qt::red), QColor(Qt::red)};
    QString calibrationName_;
    QString measure_unit_ = QStringLiteral("mm");
    float measure_length_ = 1.0f;
    float measure_mag_ = 0;
    int bMSGridAvailable_ = 0;
    int pendingGridKind_ = 0;
    float mGridViewLength_ = 0;
};

} // namespace quelmar::viewer
