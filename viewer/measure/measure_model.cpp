#include "measure/measure_model.h"

#include "measure/view_geometry.h"

#include <cmath>
#include <span>

namespace quelmar::viewer {

namespace {

struct Protocol {
    int points;     // placed by clicks; for polylines and polygons the most
    int anchor;     // slot of the label anchor
    bool openEnded; // Ctrl-click ends the placement early
};

Protocol protocolOf(int mode)
{
    switch (mode) {
    case kLineTool:
    case kRadiusCircleTool:
    case kDiameterCircleTool:
        return {2, 2, false};
    case kContinuousLineTool:
    case kPolygonTool:
        return {Shape::kMaxPolyPoints, 9, true};
    case kPointToLineTool:
        return {3, 4, false};
    case kThreePointCircleTool:
    case kThreePointArcTool:
    case kThreePointAngleTool:
        return {3, 3, false};
    case kFourPointAngleTool:
        return {4, 4, false};
    case kTextTool:
        return {1, -1, false};
    default:
        return {0, -1, false};
    }
}

// Measures `shape` from its first `count` points; values that need more points stay 0.
void measureShape(Shape &shape, int count)
{
    shape.measure_data.fill(0);
    shape.AuxiliaryVariable.fill(0);
    auto &p = shape.points;
    auto &data = shape.measure_data;
    const auto setCircle = [&data](const CircleValues &values) {
        data[0] = values.size;
        data[1] = values.circumference;
        data[2] = values.area;
    };
    switch (shape.type) {
    case kLineTool:
        data[0] = lineLength(p[0], p[1]);
        break;
    case kContinuousLineTool:
        data[0] = polylineLength(std::span(p.data(), std::size_t(count)), shape.AuxiliaryVariable);
        break;
    case kPointToLineTool:
        if (count >= 3) {
            p[3] = footOnLine(p[0], p[1], p[2]);
            data[0] = lineLength(p[2], p[3]);
        }
        break;
    case kRadiusCircleTool:
        setCircle(radiusCircleValues(lineLength(p[0], p[1])));
        break;
    case kDiameterCircleTool:
        setCircle(diameterCircleValues(lineLength(p[0], p[1])));
        break;
    case kThreePointCircleTool:
        if (count >= 3) {
            const CircleFit fit = circleThrough(p[0], p[1], p[2]);
            p[4] = fit.centre;
            setCircle(threePointCircleValues(fit.radius));
        }
        break;
    case kThreePointArcTool:
        if (count >= 3) {
            const ArcFit arc = arcThrough(p[0], p[1], p[2]);
            p[4] = arc.centre;
            data[0] = arc.radius;
            data[1] = arc.sweep;
            std::copy(arc.angles.begin(), arc.angles.end(), shape.AuxiliaryVariable.begin());
        }
        break;
    case kThreePointAngleTool:
        if (count >= 3)
            data[0] = threePointAngle(p[0], p[1], p[2]);
        break;
    case kFourPointAngleTool:
        if (count >= 4)
            data[0] = fourPointAngle(p[0], p[1], p[2], p[3]);
        break;
    case kPolygonTool:
        data[0] = polygonArea(std::span(p.data(), std::size_t(count)));
        break;
    default:
        break;
    }
}

} // namespace

int anchorSlot(int mode)
{
    return protocolOf(mode).anchor;
}

void MeasureModel::setupInitVideoView()
{
    measure_mode_ = kNoTool;
    style_ = MeasureStyle{1, 16, 3, QColor(Qt::red), QColor(Qt::red)};
    bCalibration_ = false;
    bCompletedCalibration_ = false;
    CalibrationName_.clear();
    units_ = MeasureUnits{QStringLiteral("mm"), 1.0f, 60.0f};
    measure_actual_length_ = 1.0f;
    ++revision_;
    resetPoints();
}

void MeasureModel::setMeasureMode(int mode, const MeasureStyle &style, const QString &measureName,
                                  const QString &unit, float magnification, float actualLength,
                                  bool calibration)
{
    measure_mode_ = mode;
    style_ = style;
    bCalibration_ = calibration;
    bCompletedCalibration_ = false;
    CalibrationName_ = measureName;
    units_.measure_unit_unit = unit;
    units_.measure_unit_magnification = magnification;
    if (calibration) {
        units_.measure_unit_length = 1.0f;
        measure_actual_length_ = actualLength;
    } else {
        units_.measure_unit_length = actualLength;
    }
    ++revision_;
    resetPoints();
}

void MeasureModel::resetPoints()
{
    current_ = Shape();
    current_.type = measure_mode_;
    current_.style = style_;
    fixedPoints_ = 0;
    anchorPhase_ = false;
}

void MeasureModel::deleteshape(int action)
{
    switch (action) {
    case kUndo:
        if (OriginalGraphArray_.empty())
            return;
        DeleteGraphArray_.push_back(std::move(OriginalGraphArray_.back()));
        OriginalGraphArray_.pop_back();
        break;
    case kRedo:
        if (DeleteGraphArray_.empty())
            return;
        OriginalGraphArray_.push_back(std::move(DeleteGraphArray_.back()));
        DeleteGraphArray_.pop_back();
        break;
    case kDeleteAll:
        OriginalGraphArray_.clear();
        DeleteGraphArray_.clear();
        break;
    default:
        return;
    }
    ++revision_;
}

int MeasureModel::pointsInPlay() const
{
    if (!inProgress())
        return 0;
    const Protocol tool = protocolOf(measure_mode_);
    if (measure_mode_ == kTextTool)
        return 1;
    if (tool.openEnded)
        return current_.m_cline_auvariable;
    return anchorPhase_ ? tool.points : fixedPoints_ + 1;
}

MeasureModel::PressEffect MeasureModel::press(QPointF point, bool control, const QString &fieldText)
{
    const Protocol tool = protocolOf(measure_mode_);
    if (tool.points == 0)
        return kNothing;
    if (!inProgress()) {
        resetPoints();
        current_.points[0] = point;
        fixedPoints_ = 1;
        if (measure_mode_ == kTextTool) {
            current_.textValue = fieldText;
            return kTextTaken;
        }
        current_.points[1] = point; // the next point follows the mouse from here
        if (tool.openEnded)
            current_.m_cline_auvariable = 2;
        recompute();
        return kNothing;
    }
    if (measure_mode_ == kTextTool) {
        commit();
        measure_mode_ = kNoTool;
        resetPoints();
        return kCommitted;
    }
    if (anchorPhase_) {
        current_.points[tool.anchor] = point;
        recompute();
        commit();
        return kCommitted;
    }

    current_.points[fixedPoints_] = point;
    ++fixedPoints_;
    if (measure_mode_ == kLineTool && fixedPoints_ == 2 && bCalibration_)
        bCompletedCalibration_ = true;
    const bool placed = fixedPoints_ == tool.points || (tool.openEnded && control);
    if (placed) {
        anchorPhase_ = true;
        current_.points[tool.anchor] = point;
        if (tool.openEnded)
            current_.m_cline_auvariable = fixedPoints_;
    } else {
        current_.points[fixedPoints_] = point;
        if (tool.openEnded)
            current_.m_cline_auvariable = fixedPoints_ + 1;
    }
    recompute();
    return kNothing;
}

void MeasureModel::move(QPointF point)
{
    if (!inProgress() || measure_mode_ == kTextTool)
        return;
    current_.points[anchorPhase_ ? protocolOf(measure_mode_).anchor : fixedPoints_] = point;
    recompute();
}

void MeasureModel::recompute()
{
    measureShape(current_, pointsInPlay());
}

void MeasureModel::commit()
{
    const int mode = measure_mode_;
    const bool calibrate = mode == kLineTool && bCalibration_ && bCompletedCalibration_;
    OriginalGraphArray_.push_back(current_);
    ++revision_;
    const float linePoints = current_.measure_data[0];
    resetPoints();
    bCompletedCalibration_ = false;
    if (calibrate)
        finishCalibration(linePoints);
    if ((mode == kContinuousLineTool || mode == kPolygonTool) && reports_.PassValue)
        reports_.PassValue(UserEntity(), kReportClearStatus);
}

// Done when the line is committed rather than when it is painted: a hidden window paints
// nothing. The controller stores the calibration; the model only reports it.
void MeasureModel::finishCalibration(float linePoints)
{
    // The unit length is 1 during the run, so this is length / magnification.
    const float shown = toUnitLength(linePoints, units_);
    if (!(shown > 0))
        return;
    const float unitLength = measure_actual_length_ / shown;
    if (!std::isfinite(unitLength) || !(unitLength > 0))
        return;
    bCalibration_ = false;
    units_.measure_unit_length = unitLength;
    ++revision_;
    if (!reports_.PassValue)
        return;
    UserEntity entity;
    entity.Param1 = CalibrationName_;
    entity.Param2 = fixedText(units_.measure_unit_magnification, 6);
    entity.Param3 = fixedText(unitLength, 6);
    entity.Param4 = units_.measure_unit_unit;
    entity.Param5 = CalibrationName_;
    reports_.PassValue(entity, kReportCalibrationCompleted);
}

} // namespace quelmar::viewer
