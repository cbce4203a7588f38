// The main window's routing of measurement on the live picture: the live measurement gets
// the tool, calibration, undo and overlay commands and the mouse on the preview; the window
// keeps its buttons in step, runs the calibration dialog and takes message 0x8009.
#include "shell/scopedesk_dlg.h"

#include "base/command_ids.h"
#include "base/prompt.h"
#include "capture/preview_widget.h"
#include "measure/calibration.h"
#include "measure/calibration_dlg.h"
#include "measure/geometry.h"
#include "measure/live_measure.h"
#include "measure/measurement_export.h"
#include "shell/bitmap_check_button.h"
#include "shell/live_mouse_router.h"
#include "shell/tool_records.h"

#include <QLineEdit>

namespace quelmar::station {

void CScopeDeskDlg::setUpLiveMeasure()
{
    LiveMeasure::Context c;
    c.scale = measureScale_.get();
    c.settings = &settings_;
    c.labelFont = &labelFont_;
    c.prompt = services_.prompt;
    c.language = &language_;
    c.messageTitle = messageTitle_;
    c.sensorClass = [this] { return sensorClass_; };
    c.captureSize = [this] { return captureSize_; };
    c.connected = [this] { return connected_; };
    c.askActualDistance = [this](const QString &unit) -> std::optional<double> {
        CCabrationDlg dialog(language_, *services_.prompt, messageTitle_, unit, this);
        if (services_.prompt->runDialog(dialog) != QDialog::Accepted)
            return std::nullopt;
        return dialog.actualDistance();
    };
    c.calibrated = [this] {
        QMetaObject::invokeMethod(
            this, [this] { onCalibrationStored(); }, Qt::QueuedConnection);
    };
    c.captureMouse = [this](bool hold) {
        if (liveMouse_)
            liveMouse_->hold(hold);
    };
    live_ = std::make_unique<LiveMeasure>(std::move(c));
    liveMouse_ =
        std::make_unique<LiveMouseRouter>(preview_, canvas_, *live_, [this] { syncLiveButtons(); });
    // The capture thread draws only what the live measurement last published.
    hooks_.drawOverlays = [marks = &live_->marks()](QImage &back) { marks->drawOnto(back); };
    // The scale box is what a tool divides by.
    connect(zoomRate_, &QLineEdit::textChanged, this,
            [this](const QString &text) { measureScale_->setScaleText(text); });
}

bool CScopeDeskDlg::routeLiveCommand(int id)
{
    if (id == cmd::ExportToExcel) {
        exportMeasurements(live_->shapes(), ShapeNumbering::Live, *services_.prompt, language_);
        return true;
    }
    if (!live_->command(id))
        return false;
    syncLiveButtons();
    return true;
}

void CScopeDeskDlg::syncLiveButtons()
{
    const int pressed = live_->pressedButton();
    for (const int id : kLiveToolButtons)
        button(id)->setCheckedFlag(id == pressed);
    button(cmd::Calibration)->setCheckedFlag(pressed == cmd::Calibration);
}

// Message 0x8009: the calibrated scale goes into the scale box with one decimal and is
// chosen again; the calibration has stored it under the magnification.
void CScopeDeskDlg::onCalibrationStored()
{
    zoomRate_->setText(formatValue(measureScale_->calibratedScale(), 1));
    measureScale_->choose();
    syncLiveButtons();
}

} // namespace quelmar::station
