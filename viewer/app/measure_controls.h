// The controller's side of measuring: the style of new shapes, the current calibration and the
// calibration pop-up with its stored calibrations, the tool, undo and overlay buttons, and the
// calibration run started from the calibration sheet. It tells the measurement view what to
// do through signals; nothing here is a widget.
#pragma once

#include "app/calibration_store.h"
#include "app/user_entity.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

namespace quelmar::viewer {

class ViewerPrompt;

class MeasureControls : public QObject {
    Q_OBJECT

public:
    // Entries of the calibration pop-up before the stored calibrations.
    enum { kNoCalibrationEntry = 0, kDeleteAllEntry = 1, kSeparatorEntry = 2, kFirstStoredEntry };
    static const QString kNoCalibrationTitle; // "NO CAL"

    MeasureControls(ViewerPrompt *prompt, std::function<bool()> isavailable,
                    QObject *parent = nullptr);

    // Start-up: the file (copied from the program's own when missing) and the pop-up entries.
    void loadCalibrations(const QString &plistCalibrationFile);
    void setCalibrationDefaults();

    // The tool buttons (mode 1 to 11), undo / delete / redo (0, 1, 2).
    void toolAction(int mode);
    void deleteAction(int which);
    // The overlay buttons: 1 grid, 2 circle grid, 3 crosshair, 4 scale.
    void overlayAction(int kind);

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
    // The view's report of a finished run (type 3): the values become the current ones.
    void completeCalibrationRun(const UserEntity &entity);
    // The sheet was cancelled: the view gets the current calibration back.
    void calibrationSheetCancelled();

    const MeasureStyle &style() const { return style_; }
    const QString &calibrationName() const { return calibrationName_; }
    const QString &measureUnit() const { return measure_unit_; }
    float measureLength() const { return measure_length_; }
    float measureMag() const { return measure_mag_; }
    bool calibrationRunPending() const { return pendingRun_.has_value(); }
    // The stored names as the pop-up lists them behind its fixed entries, and its title.
    const QStringList &calibrationEntries() const { return entries_; }
    const QString &calibrationTitle() const { return title_; }
    const CalibrationStore *store() const { return store_ ? &*store_ : nullptr; }

    // What the view gets with no tool: the current calibration, and the run flag off.
    MeasureRequest currentRequest(int mode) const;

Q_SIGNALS:
    void measureModeRequested(const quelmar::viewer::MeasureRequest &request);
    void deleteShapeRequested(int which);
    void overlayRequested(int kind);
    void statusTextRequested(const QString &text);
    void calibrationMenuChanged(const QStringList &entries, const QString &title);
    void styleChanged(const quelmar::viewer::MeasureStyle &style);

private:
    bool calibrated();
    void addEntry(const QString &title);

    ViewerPrompt *prompt_;
    std::function<bool()> isavailable_;
    std::optional<CalibrationStore> store_;
    MeasureStyle style_;
    QString calibrationName_;
    QString measure_unit_ = QStringLiteral("mm");
    float measure_length_ = 1.0f;
    float measure_mag_ = 0;
    std::optional<Calibration> pendingRun_; // the sheet's values until the run completes
    QStringList entries_;
    QString title_;
    int overlay_ = 0; // the overlay switched on, 0 for none
};

} // namespace quelmar::viewer
