#include "measure/photo_measure_desk.h"

#include "base/command_ids.h"
#include "base/language.h"
#include "base/prompt.h"
#include "base/station_settings.h"
#include "measure/calibration.h"
#include "measure/calibration_dlg.h"
#include "measure/drawing_styles.h"
#include "measure/measurement_property_dlg.h"
#include "measure/pen_dlg.h"
#include "measure/sub_picture.h"
#include "measure/text_setting_dlg.h"

#include <QVBoxLayout>

namespace quelmar::station {

const std::vector<PhotoMeasureDesk::MenuTool> &PhotoMeasureDesk::menuTools()
{
    // The label texts are the tool names as the photo window has always shown them.
    static const std::vector<MenuTool> kTools = {
        {photo::MeasureLine, PhotoTool::Line, kMeasuringTool, "Line"},
        {photo::MeasureContinuousLine, PhotoTool::ContinuousLine, kMeasuringTool, "Continue Line"},
        {photo::MeasureRectangle, PhotoTool::Rectangle, kMeasuringTool, "Rectangle"},
        {photo::MeasurePolygon, PhotoTool::Polygon, kMeasuringTool, "Ploygon"},
        {photo::MeasureRadiusCircle, PhotoTool::RadiusCircle, kMeasuringTool, "Radius circle"},
        {photo::MeasureDiameterCircle, PhotoTool::DiameterCircle, kMeasuringTool,
         "Diameter circle"},
        {photo::MeasureThreePointCircle, PhotoTool::ThreePointCircle, kMeasuringTool,
         "Three Point Circle"},
        {photo::MeasureThreePointAngle, PhotoTool::ThreePointAngle, kMeasuringTool, "Angle"},
        {photo::MeasureFourPointAngle, PhotoTool::FourPointAngle, kMeasuringTool,
         "Four point Angle"},
        {photo::DrawLine, PhotoTool::Line, kDrawingTool, "Line"},
        {photo::DrawAngle, PhotoTool::ThreePointAngle, kDrawingTool, "Angle"},
        {photo::DrawRectangle, PhotoTool::Rectangle, kDrawingTool, "Rectangle"},
        {photo::DrawRadiusCircle, PhotoTool::RadiusCircle, kDrawingTool, "Radius Circle"},
        {photo::DrawDiameterCircle, PhotoTool::DiameterCircle, kDrawingTool, "Diameter Circle"},
        {photo::DrawThreePointCircle, PhotoTool::ThreePointCircle, kDrawingTool,
         "Three Points Circle"},
    };
    return kTools;
}

PhotoMeasureDesk::PhotoMeasureDesk(Context context) : c_(std::move(context))
{
    textFont_ = readTextFont(c_.textFontFile);
}

PhotoMeasureDesk::~PhotoMeasureDesk()
{
    closePhoto();
}

CSubPicture *PhotoMeasureDesk::canvas() const
{
    return canvas_;
}

CMeasurementPropertyDlg *PhotoMeasureDesk::measurementList() const
{
    return list_;
}

void PhotoMeasureDesk::attach(QWidget *window, Notices notices)
{
    window_ = window;
    notices_ = std::move(notices);
}

void PhotoMeasureDesk::warn(const char *key, const char *fallback)
{
    c_.prompt->message(c_.messageTitle,
                       c_.language->text(QLatin1String(key), QLatin1String(fallback)),
                       PromptIcon::Warning);
}

MeasureUnits PhotoMeasureDesk::units() const
{
    MeasureUnits u;
    u.unit = c_.settings->unit;
    u.decimals = int(c_.settings->decimal);
    u.pixelFactor = canvas_ ? pixelFactor(c_.sensorClass ? c_.sensorClass() : 0,
                                          canvas_->photoSize(), u.unit, canvas_->isFullSize())
                            : 0.001;
    u.scale = c_.scale ? c_.scale->scale() : 0;
    return u;
}

PhotoTools::Style PhotoMeasureDesk::style() const
{
    return {shapeStyle(*c_.settings, *c_.labelFont), textFont_, c_.settings->fontColor};
}

void PhotoMeasureDesk::showPhoto(const QString &path, const QImage &photo, bool fullSize,
                                 QWidget *area)
{
    closePhoto();
    PhotoTools::Context t;
    t.prompt = c_.prompt;
    t.language = c_.language;
    t.messageTitle = c_.messageTitle;
    t.scale = c_.scale;
    t.units = [this] { return units(); };
    t.askActualDistance = [this](const QString &unit) -> std::optional<double> {
        CCabrationDlg dialog(*c_.language, *c_.prompt, c_.messageTitle, unit, window_);
        if (c_.prompt->runDialog(dialog) != QDialog::Accepted)
            return std::nullopt;
        return dialog.actualDistance();
    };
    t.calibrated = [this] {
        if (notices_.scaleCalibrated)
            notices_.scaleCalibrated();
    };
    auto *canvas = new CSubPicture(std::move(t), photo, path, fullSize, area);
    canvas_ = canvas;
    canvas->tools().setStyle(style());
    if (!area->layout()) {
        auto *layout = new QVBoxLayout(area);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    area->layout()->addWidget(canvas);
    connect(canvas, &CSubPicture::shapesChanged, this, [this] {
        if (list_)
            list_->refresh();
    });
    connect(canvas, &CSubPicture::shapesEdited, this, &PhotoMeasureDesk::noteEdit);
    countAtEdit_ = 0;
    if (list_) {
        list_->setShapeState(&canvas->tools().shapes());
        list_->refresh();
    }
    canvas->show();
    toolName_.clear();
    pressed_ = 0;
    toolChanged();
}

void PhotoMeasureDesk::closePhoto()
{
    if (list_)
        list_->setShapeState(nullptr);
    delete canvas_; // the shapes go with it; the next canvas numbers from 1 again
}

bool PhotoMeasureDesk::hasPhoto() const
{
    return canvas_ && canvas_->isLoaded();
}

int PhotoMeasureDesk::shapeCount() const
{
    return canvas_ ? int(canvas_->tools().list().count()) : 0;
}

QImage PhotoMeasureDesk::render() const
{
    return canvas_ ? canvas_->renderForSave() : QImage();
}

void PhotoMeasureDesk::noteEdit()
{
    countAtEdit_ = shapeCount();
    if (notices_.shapesEdited)
        notices_.shapesEdited();
}

void PhotoMeasureDesk::toolChanged()
{
    if (notices_.toolChanged)
        notices_.toolChanged();
}

bool PhotoMeasureDesk::chooseScale(bool calibrating)
{
    if (c_.scale && c_.scale->choose(calibrating))
        return true;
    warn("EnterRate", "Please input the zoomIn scale!");
    return false;
}

void PhotoMeasureDesk::setTool(PhotoTool tool, int measureFlag, const QString &name, int pressed)
{
    canvas_->tools().setTool(tool, measureFlag);
    toolName_ = name;
    pressed_ = pressed;
    canvas_->redraw();
    toolChanged();
}

void PhotoMeasureDesk::selectTool(const MenuTool &t)
{
    if (t.measureFlag == kMeasuringTool && !chooseScale(false))
        return; // without a scale the tool stays as it was
    // Only the four-point angle selects two shapes at once; choosing it starts it afresh.
    canvas_->tools().setMultiSelect(t.tool == PhotoTool::FourPointAngle);
    setTool(t.tool, t.measureFlag, QString::fromLatin1(t.label),
            t.measureFlag == kMeasuringTool ? photo::Measure : photo::Paint);
}

bool PhotoMeasureDesk::command(int id)
{
    for (const MenuTool &t : menuTools()) {
        if (t.command == id) {
            if (canvas_)
                selectTool(t);
            return true;
        }
    }
    switch (id) {
    case photo::Select:
        if (canvas_)
            setTool(PhotoTool::Select, kNeitherTool, {}, photo::Select);
        return true;
    case photo::Text:
        showTextDialog();
        return true;
    case photo::Delete:
        if (canvas_) {
            canvas_->tools().deleteSelected();
            canvas_->redraw();
        }
        return true;
    case photo::Move:
        if (canvas_) {
            canvas_->tools().startMove();
            canvas_->redraw();
        }
        return true;
    case photo::Calibration:
        calibrate();
        return true;
    case photo::Pen:
        showPenDialog();
        return true;
    case photo::MeasurementList:
        showMeasurementList();
        return true;
    default:
        return false;
    }
}

void PhotoMeasureDesk::resetTool()
{
    if (canvas_) {
        canvas_->tools().setTool(PhotoTool::None, kNeitherTool);
        canvas_->redraw();
    }
    toolName_.clear();
    pressed_ = 0;
    toolChanged();
}

void PhotoMeasureDesk::calibrate()
{
    // Calibration always starts from the typed magnification.
    if (!canvas_ || !chooseScale(true))
        return;
    canvas_->tools().setMultiSelect(false);
    setTool(PhotoTool::Line, kMeasuringTool, QStringLiteral("Line"), photo::Calibration);
    canvas_->tools().setCalibrationMode(true);
}

void PhotoMeasureDesk::showPenDialog()
{
    CPenDlg pen({c_.settings, c_.io, c_.labelFont, c_.labelFontFile, c_.prompt, c_.language},
                window_);
    c_.prompt->runDialog(pen);
    // OK or Cancel alike: the label font's height becomes the label size, and new shapes
    // take the pen as it now is.
    takeLabelFontSize(*c_.settings, *c_.io, *c_.labelFont);
    if (canvas_)
        canvas_->tools().setStyle(style());
}

void PhotoMeasureDesk::showTextDialog()
{
    if (!canvas_)
        return;
    textFont_ = readTextFont(c_.textFontFile);
    CTextsetting dialog({c_.settings, c_.io, &textFont_, c_.textFontFile, c_.prompt, c_.language},
                        window_);
    const bool accepted = c_.prompt->runDialog(dialog) == QDialog::Accepted;
    if (!canvas_)
        return;
    canvas_->tools().setStyle(style());
    if (accepted && canvas_->tools().setText(dialog.text())) {
        toolName_.clear();
        pressed_ = photo::Text;
        toolChanged();
    }
    canvas_->redraw();
}

void PhotoMeasureDesk::showMeasurementList()
{
    if (!list_) {
        // A child of the photo window: it closes with the window.
        list_ = new CMeasurementPropertyDlg(canvas_ ? &canvas_->tools().shapes() : nullptr,
                                            *c_.prompt, *c_.language, window_);
        connect(list_, &CMeasurementPropertyDlg::canvasRedrawRequested, this, [this] {
            if (!canvas_)
                return;
            // The list deletes shapes behind the canvas's back: that is a change too.
            if (shapeCount() != countAtEdit_)
                noteEdit();
            canvas_->redraw();
        });
    } else {
        list_->refresh();
    }
    list_->show();
    list_->raise();
}

QString PhotoMeasureDesk::magnificationChanged(const QString &text)
{
    c_.scale->setMagnificationText(text);
    return c_.scale->scaleText();
}

void PhotoMeasureDesk::scaleTyped(const QString &text)
{
    c_.scale->setScaleText(text);
}

QString PhotoMeasureDesk::magnificationText() const
{
    return c_.scale->magnificationText();
}

QString PhotoMeasureDesk::scaleText() const
{
    return c_.scale->scaleText();
}

} // namespace quelmar::station
