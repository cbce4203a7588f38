// PhotoTools: the photo canvas without its widget. The tool the photo window chose, the clicks
// that build each shape, the double click and the right button, selecting, deleting, moving
// and adjusting shapes, the Text shape, and what the paint pass draws inverted over the
// picture. Positions come in window pixels; shapes keep working-picture pixels.
#pragma once

#include "measure/geometry.h"
#include "measure/graph.h"
#include "measure/shape_create.h"

#include <QPainterPath>
#include <QPen>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace quelmar::station {

class Language;
class MeasureScale;
class Prompt;

enum class PhotoTool : std::int32_t {
    Line = 0,
    RadiusCircle = 1,
    Rectangle = 2,
    Text = 3,
    Select = 4,
    ThreePointAngle = 5,
    ContinuousLine = 6,
    Polygon = 7,
    DiameterCircle = 8,
    ThreePointCircle = 9,
    FourPointAngle = 10,
    None = 11,
};

// The measure flag of a tool: a measuring tool, a drawing tool, or neither (Select, none).
inline constexpr int kDrawingTool = 0;
inline constexpr int kMeasuringTool = 1;
inline constexpr int kNeitherTool = 11;

// One degree of a rectangle's rotation, from the constant the formulas use.
inline constexpr double kRotationStep = 3.1415926 / 180;

// The six rectangle adjustment buttons.
enum class Adjust { Left = 0, Top = 1, Right = 2, Bottom = 3, RotateMore = 4, RotateLess = 5 };

// What the paint pass draws inverted over the picture (the pen's colour NOT-XOR the screen).
struct RubberBand {
    QPainterPath path;
    QPen pen;
    bool isEmpty() const { return path.isEmpty(); }
};

class PhotoTools {
public:
    struct Context {
        Prompt *prompt = nullptr;
        const Language *language = nullptr;
        QString messageTitle;
        MeasureScale *scale = nullptr; // the scale a calibration replaces
        // The pixel factor, scale, unit and decimals of a value computed now.
        std::function<MeasureUnits()> units;
        // The calibration dialog: the actual distance in `unit`, or nothing after Cancel.
        std::function<std::optional<double>(const QString &unit)> askActualDistance;
        // A calibration produced a new scale.
        std::function<void()> calibrated;
        // Holds the pointer from a shape's first click to its end, and lets it go.
        std::function<void(bool hold)> holdMouse;
        // The shapes changed (added, deleted, moved, adjusted, a label placed).
        std::function<void()> edited;
        // A rectangle's values were recomputed: the measurement list shows them again.
        std::function<void()> valuesChanged;
    };
    // How the working picture is shown: its size, the client area, zoom and scroll origin.
    struct View {
        QSize working{640, 480};
        QSize client{640, 480};
        double zoom = 1.0;
        QPoint origin;
    };
    // The pen and fonts new shapes are drawn with, copied from the settings.
    struct Style {
        ShapeStyle shape;
        LogFont textFont;
        ColorRef textColor = kRed;
    };

    explicit PhotoTools(Context context);
    PhotoTools(const PhotoTools &) = delete;
    PhotoTools &operator=(const PhotoTools &) = delete;

    void setView(const View &view);
    const View &view() const { return view_; }
    void setStyle(const Style &style) { style_ = style; }
    const Style &style() const { return style_; }

    // The photo window's commands. Choosing a tool ends a shape in progress (one waiting for
    // its label keeps it where it was last clicked) and the move mode.
    void setTool(PhotoTool tool, int measureFlag);
    void setMultiSelect(bool on);
    void setCalibrationMode(bool on);
    PhotoTool tool() const { return tool_; }
    int measureFlag() const { return measureFlag_; }
    bool multiSelect() const { return multiSelect_; }
    bool isCalibrating() const { return calibrating_; }

    // Mouse input in window pixels. A press outside the shown picture is ignored, except
    // while a shape is in progress: the point is then held at the picture's edge.
    void press(QPoint window);
    void move(QPoint window);
    void doubleClick(QPoint window);
    void rightButton();

