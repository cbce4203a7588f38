// The controller's side of measuring: the style of new shapes, the current calibration and the
// calibration pop-up with its stored calibrations, the tool, undo and overlay buttons with the
// pitch panel's values, and the calibration run started from the calibration sheet. It tells
// the measurement view what to do through signals; nothing here is a widget.
#pragma once

#include "app/calibration_store.h"
#include "measure/shape.h"
#include "measure/user_entity.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

namespace quelmar::viewer {

class ViewerPrompt;

// One call of the view's setMeasureMode: the tool, the style and the calibration.
struct MeasureRequest {
    int mode = 0;
    MeasureStyle style;
    QString name;
    QString unit;
    float magnification = 0;
    float length = 0;
    bool calibration = false;
};

// One call of the view's showGridView: the overlay (0 switches it off), its style and pitch.
struct GridRequest {
    int kind = 0;
    MeasureStyle style;
    QString unit;
    float pitchLength = 0;
    float magnification = 0;
    float unitLength = 0;
};

class MeasureControls : public QObject {
    Q_OBJECT

public:
    // Entries of the calibration pop-up before the stored calibrations.
    enum { kNoCalibrationEntry = 0, kDeleteAllEntry = 1, kSeparatorEntry = 2, kFirstStoredEntry };
    static const QString kNoCalibrationTitle; // "NO CAL"
    static const QString kCalibrateFirst;
    static const QString kIllegalValue;
    static const QString kCtrlClickHint;

    MeasureControls(ViewerPrompt *prompt, std::function<bool()> isavailable,
                    QObject *parent = nullptr);

    // Start-up: the file (copied from the program's own when missing) and the pop-up entries.
    void loadCalibrations(const QString &plistCalibrationFile);
    void setCalibrationDefaults();

    // The tool of the fourth segment control's `segment` (0 to 9); the arc has no segment.
    static int modeOfSegment(int segment);
    // The tool buttons (mode 1 to 11), undo / delete / redo (0, 1, 2).
    void toolAction(int mode);
    void deleteAction(int which);
    // The overlay buttons: 1 grid, 2 circle grid, 3 crosshair, 4 scale. The crosshair
    // switches directly; the others switch an overlay off or ask for the pitch.
    void overlayAction(int kind);
    // The pitch panel's OK with the field's text, and its Cancel.
    void gridPanelOk(const QString &text);
    void gridPanelCancel();

    // The style controls.
    void setLineWidth(int width);
    void setFontSize(int size);
    void setDecimals(int decimals);
    void setLineColor(const QColor &colour);
    void setFontColor(const QColor &colour);

    // The calibration pop-up: the chosen entry's index and title.
    void selectCalibration(int index, const QString &title);
    // The sheet's result (type 1): a calibration run on the view with those values.
    void beginCalibrationRun(const UserEntity &entity);
    // The view's report of a finished run (type 3): the calibration is stored and its values
    // become the current ones.
    void completeCalibrationRun(const UserEntity &entity);
    // The sheet was cancelled: the view gets the current calibration back.
    void calibrationSheetCancelled();

    const MeasureStyle &style() const { return style_; }
    const QString &calibrationName() const { return calibrationName_; }
    const QString &measureUnit() const { return measure_unit_; }
    float measureLength() const { return measure_length_; }
    float measureMag() const { return measure_mag_; }
    // The stored names as the pop-up lists them behind its fixed entries, and its title.
    const QStringList &calibrationEntries() const { return entries_; }
    const QString &calibrationTitle() const { return title_; }
    // The overlay the view shows, and whether the pitch panel is up.
    int overlay() const { return overlay_; }
    bool gridPanelShown() const { return bMSGridAvailable_ != 0; }

    // What the view gets with no tool: the current calibration, and the run flag off.
    MeasureRequest currentRequest(int mode) const;

    // A decimal number at the start of `text` ("2.5mm" reads 2.5); 0 when there is none.
    static float leadingDecimal(const QString &text);

Q_SIGNALS:
    void measureModeRequested(const quelmar::viewer::MeasureRequest &request);
    void deleteShapeRequested(int which);
    // The pitch panel is to ask for the pitch of overlay `kind` (1, 2 or 4).
    void overlayRequested(int kind);
    void gridPanelClosed();
    void gridViewRequested(const quelmar::viewer::GridRequest &request);
    void statusTextRequested(const QString &text);
    void calibrationMenuChanged(const QStringList &entries, const QString &title);
    void styleChanged(const quelmar::viewer::MeasureStyle &style);

private:
    bool calibrated();
    void addEntry(const QString &title);
    void showOverlay(int kind);

    ViewerPrompt *prompt_;
    std::function<bool()> isavailable_;
    std::optional<CalibrationStore> store_;
    MeasureStyle style_{1, 16, 3, QColor(Qt::red), QColor(Qt::red)};
    QString calibrationName_;
    QString measure_unit_ = QStringLiteral("mm");
    float measure_length_ = 1.0f;
    float measure_mag_ = 0;
    QStringList entries_;
    QString title_;
    int overlay_ = 0;          // the overlay switched on, 0 for none
    int bMSGridAvailable_ = 0; // the pitch panel is up
    int pendingGridKind_ = 0;  // the overlay the pitch panel asks for
    float mGridViewLength_ = 0;
};

} // namespace quelmar::viewer
