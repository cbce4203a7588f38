// LiveMeasure: measuring on the live picture. The tool buttons, the calibration button, undo,
// redo, delete all and the three overlay switches, and the clicks that build each live
// shape, with no widget of its own: the main window forwards commands and mouse positions,
// the capture thread reads only the published marks, and a still asks it to burn the marks.
#pragma once

#include "measure/graph.h"
#include "measure/live_geometry.h"
#include "measure/live_marks.h"
#include "measure/overlay_geometry.h"

#include <QImage>
#include <QPointF>
#include <QSize>

#include <functional>
#include <optional>

namespace quelmar::station {

class Language;
class MeasureScale;
class Prompt;
struct StationSettings;

// The message for an overlay whose marks would be less than a pixel apart, and its default.
inline constexpr char kOverlayTooFineKey[] = "OverlayTooFine";
inline constexpr char kOverlayTooFineText[] =
    "At this scale the marks of this overlay would be less than one pixel apart.";

class LiveMeasure {
public:
    struct Context {
        MeasureScale *scale = nullptr;
        const StationSettings *settings = nullptr; // pen, colours, unit, decimals
        const LogFont *labelFont = nullptr;
        Prompt *prompt = nullptr;
        const Language *language = nullptr;
        QString messageTitle;
        std::function<int()> sensorClass;
        std::function<QSize()> captureSize;
        std::function<bool()> connected;
        // The calibration dialog: the actual distance in `unit`, or nothing after Cancel.
        std::function<std::optional<double>(const QString &unit)> askActualDistance;
        // A calibration produced a new scale (the main window's message 0x8009).
        std::function<void()> calibrated;
        // Holds the pointer from a shape's first click to its end, and lets it go.
        std::function<void(bool hold)> captureMouse;
    };

    explicit LiveMeasure(Context context);
    LiveMeasure(const LiveMeasure &) = delete;
    LiveMeasure &operator=(const LiveMeasure &) = delete;

    // The ten tool buttons, Calibration, Undo, Redo, Delete All and the three overlay
    // commands; false for any other command.
    bool command(int id);

    // The live point of a mouse position in the main window's client area (in full screen
    // the preview covers it from (0, 0)): nothing outside the live area, except that while a
    // shape is in progress the point is held at the area's edge.
    std::optional<QPoint> livePoint(QPoint client) const;
    // Mouse input in live points.
    void press(QPoint live);
    void doubleClick(QPoint live);
    void move(QPoint live);
    void rightButton();

    // The preview's size and the drawing zooms: 640 x 480 at 1.0, or the screen in full
    // screen, where entering discards a half-drawn shape and lets the pointer go.
    void setView(QSize area, QPointF zoom, bool fullScreen);
    // Closing: both lists are emptied.
    void clear();

    LiveTool tool() const { return LiveTool(draw_.liveTool); }
    bool isCalibrating() const { return calibrating_; }
    bool inProgress() const { return !draw_.points.isEmpty(); }
    // The tool button shown pressed, 0 for none.
    int pressedButton() const;
    // Other commands show every tool button released; the tool itself stays.
    void showButtonsReleased() { buttonsShownReleased_ = true; }
    const ShapeList &shapes() const { return shapes_; }
    const ShapeList &redoList() const { return redo_; }
    int sequenceCounter() const { return sequence_; }
    const OverlayState &overlays() const { return overlays_; }
    const CDrawGraph &drawGraph() const { return draw_; }
    QPointF zoom() const { return zoom_; }

    // Burns the overlays (in frame coordinates, steps times `overlayScale`) and then the live
    // shapes (each live point times `shapeZoom`) into a still.
    void drawStill(QImage &picture, double overlayScale, QPointF shapeZoom) const;
    // What the capture thread draws over each preview frame.
    const LiveMarksChannel &marks() const { return channel_; }

private:
    void selectTool(LiveTool tool, bool calibrating, int button);
    bool chooseScale(bool calibrating);
    void switchOverlay(int id);
    void undo();
    void redo();
    void warn(const QString &key, const QString &fallback);

    MeasureUnits units() const;
    void startShape(QPoint live);
    void measureClick(QPoint live);
    void addVertex(QPoint live);
    void finishShape(QPoint label);
    void finishContinuousLine();
    void calibrate(CGraph &line);
    void discardProgress();
    LiveProgress progress() const;
    LiveScene scene() const;
    void publish();

    Context c_;
    CDrawGraph draw_;       // the tool, its pen, the clicked points and measured values
    QVector<QPoint> extra_; // points the measuring click derived (foot, centre)
    std::optional<QPoint> cursor_;
    bool measured_ = false; // values known: the next click places the label
    bool calibrating_ = false;
    bool buttonsShownReleased_ = false;
    ShapeList shapes_;
    ShapeList redo_;
    int sequence_ = 0; // the live shapes' numbers: never reset during a run
    OverlayState overlays_;
    QSize area_ = kLiveSize;
    QPointF zoom_{1.0, 1.0};
    bool fullScreen_ = false;
    LiveMarksChannel channel_;
};

} // namespace quelmar::station
