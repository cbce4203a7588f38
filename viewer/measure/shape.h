// The measurement view's shape record and the style a shape is drawn with. Points are in view
// coordinates with y growing upwards from the view's lower edge, as the view's model keeps them.
#pragma once

#include <QColor>
#include <QPointF>
#include <QString>

#include <array>

namespace quelmar::viewer {

// The tools, numbered as the controller's toolbar selects them.
enum MeasureMode : int {
    kNoTool = 0,
    kLineTool = 1,
    kContinuousLineTool = 2,
    kPointToLineTool = 3,
    kRadiusCircleTool = 4,
    kDiameterCircleTool = 5,
    kThreePointCircleTool = 6,
    kThreePointArcTool = 7,
    kThreePointAngleTool = 8,
    kFourPointAngleTool = 9,
    kPolygonTool = 10,
    kTextTool = 11,
};

struct MeasureStyle {
    int measure_line_width = 2;
    int measure_font_size = 16;
    int measure_data_decimal = 3;
    QColor measure_line_color{Qt::red};
    QColor measure_font_color{Qt::red};

    bool operator==(const MeasureStyle &) const = default;
};

struct Shape {
    static constexpr int kPointCount = 10;
    static constexpr int kMaxPolyPoints = 9;

    int type = kNoTool;
    // m_first_point ... m_ten_point; points a tool does not place stay (0, 0).
    std::array<QPointF, kPointCount> points{};
    MeasureStyle style;
    // measure_data1 ... measure_data4: values in picture points (areas in points squared,
    // angles in degrees).
    std::array<float, 4> measure_data{};
    // AuxiliaryVariable1 ... AuxiliaryVariable9: a polyline's segment lengths, an arc's point
    // angles.
    std::array<float, 9> AuxiliaryVariable{};
    QString textValue;
    // Points of a polyline or polygon.
    int m_cline_auvariable = 0;
};

} // namespace quelmar::viewer
