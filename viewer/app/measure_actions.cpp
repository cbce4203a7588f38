#include "measure_actions.h"

#include "j_video_view.h"
#include "viewer_prompt.h"

#include <array>
#include <cctype>
#include <charconv>

namespace quelmar::viewer {

MeasureActions::MeasureActions(JVideoView &view, ViewerPrompt &prompt,
                               std::function<bool()> isavailable, QObject *parent)
    : QObject(parent), view_(view), prompt_(prompt), isavailable_(std::move(isavailable))
{
    connect(&view_, &JVideoView::PassValue, this, &MeasureActions::PassValue);
}

int MeasureActions::modeOfSegment(int segment)
{
    // The arc has no segment of its own; it is reached through tarcAction.
    static constexpr std::array<int, 10> kModes = {kLineTool,
                                                   kContinuousLineTool,
                                                   kPointToLineTool,
                                                   kRadiusCircleTool,
                                                   kDiameterCircleTool,
                                                   kThreePointCircleTool,
                                                   kThreePointAngleTool,
                                                   kFourPointAngleTool,
                                                   kPolygonTool,
                                                   kTextTool};
    return segment >= 0 && segment < int(kModes.size()) ? kModes[std::size_t(segment)] : kNoTool;
}

void MeasureActions::setMode(int mode, const QString &name, float length, bool calibration)
{
    view_.setMeasureMode(mode, style_.measure_line_width, style_.measure_font_size,
                         style_.measure_data_decimal, style_.measure_line_color,
                         style_.measure_font_color, name, measure_unit_, measure_mag_, length,
                         calibration);
}

void MeasureActions::measureAction(int mode)
{
    if (!isavailable_() || mode < kLineTool || mode > kTextTool)
        return;
    if (!(measure_mag_ > 0)) {
        prompt_.alert(kCalibrateFirst);
        return;
    }
    setMode(mode, QString(), measure_length_, false);
    if (mode == kContinuousLineTool || mode == kPolygonTool)
        Q_EMIT statusTextChanged(kCtrlClickHint);
}

void MeasureActions::undoAction()
{
    if (isavailable_())
        view_.deleteshape(0);
}

void MeasureActions::deleteAction()
{
    if (isavailable_())
        view_.deleteshape(1);
}

void MeasureActions::redoAction()
{
    if (isavailable_())
        view_.deleteshape(2);
}

void MeasureActions::overlayAction(int kind)
{
    if (!isavailable_())
        return;
    if (!(measure_mag_ > 0)) {
        prompt_.alert(kCalibrateFirst);
        return;
    }
    if (view_.overlay().bJGridAvailable() != 0) {
        showOverlay(0);
        return;
    }
    pendingGridKind_ = kind;
    bMSGridAvailable_ = 1;
    Q_EMIT gridPanelVisibleChanged(true);
}

void MeasureActions::crosshairAction()
{
    if (!isavailable_())
        return;
    showOverlay(view_.overlay().bJGridAvailable() == kCrosshairKind ? 0 : kCrosshairKind);
}

void MeasureActions::showOverlay(int kind)
{
    view_.showGridView(kind, style_.measure_line_width, style_.measure_font_size,
                       style_.measure_data_decimal, style_.measure_line_color,
                       style_.measure_font_color,
                       kind == kScaleKind ? QStringLiteral("mm") : measure_unit_, mGridViewLength_,
                       measure_mag_, measure_length_);
}

void MeasureActions::gridPanelOk(const QString &text)
{
    if (text.isEmpty()) {
        prompt_.alert(kIllegalValue);
        return;
    }
    mGridViewLength_ = leadingDecimal(text);
    showOverlay(pendingGridKind_);
    gridPanelCancel();
}

void MeasureActions::gridPanelCancel()
{
    bMSGridAvailable_ = 0;
    Q_EMIT gridPanelVisibleChanged(false);
}

void MeasureActions::setLineWidth(int width)
{
    if (isavailable_())
        style_.measure_line_width = width;
}

void MeasureActions::setFontSize(int size)
{
    if (isavailable_())
        style_.measure_font_size = size;
}

void MeasureActions::setDataDecimal(int decimals)
{
    if (isavailable_())
        style_.measure_data_decimal = decimals;
}

void MeasureActions::setLineColor(const QColor &color)
{
    if (isavailable_())
        style_.measure_line_color = color;
}

void MeasureActions::setFontColor(const QColor &color)
{
    if (isavailable_())
        style_.measure_font_color = color;
}

void MeasureActions::addNewCalibration()
{
    view_.setupInitVideoView();
    if (isavailable_())
        Q_EMIT calibrationSheetRequested();
}

void MeasureActions::useCalibration(const QString &name, const QString &unit, float unitLength,
                                    float magnification)
{
    if (!isavailable_())
        return;
    calibrationName_ = name;
    measure_unit_ = unit;
    measure_length_ = unitLength;
    measure_mag_ = magnification;
    setMode(kNoTool, QString(), measure_length_, false);
}

void MeasureActions::PassValue(const UserEntity &value, int type)
{
    switch (type) {
    case kReportCalibrationSheet:
        calibrationName_ = value.Param1;
        measure_mag_ = leadingDecimal(value.Param2);
        measure_length_ = leadingDecimal(value.Param3);
        measure_unit_ = value.Param4;
        setMode(kLineTool, calibrationName_, measure_length_, true);
        break;
    case kReportCalibrationStored:
        calibrationName_ = value.Param1;
        measure_mag_ = leadingDecimal(value.Param2);
        measure_length_ = leadingDecimal(value.Param3);
        measure_unit_ = value.Param4;
        Q_EMIT calibrationAdded(value.Param5);
        break;
    case kReportClearStatus:
        Q_EMIT statusTextChanged(QString());
        break;
    default:
        break;
    }
}

float MeasureActions::leadingDecimal(const QString &text)
{
    QByteArray bytes = text.trimmed().toLatin1();
    if (bytes.startsWith('+'))
        bytes.remove(0, 1);
    const char *begin = bytes.constData();
    const char *end = begin + bytes.size();
    // Only digits make a number: no "inf" or "nan" spelled out.
    const char *first = begin + (begin != end && *begin == '-');
    if (first == end || !(std::isdigit(static_cast<unsigned char>(*first)) || *first == '.'))
        return 0;
    float value = 0;
    const auto result = std::from_chars(begin, end, value, std::chars_format::general);
    return result.ec == std::errc() ? value : 0.0f;
}

} // namespace quelmar::viewer
