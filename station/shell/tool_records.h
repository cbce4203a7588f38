// The main window's 25 tool records (command, tooltip key and default, picture) in tooltip
// order, and the ten live measuring-tool buttons.
#pragma once

#include "base/command_ids.h"

namespace quelmar::station {

struct ToolRecord {
    int command;
    const char *tipKey;
    const char *tipDefault;
    const char *icon;
};

// The 25 tool records in tooltip order.
inline constexpr ToolRecord kToolRecords[] = {
    {cmd::Preview, "Preview", "Preview", "preview"},
    {cmd::TakePicture, "TakePicture", "Camera", "camera"},
    {cmd::TakeVideo, "TakeVideo", "Recording Video", "record"},
    {cmd::TimeLapse, "TaketimelapsedPictures", "Timer", "timer"},
    {cmd::SaveAs, "TipSave", "Save as", "save"},
    {cmd::EMail, "EMail", "E-Mail", "email"},
    {cmd::HorizontalMirror, "TipHorMirror", "Horizontal Mirror", "hmirror"},
    {cmd::VerticalMirror, "TipVerMirror", "Vertical Mirror", "vmirror"},
    {cmd::Negative, "TipNegative", "Negative", "negative"},
    {cmd::BinarySegmentation, "TipBinarysegmentation", "Binary Segmentation", "binary"},
    {cmd::RgbDisplay, "TipRGB", "RGB Display", "rgb"},
    {cmd::RedDisplay, "TipRED", "Red Display", "red"},
    {cmd::GreenDisplay, "TipGreen", "Green Display", "green"},
    {cmd::BlueDisplay, "TipBlue", "Blue Display", "blue"},
    {cmd::ToolLine, "TipStraightLine", "Line Measurement", "line"},
    {cmd::ToolContinuousLine, "TipContinuousLine", "Continuous Line Measurement", "polyline"},
    {cmd::ToolPointToLine, "TipDotLine", "Point to Line Measurement", "point_line"},
    {cmd::ToolPolygon, "TipPolygon", "Polygon measrement", "polygon"},
    {cmd::ToolRadiusCircle, "TipRCircle", "Radius of Circle Measurement", "circle_radius"},
    {cmd::ToolDiameterCircle, "TipDCircle", "Diameter of Circle Measurement", "circle_diameter"},
    {cmd::ToolThreePointCircle, "TipTCircle", "Three Points Circle Measurement", "circle_3pt"},
    {cmd::ToolThreePointArc, "TipTArc", "Three Points Arc Measurement", "arc_3pt"},
    {cmd::ToolThreePointAngle, "TipTAngle", "Three Points Angle Measurement", "angle_3pt"},
    {cmd::ToolFourPointAngle, "TipFAngle", "Four Points Angle Measurement", "angle_4pt"},
    {cmd::Calibration, "Calibration", "Calibration", "calibration"},
};

inline constexpr int kLiveToolButtons[] = {cmd::ToolLine,
                                           cmd::ToolContinuousLine,
                                           cmd::ToolPointToLine,
                                           cmd::ToolPolygon,
                                           cmd::ToolRadiusCircle,
                                           cmd::ToolDiameterCircle,
                                           cmd::ToolThreePointCircle,
                                           cmd::ToolThreePointArc,
                                           cmd::ToolThreePointAngle,
                                           cmd::ToolFourPointAngle};

} // namespace quelmar::station