    // Delete: every selected shape, last first, each after "SureDelete"; "SelectImage" when
    // none is selected.
    void deleteSelected();
    // Move: the next click carries the selected shape so that the midpoint of its first two
    // points lands there; "SelectImage" when none is selected. False when nothing moves.
    bool startMove();
    bool isMoving() const { return moving_; }
    // The kind of the shape being moved (None when not moving).
    ShapeKind movingKind() const;
    // A Text shape at the most recent click, and the Text tool; "EnterText" for an empty one.
    bool setText(const QString &text);
    // The rectangle the adjustment buttons act on, or null when none is selected.
    CGraph *adjustable() const;
    void adjust(Adjust button);

    ShapeState &shapes() { return shapes_; }
    const ShapeList &list() const { return shapes_.photoShapes; }
    bool inProgress() const;
    // Whether the shape in progress holds the pointer.
    bool holdsMouse() const { return holding_; }
    // The continuous line being drawn, as a shape with the current pen (null when none).
    std::unique_ptr<CGraph> continuousLineDraft() const;
    RubberBand band() const;
    // The picture as shown, in window pixels: clicks are accepted inside it.
    QRect shownRect() const;
    // Rises with every change to the shapes (the saved flag) and with every change of what
    // the paint pass draws from the model (selection, drafts).
    std::uint64_t revision() const { return revision_; }
    std::uint64_t sceneRevision() const { return sceneRevision_; }
    QPoint lastClick() const { return lastClick_; }

private:
    // photo_tools.cpp: the click protocols.
    MeasureUnits units() const;
    CreateContext createContext();
    QPointF toPictureF(QPoint window) const;
    QPoint toWindow(QPointF picture) const;
    QPoint held(QPoint window) const;
    void begin(QPoint window);
    void clickShape(QPoint window);
    void addShape(std::unique_ptr<CGraph> shape, qsizetype labelIndex);
    void placeLabel(QPoint window);
    void clickContinuousLine(QPoint window);
    void finishContinuousLine();
    void finishPolygon(QPoint window);
    void calibrate(CGraph &line, QPointF start, QPointF end);
    void endProgress();
    void hold(bool on);
    void warn(const char *key, const char *fallback);
    void edited();
    void sceneChanged() { ++sceneRevision_; }
    // photo_tools_edit.cpp: selecting, moving, adjusting, the rubber band.
    void select(QPoint window);
    bool hits(const CGraph &shape, QPointF window, bool fourPointAngles) const;
    bool contains(const CGraph *shape) const;
    void finishMove(QPoint window);
    QPointF moveDelta() const;
    void addProgressBand(QPainterPath &path) const;

    Context c_;
    View view_;
    Style style_;
    ShapeState shapes_;
    PhotoTool tool_ = PhotoTool::None;
    int measureFlag_ = kNeitherTool;
    bool multiSelect_ = false;
    bool calibrating_ = false;

    // The shape in progress: the clicked picture points (unrounded), a measured shape that
    // waits for its label click, and the pointer's last position.
    QVector<QPointF> clicks_;
    CGraph *labelled_ = nullptr;
    qsizetype labelIndex_ = -1;
    std::optional<QPoint> cursor_;
    bool holding_ = false; // the pointer is held for the shape in progress
    // The continuous line: one label point per finished segment; whether the segment just
    // ended waits for its label, and whether the last press added a vertex (the first press
    // of a double click, which the double click takes back).
    QVector<QPoint> segmentLabels_;
    bool segmentLabelPending_ = false;
    bool pressAddedVertex_ = false;

    // Shapes remembered by address are looked up in the list before every use.
    bool moving_ = false;
    CGraph *moved_ = nullptr;
    CGraph *firstSelected_ = nullptr; // the two most recent four-point angles
    CGraph *secondSelected_ = nullptr;
    CGraph *adjustable_ = nullptr;
    QPoint lastClick_;
    std::uint64_t revision_ = 0;
    std::uint64_t sceneRevision_ = 0;
};

} // namespace quelmar::station
