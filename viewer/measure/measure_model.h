// The measurement view's model without a widget: the active tool and its click protocol, the
// shape in progress with its live values, the finished and the undone shapes, the calibrated
// units and the calibration run. Points are in view coordinates with y up; the widget flips
// the mouse's y once before calling press() and move().
#pragma once

#include "measure/shape.h"
#include "measure/shape_labels.h"
#include "measure/user_entity.h"

#include <QPointF>
#include <QString>

#include <functional>
#include <vector>

namespace quelmar::viewer {

// What the model tells the controller: 3 a calibration run measured its line, 4 the status
// text may be emptied.
struct MeasureReports {
    std::function<void(const UserEntity &value, int type)> PassValue;
};

class MeasureModel {
public:
    enum PressEffect { kNothing, kTextTaken, kCommitted };
    enum DeleteAction { kUndo = 0, kDeleteAll = 1, kRedo = 2 };

    MeasureModel() { setupInitVideoView(); }

    void setReports(MeasureReports reports) { reports_ = std::move(reports); }

    // No tool, the default style, no calibration run, magnification 60, unit length 1 "mm".
    void setupInitVideoView();
    // The tool and the style of the next shapes and the units; with `calibration` a
    // calibration run starts: the unit length becomes 1 and `actualLength` is the length the
    // line will be declared to have. Clears the shape in progress.
    void setMeasureMode(int mode, const MeasureStyle &style, const QString &measureName,
                        const QString &unit, float magnification, float actualLength,
                        bool calibration);
    void resetPoints();
    // Undo moves the newest shape to the undone ones, redo moves it back, delete empties both.
    void deleteshape(int action);

    // A click of the left button, with the Control key held or not; `fieldText` is the text
    // tool's field.
    PressEffect press(QPointF point, bool control, const QString &fieldText = {});
    // A mouse move with no button held.
    void move(QPointF point);

    int measure_mode() const { return measure_mode_; }
    const MeasureStyle &style() const { return style_; }
    const MeasureUnits &units() const { return units_; }
    const QString &CalibrationName() const { return CalibrationName_; }
    float measure_actual_length() const { return measure_actual_length_; }
    bool bCalibration() const { return bCalibration_; }
    bool bCompletedCalibration() const { return bCompletedCalibration_; }

    bool inProgress() const { return fixedPoints_ > 0; }
    // The shape being made with its live values; its type is the active tool.
    const Shape &shapeInProgress() const { return current_; }
    // The points of the shape in progress that are placed or follow the mouse.
    int pointsInPlay() const;
    // The label anchor follows the mouse (all points are placed).
    bool anchorInPlay() const { return anchorPhase_; }

    const std::vector<Shape> &OriginalGraphArray() const { return OriginalGraphArray_; }
    const std::vector<Shape> &DeleteGraphArray() const { return DeleteGraphArray_; }

    // Changes whenever the finished shapes or the units change: what draws them may keep
    // what it prepared until then.
    quint64 revision() const { return revision_; }

private:
    void recompute();
    void commit();
    void finishCalibration(float linePoints);

    MeasureReports reports_;

    int measure_mode_ = kNoTool;
    MeasureStyle style_;
    MeasureUnits units_;
    QString CalibrationName_;
    float measure_actual_length_ = 1.0f;
    bool bCalibration_ = false;
    bool bCompletedCalibration_ = false;

    Shape current_;
    int fixedPoints_ = 0; // 0: nothing in progress
    bool anchorPhase_ = false;

    std::vector<Shape> OriginalGraphArray_;
    std::vector<Shape> DeleteGraphArray_;
    quint64 revision_ = 0;
};

// Where a tool puts its label anchor; -1 for the text tool, whose text sits at its point.
int anchorSlot(int mode);

} // namespace quelmar::viewer
