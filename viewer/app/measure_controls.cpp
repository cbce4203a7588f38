#include "app/measure_controls.h"

#include "app/viewer_prompt.h"
#include "app/viewer_resources.h"

#include <QLoggingCategory>

namespace quelmar::viewer {

namespace {
Q_LOGGING_CATEGORY(lcMeasure, "quelmar.viewer.measure", QtWarningMsg)

const QString kCalibrateFirst = QStringLiteral("Please calibrate first");
constexpr int kPolylineMode = 2;
constexpr int kPolygonMode = 10;
constexpr int kCrosshair = 3;
} // namespace

const QString MeasureControls::kNoCalibrationTitle = QStringLiteral("NO CAL");

MeasureControls::MeasureControls(ViewerPrompt *prompt, std::function<bool()> isavailable,
                                 QObject *parent)
    : QObject(parent), prompt_(prompt), isavailable_(std::move(isavailable)),
      title_(kNoCalibrationTitle)
{}

void MeasureControls::loadCalibrations(const QString &plistCalibrationFile)
{
    store_.emplace(plistCalibrationFile);
    QString error;
    if (!store_->createIfMissing(defaultCalibrationList(), &error))
        qCWarning(lcMeasure) << "no calibration file:" << error;
    bool readable = true;
    entries_ = store_->names(&readable);
    if (!readable)
        qCWarning(lcMeasure) << plistCalibrationFile << "cannot be read; it is left as it is";
    title_ = kNoCalibrationTitle;
    Q_EMIT calibrationMenuChanged(entries_, title_);
}

void MeasureControls::setCalibrationDefaults()
{
    calibrationName_.clear();
    measure_unit_ = QStringLiteral("mm");
    measure_length_ = 1.0f;
    measure_mag_ = 0;
    pendingRun_.reset();
}

MeasureRequest MeasureControls::currentRequest(int mode) const
{
    return {mode, style_, {}, measure_unit_, measure_mag_, measure_length_, false};
}

bool MeasureControls::calibrated()
{
    if (measure_mag_ > 0)
        return true;
    prompt_->alert(kCalibrateFirst);
    return false;
}

void MeasureControls::toolAction(int mode)
{
    if (!isavailable_() || !calibrated())
        return;
    // A tool chosen during a calibration run ends the run; its values are not adopted.
    pendingRun_.reset();
    Q_EMIT measureModeRequested(currentRequest(mode));
    if (mode == kPolylineMode || mode == kPolygonMode)
        Q_EMIT statusTextRequested(QStringLiteral("Ctrl + Click to end"));
}

void MeasureControls::deleteAction(int which)
{
    if (isavailable_())
        Q_EMIT deleteShapeRequested(which);
}

void MeasureControls::overlayAction(int kind)
{
    if (!isavailable_())
        return;
    if (kind == kCrosshair) {
        overlay_ = overlay_ == kCrosshair ? 0 : kCrosshair;
        Q_EMIT overlayRequested(overlay_);
        return;
    }
    if (!calibrated())
        return;
    // An overlay that is on goes off; otherwise the pitch is asked for the new one.
    overlay_ = overlay_ != 0 ? 0 : kind;
    Q_EMIT overlayRequested(overlay_);
}

void MeasureControls::setLineWidth(int width)
{
    if (!isavailable_())
        return;
    style_.lineWidth = width;
    Q_EMIT styleChanged(style_);
}

void MeasureControls::setFontSize(int size)
{
    if (!isavailable_())
        return;
    style_.fontSize = size;
    Q_EMIT styleChanged(style_);
}

void MeasureControls::setDecimals(int decimals)
{
    if (!isavailable_())
        return;
    style_.decimals = decimals;
    Q_EMIT styleChanged(style_);
}

void MeasureControls::setLineColor(const QColor &colour)
{
    if (!isavailable_() || !colour.isValid())
        return;
    style_.lineColor = colour;
    Q_EMIT styleChanged(style_);
}

void MeasureControls::setFontColor(const QColor &colour)
{
    if (!isavailable_() || !colour.isValid())
        return;
    style_.fontColor = colour;
    Q_EMIT styleChanged(style_);
}

void MeasureControls::selectCalibration(int index, const QString &title)
{
    if (!isavailable_())
        return;
    if (index == kNoCalibrationEntry) {
        measure_mag_ = 0;
        title_ = kNoCalibrationTitle;
        return;
    }
    if (index == kDeleteAllEntry) {
        QString error;
        if (!store_ || !store_->clear(&error)) {
            prompt_->alert(QStringLiteral("The calibrations cannot be deleted: %1").arg(error));
            return;
        }
        entries_.clear();
        title_ = kNoCalibrationTitle;
        measure_mag_ = 0;
        Q_EMIT calibrationMenuChanged(entries_, title_);
        return;
    }
    if (index < kFirstStoredEntry || !store_)
        return;
    // A value that does not read as a calibration means no calibration, never a guess.
    const std::optional<Calibration> stored = store_->find(title);
    title_ = title;
    calibrationName_ = title;
    pendingRun_.reset();
    if (!stored) {
        measure_mag_ = 0;
        prompt_->alert(QStringLiteral("The calibration \"%1\" is damaged.").arg(title));
        return;
    }
    measure_unit_ = stored->unit;
    measure_length_ = stored->unitLength;
    measure_mag_ = stored->magnification;
    Q_EMIT measureModeRequested(currentRequest(0));
}

void MeasureControls::beginCalibrationRun(const UserEntity &entity)
{
    const std::optional<float> magnification = positiveNumber(entity.Param2);
    const std::optional<float> length = positiveNumber(entity.Param3);
    if (!magnification || !length || entity.Param1.isEmpty() || entity.Param4.isEmpty())
        return;
    pendingRun_ = Calibration{*magnification, entity.Param4, *length};
    Q_EMIT measureModeRequested(
        {1, style_, entity.Param1, entity.Param4, *magnification, *length, true});
}

void MeasureControls::completeCalibrationRun(const UserEntity &entity)
{
    const std::optional<float> magnification = positiveNumber(entity.Param2);
    const std::optional<float> unitLength = positiveNumber(entity.Param3);
    if (!magnification || !unitLength || entity.Param1.isEmpty() || entity.Param4.isEmpty())
        return;
    pendingRun_.reset();
    calibrationName_ = entity.Param1;
    measure_unit_ = entity.Param4;
    measure_mag_ = *magnification;
    measure_length_ = *unitLength;

    QString error;
    const Calibration calibration{measure_mag_, measure_unit_, measure_length_};
    if (store_ && !store_->store(calibrationName_, calibration, &error)) {
        // Used for this session; the file keeps what it had.
        Q_EMIT statusTextRequested(QStringLiteral("The calibration is not stored: %1").arg(error));
    }
    const QString title = entity.Param5.isEmpty() ? entity.Param1 : entity.Param5;
    addEntry(title);
    title_ = title;
    Q_EMIT calibrationMenuChanged(entries_, title_);
}

void MeasureControls::addEntry(const QString &title)
{
    // Calibrating a name again replaces its value; the pop-up lists it once.
    if (!entries_.contains(title))
        entries_ << title;
}

void MeasureControls::calibrationSheetCancelled()
{
    pendingRun_.reset();
    Q_EMIT measureModeRequested(currentRequest(0));
}

} // namespace quelmar::viewer
