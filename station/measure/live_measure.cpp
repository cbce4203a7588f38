#include "measure/live_measure.h"

#include "base/command_ids.h"
#include "base/language.h"
#include "base/prompt.h"
#include "base/station_settings.h"
#include "measure/bgr_mark_surface.h"
#include "measure/calibration.h"
#include "measure/drawing_styles.h"
#include "measure/shape_create.h"

#include <QPainter>

#include <cmath>

namespace quelmar::station {

LiveMeasure::LiveMeasure(Context context) : c_(std::move(context))
{
    publish();
}

bool LiveMeasure::command(int id)
{
    if (const LiveTool t = liveToolForButton(id); t != LiveTool::None) {
        selectTool(t, false, id);
        return true;
    }
    switch (id) {
    case cmd::Calibration:
        selectTool(LiveTool::Line, true, id);
        return true;
    case cmd::LiveUndo:
        buttonsShownReleased_ = true;
        undo();
        return true;
    case cmd::LiveRedo:
        buttonsShownReleased_ = true;
        redo();
        return true;
    case cmd::LiveDeleteAll:
        buttonsShownReleased_ = true;
        shapes_.removeAll();
        redo_.removeAll();
        publish();
        return true;
    case cmd::Crosshair:
    case cmd::ScaleLine:
    case cmd::CircleGrid:
        buttonsShownReleased_ = true;
        switchOverlay(id);
        return true;
    default:
        return false;
    }
}

int LiveMeasure::pressedButton() const
{
    if (buttonsShownReleased_ || tool() == LiveTool::None)
        return 0;
    return calibrating_ ? cmd::Calibration : buttonForLiveTool(tool());
}

void LiveMeasure::warn(const QString &key, const QString &fallback)
{
    if (c_.prompt)
        c_.prompt->message(c_.messageTitle,
                           c_.language ? c_.language->text(key, fallback) : fallback,
                           PromptIcon::Warning);
}

bool LiveMeasure::chooseScale(bool calibrating)
{
    if (c_.scale && c_.scale->choose(calibrating))
        return true;
    warn(QStringLiteral("EnterRate"), QStringLiteral("Please input the zoomIn scale!"));
    return false;
}

void LiveMeasure::selectTool(LiveTool t, bool calibrating, int button)
{
    if (!chooseScale(calibrating))
        return;
    const bool wasPressed = pressedButton() == button;
    discardProgress();
    buttonsShownReleased_ = false;
    if (wasPressed) {
        draw_.liveTool = 0;
        calibrating_ = false;
    } else {
        draw_.liveTool = std::int32_t(t);
        calibrating_ = calibrating;
        draw_.penWidth = std::int32_t(c_.settings->lineWidth);
        draw_.penStyle = std::int32_t(c_.settings->lineType);
        draw_.lineColor = c_.settings->lineColor;
    }
    publish();
}

void LiveMeasure::switchOverlay(int id)
{
    if (!c_.connected || !c_.connected())
        return;
    OverlayState next = overlays_;
    if (id == cmd::Crosshair) {
        next.crosshair = !next.crosshair;
    } else {
        bool &on = id == cmd::ScaleLine ? next.scaleLine : next.circleGrid;
        if (on) {
            on = false;
        } else {
            if (!chooseScale(false))
                return;
            const MeasureUnits u = units();
            next.pixelsPerUnit = pixelsPerUnit(u.scale, u.pixelFactor);
            next.referenceMagnification = u.scale;
            next.unit = u.unit;
            on = true;
            // Marks closer than a pixel would never end their drawing loops: refused.
            const double perLabel = pixelsPerLabel(next);
            const bool fine = (next.scaleLine &&
                               scaleLineTickDistance(perLabel, next.referenceMagnification) < 1) ||
                              (next.circleGrid && circleGridStep(perLabel) < 1);
            if (fine) {
                warn(QString::fromLatin1(kOverlayTooFineKey),
                     QString::fromLatin1(kOverlayTooFineText));
                return;
            }
        }
    }
    overlays_ = next;
    publish();
}

void LiveMeasure::undo()
{
    if (std::unique_ptr<CGraph> shape = shapes_.take(shapes_.count() - 1))
        redo_.add(std::move(shape));
    publish();
}

void LiveMeasure::redo()
{
    if (std::unique_ptr<CGraph> shape = redo_.take(redo_.count() - 1))
        shapes_.add(std::move(shape));
    publish();
}

std::optional<QPoint> LiveMeasure::livePoint(QPoint client) const
{
    QPoint p = client;
    if (fullScreen_ && zoom_.x() > 0 && zoom_.y() > 0)
        p = QPoint(int(client.x() / zoom_.x()), int(client.y() / zoom_.y())) + kLiveOrigin;
    if (inProgress())
        return clampToLiveArea(p);
    return liveAreaPoint(p);
}

MeasureUnits LiveMeasure::units() const
{
    MeasureUnits u;
    u.unit = c_.settings->unit;
    u.decimals = int(c_.settings->decimal);
    // The live area is the 640 x 480 working picture: no resolution ratio.
    u.pixelFactor = pixelFactor(c_.sensorClass ? c_.sensorClass() : 0,
                                c_.captureSize ? c_.captureSize() : QSize(), u.unit, false);
    u.scale = c_.scale ? c_.scale->scale() : 0;
    return u;
}

void LiveMeasure::startShape(QPoint live)
{
    draw_.points = {live};
    cursor_ = live;
    if (c_.captureMouse)
        c_.captureMouse(true);
}

void LiveMeasure::press(QPoint live)
{
    if (tool() == LiveTool::None)
        return;
    if (measured_) {
        finishShape(live);
        return;
    }
    if (draw_.points.isEmpty()) {
        startShape(live);
        publish();
        return;
    }
    const qsizetype n = draw_.points.size();
    switch (tool()) {
    case LiveTool::Line:
    case LiveTool::RadiusCircle:
    case LiveTool::DiameterCircle:
        measureClick(live);
        break;
    case LiveTool::PointToLine:
    case LiveTool::ThreePointCircle:
    case LiveTool::ThreePointArc:
    case LiveTool::ThreePointAngle:
        if (n >= 2)
            measureClick(live);
        else if (live != draw_.points[0]) // a repeated point gives no line, circle or arm
            draw_.points << live;
        break;
    case LiveTool::FourPointAngle:
        if (n >= 3)
            measureClick(live);
        else
            draw_.points << live;
        break;
    case LiveTool::ContinuousLine:
    case LiveTool::Polygon:
        addVertex(live);
        break;
    case LiveTool::None:
        break;
    }
    cursor_ = live;
    publish();
}

void LiveMeasure::addVertex(QPoint live)
{
    if (tool() == LiveTool::ContinuousLine) {
        const Measured m = measureLine(draw_.points.constLast(), live, units());
        draw_.values += m.values;
        draw_.units += m.units;
    }
    draw_.points << live;
}

void LiveMeasure::measureClick(QPoint live)
{
    const MeasureUnits u = units();
    const QVector<QPoint> &p = draw_.points;
    std::optional<Measured> m;
    QVector<QPoint> extra;
    switch (tool()) {
    case LiveTool::Line:
        m = measureLine(p[0], live, u);
        break;
    case LiveTool::RadiusCircle:
        m = measureRadiusCircle(p[0], live, u);
        break;
    case LiveTool::DiameterCircle:
        m = measureDiameterCircle(p[0], live, u);
        break;
    case LiveTool::PointToLine: {
        const PointToLine r = pointToLine(p[0], p[1], live);
        extra = {r.foot};
        m = measurePointToLine(r, u);
        break;
    }
    case LiveTool::ThreePointCircle:
        if (const std::optional<QPointF> centre = circumcentre(p[0], p[1], live)) {
            extra = {truncated(*centre)};
            m = measureThreePointCircle(p[0], p[1], live, u);
        }
        break;
    case LiveTool::ThreePointArc:
        if (const std::optional<ThreePointArc> arc = threePointArc(p[0], p[1], live)) {
            extra = {arc->centre};
            m = measureThreePointArc(*arc, u);
        }
        break;
    case LiveTool::ThreePointAngle:
        m = measureThreePointAngle(p[0], p[1], live);
        break;
    case LiveTool::FourPointAngle:
        m = measureFourPointAngle(p[0], p[1], p[2], live);
        break;
    case LiveTool::ContinuousLine:
    case LiveTool::Polygon:
    case LiveTool::None:
        break;
    }
    if (!m)
        return; // no value from these points: the click is refused, the shape goes on
    draw_.points << live;
    draw_.values = m->values;
    draw_.units = m->units;
    extra_ = extra;
    measured_ = true;
}

void LiveMeasure::doubleClick(QPoint live)
{
    // Only the continuous line and the polygon end on a double click; for the others, and
    // once the polygon waits for its label, the press before it was the click.
    const LiveTool t = tool();
    if ((t != LiveTool::ContinuousLine && t != LiveTool::Polygon) || measured_ ||
        draw_.points.isEmpty())
        return;
    // The first click of the double click has already placed this vertex.
    if (draw_.points.constLast() != live)
        addVertex(live);
    if (draw_.points.size() < 2)
        return;
    if (t == LiveTool::ContinuousLine) {
        finishContinuousLine();
        return;
    }
    const Measured m = measurePolygon(draw_.points, units());
    draw_.values = m.values;
    draw_.units = m.units;
    measured_ = true;
    cursor_ = live;
    publish();
}

void LiveMeasure::move(QPoint live)
{
    cursor_ = live;
    if (inProgress())
        publish();
}

void LiveMeasure::rightButton()
{
    discardProgress();
    calibrating_ = false;
    buttonsShownReleased_ = false;
    draw_.liveTool = 0;
    publish();
}

void LiveMeasure::discardProgress()
{
    const bool held = inProgress();
    draw_.points.clear();
    draw_.values.clear();
    draw_.units.clear();
    extra_.clear();
    measured_ = false;
    cursor_.reset();
    if (held && c_.captureMouse)
        c_.captureMouse(false);
}

void LiveMeasure::finishShape(QPoint label)
{
    const QVector<QPoint> &p = draw_.points;
    QVector<QPoint> points;
    switch (tool()) {
    case LiveTool::ThreePointCircle:
        points = {extra_.value(0), p[1]};
        break;
    case LiveTool::PointToLine:
    case LiveTool::ThreePointArc:
        points = p + extra_;
        break;
    default:
        points = p;
        break;
    }
    points << label;
    auto shape = newShape(draw_.liveTool, livePrefix(tool()),
                          shapeStyle(*c_.settings, *c_.labelFont), ++sequence_);
    shape->points = std::move(points);
    shape->values = draw_.values;
    shape->units = draw_.units;
    const bool calibration = calibrating_ && tool() == LiveTool::Line;
    CGraph &added = shapes_.add(std::move(shape));
    discardProgress();
    if (calibration)
        calibrate(added);
    publish();
}

void LiveMeasure::finishContinuousLine()
{
    // Each segment's label stands at the vertex that ends it: v0, v1, v1, v2, v2, ...
    QVector<QPoint> points{draw_.points[0]};
    for (qsizetype i = 1; i < draw_.points.size(); ++i)
        points << draw_.points[i] << draw_.points[i];
    auto shape = newShape(draw_.liveTool, livePrefix(tool()),
                          shapeStyle(*c_.settings, *c_.labelFont), ++sequence_);
    shape->points = std::move(points);
    shape->values = draw_.values;
    shape->units = draw_.units;
    shapes_.add(std::move(shape));
    discardProgress();
    publish();
}

void LiveMeasure::calibrate(CGraph &line)
{
    const MeasureUnits u = units();
    const double dx = line.points[1].x() - line.points[0].x();
    const double dy = line.points[1].y() - line.points[0].y();
    const double pixelLength = std::sqrt(dx * dx + dy * dy);
    // The line shows no value until the dialog has been answered.
    line.values = {QString()};
    line.units = {u.unit};
    publish();
    const std::optional<double> actual =
        c_.askActualDistance ? c_.askActualDistance(u.unit) : std::nullopt;
    const MeasureScale::Calibrated result =
        c_.scale->finishCalibration(pixelLength, u.pixelFactor, actual, u.decimals);
    calibrating_ = false;
    for (qsizetype i = 0; i < shapes_.count(); ++i)
        if (shapes_.at(i) == &line) // still there after the dialog's event loop
            line.values = {result.lineValue};
    if (result.refused)
        warn(QString::fromLatin1(kCalibrationUnusableKey),
             QString::fromLatin1(kCalibrationUnusableText));
    else if (actual && c_.calibrated)
        c_.calibrated();
}

void LiveMeasure::setView(QSize area, QPointF zoom, bool fullScreen)
{
    if (fullScreen && !fullScreen_)
        discardProgress();
    area_ = area;
    zoom_ = zoom;
    fullScreen_ = fullScreen;
    publish();
}

void LiveMeasure::clear()
{
    discardProgress();
    shapes_.removeAll();
    redo_.removeAll();
    publish();
}

LiveProgress LiveMeasure::progress() const
{
    LiveProgress pr;
    pr.tool = tool();
    pr.points = draw_.points;
    if (!measured_ && cursor_ && !pr.points.isEmpty())
        pr.points << *cursor_;
    pr.measured = measured_;
    pr.values = draw_.values;
    pr.units = draw_.units;
    pr.labelPoint = cursor_.value_or(pr.points.isEmpty() ? QPoint() : pr.points.constLast());
    pr.penWidth = draw_.penWidth;
    pr.penStyle = draw_.penStyle;
    pr.lineColor = draw_.lineColor;
    pr.labelFont = *c_.labelFont;
    pr.labelLineHeight = labelLineHeight(int(c_.settings->fontSize));
    return pr;
}

LiveScene LiveMeasure::scene() const
{
    return {&shapes_, progress(), overlays_};
}

void LiveMeasure::publish()
{
    channel_.publish(std::make_shared<const LiveMarks>(scene(), area_, zoom_));
}

void LiveMeasure::drawStill(QImage &picture, double overlayScale, QPointF shapeZoom) const
{
    if (picture.format() == QImage::Format_BGR888) {
        BgrMarkSurface surface(picture);
        drawStillMarks(surface, scene(), picture.size(), overlayScale, shapeZoom);
        return;
    }
    QPainter painter(&picture);
    PainterMarkSurface surface(painter);
    drawStillMarks(surface, scene(), picture.size(), overlayScale, shapeZoom);
}

} // namespace quelmar::station
