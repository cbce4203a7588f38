#include "measure/photo_tools.h"

#include "base/language.h"
#include "base/prompt.h"
#include "measure/calibration.h"
#include "measure/shape_painter.h"

#include <cmath>

namespace quelmar::station {

namespace {

// How many clicks make each shape's geometry (the continuous line and polygon end on a
// double click instead).
int geometryClicks(PhotoTool tool)
{
    switch (tool) {
    case PhotoTool::Line:
    case PhotoTool::RadiusCircle:
    case PhotoTool::Rectangle:
    case PhotoTool::DiameterCircle:
        return 2;
    case PhotoTool::ThreePointAngle:
    case PhotoTool::ThreePointCircle:
        return 3;
    case PhotoTool::FourPointAngle:
        return 4;
    default:
        return 0;
    }
}

} // namespace

PhotoTools::PhotoTools(Context context) : c_(std::move(context)) {}

void PhotoTools::setView(const View &view)
{
    view_ = view;
    if (!(view_.zoom > 0))
        view_.zoom = 1.0;
    sceneChanged();
}

MeasureUnits PhotoTools::units() const
{
    return c_.units ? c_.units() : MeasureUnits{};
}

CreateContext PhotoTools::createContext()
{
    // A measured shape takes the next number; a drawing has none.
    return {style_.shape, units(), measureFlag_ == kMeasuringTool ? &shapes_.counter : nullptr};
}

QPointF PhotoTools::toPictureF(QPoint window) const
{
    return toPicture(window, view_.zoom, view_.origin);
}

QPoint PhotoTools::toWindow(QPointF picture) const
{
    return truncated((picture - QPointF(view_.origin)) * view_.zoom);
}

QRect PhotoTools::shownRect() const
{
    const int w = int((view_.working.width() - view_.origin.x()) * view_.zoom);
    const int h = int((view_.working.height() - view_.origin.y()) * view_.zoom);
    return QRect(0, 0, std::min(w, view_.client.width()), std::min(h, view_.client.height()));
}

// While a shape is in progress the pointer stays on the shown picture; a radius circle stays
// inside the largest square about its centre that fits there, so the circle stays inside.
QPoint PhotoTools::held(QPoint window) const
{
    QRect r = shownRect();
    if (r.isEmpty())
        return window;
    if (tool_ == PhotoTool::RadiusCircle && clicks_.size() == 1 && !labelled_) {
        const QPoint c = toWindow(clicks_[0]);
        const int half = std::max(0, std::min({c.x() - r.left(), r.right() - c.x(), c.y() - r.top(),
                                               r.bottom() - c.y()}));
        r = QRect(c.x() - half, c.y() - half, 2 * half + 1, 2 * half + 1);
    }
    return {std::clamp(window.x(), r.left(), r.right()),
            std::clamp(window.y(), r.top(), r.bottom())};
}

bool PhotoTools::inProgress() const
{
    return !clicks_.isEmpty() || labelled_ != nullptr;
}

void PhotoTools::setTool(PhotoTool tool, int measureFlag)
{
    // A shape waiting for its label keeps it where it was clicked last.
    if (labelled_)
        edited();
    labelled_ = nullptr;
    endProgress();
    moving_ = false;
    moved_ = nullptr;
    tool_ = tool;
    measureFlag_ = measureFlag;
    calibrating_ = false;
    sceneChanged();
}

void PhotoTools::setMultiSelect(bool on)
{
    if (multiSelect_ == on)
        return;
    multiSelect_ = on;
    firstSelected_ = nullptr;
    secondSelected_ = nullptr;
}

void PhotoTools::setCalibrationMode(bool on)
{
    calibrating_ = on;
}

void PhotoTools::begin(QPoint window)
{
    clicks_ = {toPictureF(window)};
    cursor_ = window;
    hold(true);
}

void PhotoTools::hold(bool on)
{
    if (holding_ == on)
        return;
    holding_ = on;
    if (c_.holdMouse)
        c_.holdMouse(on);
}

void PhotoTools::endProgress()
{
    clicks_.clear();
    segmentLabels_.clear();
    segmentLabelPending_ = false;
    pressAddedVertex_ = false;
    labelled_ = nullptr;
    labelIndex_ = -1;
    cursor_.reset();
    hold(false);
    sceneChanged();
}

void PhotoTools::edited()
{
    ++revision_;
    sceneChanged();
    if (c_.edited)
        c_.edited();
}

void PhotoTools::warn(const char *key, const char *fallback)
{
    if (!c_.prompt)
        return;
    const QString text = c_.language
                             ? c_.language->text(QLatin1String(key), QLatin1String(fallback))
                             : QString::fromLatin1(fallback);
    c_.prompt->message(c_.messageTitle, text, PromptIcon::Warning);
}

void PhotoTools::press(QPoint window)
{
    if (moving_) {
        if (shownRect().contains(window))
            finishMove(window);
        return;
    }
    if (inProgress())
        window = held(window);
    else if (!shownRect().contains(window))
        return;
    lastClick_ = truncated(toPictureF(window));
    cursor_ = window;
    if (labelled_) {
        placeLabel(window);
        return;
    }
    switch (tool_) {
    case PhotoTool::None:
    case PhotoTool::Text: // the click is where the next text goes
        break;
    case PhotoTool::Select:
        select(window);
        break;
    case PhotoTool::ContinuousLine:
    case PhotoTool::Polygon:
        clickContinuousLine(window);
        break;
    default:
        clickShape(window);
        break;
    }
    sceneChanged();
}

void PhotoTools::move(QPoint window)
{
    if (inProgress())
        window = held(window);
    if (cursor_ == window)
        return;
    cursor_ = window;
    if (labelled_) {
        // The label follows the pointer until the click that places it.
        labelled_->setPoint(labelIndex_, truncated(toPictureF(window)));
        sceneChanged();
    } else if (segmentLabelPending_) {
        sceneChanged();
    }
}

void PhotoTools::clickShape(QPoint window)
{
    const QPointF p = toPictureF(window);
    if (clicks_.isEmpty()) {
        begin(window);
        return;
    }
    // A repeated point gives no arm, no circle and no angle.
    if ((tool_ == PhotoTool::ThreePointAngle || tool_ == PhotoTool::ThreePointCircle ||
         tool_ == PhotoTool::FourPointAngle) &&
        truncated(p) == truncated(clicks_.constLast()))
        return;
    if (clicks_.size() + 1 < geometryClicks(tool_)) {
        clicks_ << p;
        return;
    }
    const CreateContext c = createContext();
    QVector<QPoint> q;
    for (const QPointF &click : std::as_const(clicks_))
        q << truncated(click);
    const QPoint last = truncated(p);
    std::unique_ptr<CGraph> shape;
    qsizetype labelIndex = 0;
    switch (tool_) {
    case PhotoTool::Line:
        shape = createLine(clicks_[0], p, c);
        labelIndex = 6;
        break;
    case PhotoTool::RadiusCircle:
        shape = createRadiusCircle(q[0], last, c);
        labelIndex = 2;
        break;
    case PhotoTool::Rectangle:
        shape = createRectangle(q[0], last, c);
        labelIndex = 2;
        break;
    case PhotoTool::DiameterCircle:
        shape = createDiameterCircle(q[0], last, c);
        labelIndex = 3;
        break;
    case PhotoTool::ThreePointAngle:
        shape = createThreePointAngle(q[0], q[1], last, c);
        labelIndex = 3;
        break;
    case PhotoTool::ThreePointCircle:
        // Three points on one line have no circle: the third click is refused.
        shape = createThreePointCircle(q[0], q[1], last, c);
        labelIndex = 4;
        break;
    case PhotoTool::FourPointAngle:
        shape = createFourPointAngle(q[0], q[1], q[2], last, c);
        labelIndex = 4;
        break;
    default:
        break;
    }
    if (!shape)
        return; // these points give no value: the shape goes on
    const bool calibration = calibrating_ && tool_ == PhotoTool::Line && shape->measurement;
    const QPointF start = clicks_[0];
    addShape(std::move(shape), labelIndex);
    if (calibration && labelled_)
        calibrate(*labelled_, start, p);
}

// A measured shape waits for its label click; a drawing is complete.
void PhotoTools::addShape(std::unique_ptr<CGraph> shape, qsizetype labelIndex)
{
    const bool measured = shape->measurement != 0;
    CGraph &added = shapes_.photoShapes.add(std::move(shape));
    clicks_.clear();
    if (measured) {
        labelled_ = &added;
        labelIndex_ = labelIndex;
        edited();
        return;
    }
    endProgress();
    edited();
}

void PhotoTools::placeLabel(QPoint window)
{
    labelled_->setPoint(labelIndex_, truncated(toPictureF(window)));
    labelled_ = nullptr;
    endProgress();
    edited();
}

void PhotoTools::clickContinuousLine(QPoint window)
{
    pressAddedVertex_ = false;
    if (segmentLabelPending_) {
        segmentLabels_ << truncated(toPictureF(window));
        segmentLabelPending_ = false;
        return;
    }
    if (clicks_.isEmpty()) {
        begin(window);
        pressAddedVertex_ = true;
        return;
    }
    clicks_ << toPictureF(window);
    pressAddedVertex_ = true;
    // Each segment of a continuous line gets its label before the next vertex.
    segmentLabelPending_ = tool_ == PhotoTool::ContinuousLine;
}

void PhotoTools::doubleClick(QPoint window)
{
    if (moving_ || labelled_ || clicks_.isEmpty())
        return;
    window = held(window);
    if (tool_ == PhotoTool::ContinuousLine)
        finishContinuousLine();
    else if (tool_ == PhotoTool::Polygon)
        finishPolygon(window);
}

void PhotoTools::finishContinuousLine()
{
    // The first press of the double click added a vertex that ends no labelled segment: it
    // is taken back with its segment.
    if (pressAddedVertex_) {
        clicks_.removeLast();
        segmentLabelPending_ = false;
    }
    // One vertex is no line: nothing is created.
    std::unique_ptr<CGraph> line;
    if (clicks_.size() >= 2)
        line = createContinuousLine(clicks_, segmentLabels_, createContext());
    endProgress();
    if (line) {
        shapes_.photoShapes.add(std::move(line));
        edited();
    }
}

void PhotoTools::finishPolygon(QPoint window)
{
    // The double click's first press has normally placed this vertex already.
    const QPointF p = toPictureF(window);
    if (truncated(clicks_.constLast()) != truncated(p))
        clicks_ << p;
    QVector<QPoint> vertices;
    for (const QPointF &click : std::as_const(clicks_))
        vertices << truncated(click);
    if (vertices.size() < 2) {
        endProgress(); // a single point encloses nothing
        return;
    }
    std::unique_ptr<CGraph> polygon = createPolygon(vertices, createContext());
    if (!polygon)
        return;
    const qsizetype labelIndex = polygon->points.size() - 1;
    addShape(std::move(polygon), labelIndex);
}

void PhotoTools::calibrate(CGraph &line, QPointF start, QPointF end)
{
    const MeasureUnits u = units();
    const double pixelLength = std::hypot(end.x() - start.x(), end.y() - start.y());
    // The line shows no value until the dialog has been answered.
    line.values = {QString()};
    line.units = {u.unit};
    // The dialog needs the pointer; the label click after it takes it again.
    hold(false);
    const std::optional<double> actual =
        c_.askActualDistance ? c_.askActualDistance(u.unit) : std::nullopt;
    if (inProgress())
        hold(true);
    calibrating_ = false;
    if (!c_.scale)
        return;
    const MeasureScale::Calibrated result =
        c_.scale->finishCalibration(pixelLength, u.pixelFactor, actual, u.decimals);
    if (contains(&line)) // still there after the dialog's event loop
        line.values = {result.lineValue};
    sceneChanged();
    if (result.refused)
        warn(kCalibrationUnusableKey, kCalibrationUnusableText);
    else if (actual && c_.calibrated)
        c_.calibrated();
}

void PhotoTools::rightButton()
{
    if (moving_) {
        moving_ = false;
        moved_ = nullptr;
        sceneChanged();
        return;
    }
    if (!inProgress())
        return;
    // A shape already in the list for its label click goes with the rest of the progress.
    CGraph *pending = labelled_;
    labelled_ = nullptr;
    endProgress();
    calibrating_ = false;
    for (qsizetype i = 0; pending && i < shapes_.photoShapes.count(); ++i) {
        if (shapes_.photoShapes.at(i) == pending) {
            shapes_.photoShapes.remove(i);
            edited();
            break;
        }
    }
}

bool PhotoTools::setText(const QString &text)
{
    if (text.isEmpty()) {
        warn("EnterText", "Please input text!");
        return false;
    }
    // Point 1 is the far corner of the text as it is drawn from the anchor.
    const QPoint anchor = lastClick_;
    const QRect box = textExtent(text, style_.textFont, toWindow(anchor), view_.client);
    const QPoint end = truncated(toPictureF(box.bottomRight()));
    shapes_.photoShapes.add(
        createText(anchor, end, text, style_.textFont, style_.textColor, style_.shape));
    setTool(PhotoTool::Text, kMeasuringTool);
    edited();
    return true;
}

std::unique_ptr<CGraph> PhotoTools::continuousLineDraft() const
{
    if (tool_ != PhotoTool::ContinuousLine || clicks_.size() < 2)
        return nullptr;
    // Numbered as the line will be, without taking the number.
    ShapeCounter counter = shapes_.counter;
    const CreateContext c{style_.shape, units(), &counter};
    QVector<QPoint> labels = segmentLabels_;
    if (segmentLabelPending_ && cursor_)
        labels << truncated(toPictureF(*cursor_));
    return createContinuousLine(clicks_, labels, c);
}

} // namespace quelmar::station
