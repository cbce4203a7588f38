// Painting the live marks: the stored live shapes in their own pens and fonts, the shape in
// progress in the tool's pen with red value labels, and the three overlays. The positions
// come from live_geometry and overlay_geometry; this file only draws them, onto a surface.
#pragma once

#include "measure/graph.h"
#include "measure/live_geometry.h"
#include "measure/mark_surface.h"
#include "measure/overlay_geometry.h"

#include <QPointF>
#include <QSize>

namespace quelmar::station {

// The shape being drawn: the clicked points followed by the point that follows the cursor,
// and once measured its values with the label point at the cursor.
struct LiveProgress {
    LiveTool tool = LiveTool::None;
    QVector<QPoint> points;
    bool measured = false;
    QVector<QString> values;
    QVector<QString> units;
    QPoint labelPoint;
    std::int32_t penWidth = 1;
    std::int32_t penStyle = 0;
    ColorRef lineColor = kRed;
    LogFont labelFont;
    std::int32_t labelLineHeight = 12;

    bool isEmpty() const { return tool == LiveTool::None || points.isEmpty(); }
};

// A stored live shape, every coordinate times its zoom and truncated toward zero; false when
// the shape has too few points for its kind and was skipped.
bool drawLiveShape(MarkSurface &surface, const CGraph &shape, QPointF zoom);
void drawLiveProgress(MarkSurface &surface, const LiveProgress &progress, QPointF zoom);

// The overlays that are on, over an area of `area` pixels: on the live picture in preview
// pixels, on a still in frame pixels with the steps times `overlayScale`.
void drawOverlays(MarkSurface &surface, const OverlayState &state, QSize area, bool still,
                  double overlayScale);

// Everything the live view draws, in its order: the shape in progress and the stored shapes
// at `shapeZoom`, then the overlays.
struct LiveScene {
    const ShapeList *shapes = nullptr;
    LiveProgress progress;
    OverlayState overlays;
};
void drawLivePicture(MarkSurface &surface, const LiveScene &scene, QSize area, QPointF shapeZoom);
// A still: the overlays in frame coordinates first, then the shapes at the still's zooms.
void drawStillMarks(MarkSurface &surface, const LiveScene &scene, QSize frame, double overlayScale,
                    QPointF shapeZoom);

} // namespace quelmar::station
