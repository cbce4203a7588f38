#include "app/measure_controls.h"

#include "app/viewer_prompt.h"
#include "app/viewer_resources.h"

#include "measure/grid_overlay.h"

#include <QFileInfo>
#include <QLoggingCategory>

#include <array>
#include <cctype>
#include <charconv>

namespace quelmar::viewer {

namespace {
Q_LOGGING_CATEGORY(lcMeasure, "quelmar.viewer.measure", QtWarningMsg)
} // namespace

const QString MeasureControls::kNoCalibrationTitle = QStringLiteral("NO CAL");
const QString MeasureControls::kCalibrateFirst = QStringLiteral("Please calibrate first");
const QString MeasureControls::kIllegalValue = QStringLiteral("The value is illegal");
const QString MeasureControls::kCtrlClickHint = QStringLiteral("Ctrl + Click to end");

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

int MeasureControls::modeOfSegment(int segment)
{
    static constexpr std::array<int, 10> kModes = {kLineTool,
                                                   kContinuousLineTool,
                                                   kPointToLineTool,
                                                   kRadiusCircleTool,
                                                   kDiameterCircleTool,
                                                   kThreePointCircleTool,
                                                   kThreePointAngleTool,
                                                   kFourPointAngleTool,
                                                   kPolygonTool,
                                                   kTextTool};
    return segment >= 0 && segment < int(kModes.size()) ? kModes[std::size_t(segment)] : kNoTool;
}

void MeasureControls::toolAction(int mode)
{
    if (!isavailable_() || mode < kLineTool || mode > kTextTool || !calibrated())
        return;
    Q_EMIT measureModeRequested(currentRequest(mode));
    if (mode == kContinuousLineTool || mode == kPolygonTool)
        Q_EMIT statusTextRequested(kCtrlClickHint);
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
    if (kind == kCrosshairOverlay) {
        showOverlay(overlay_ == kCrosshairOverlay ? kNoOverlay : kCrosshairOverlay);
        return;
    }
    if (kind != kGridOverlay && kind != kCircleGridOverlay && kind != kScaleOverlay)
        return;
    if (!calibrated())
        return;
    // An overlay that is on goes off; otherwise the pitch panel asks for the new one's pitch.
    if (overlay_ != kNoOverlay) {
        showOverlay(kNoOverlay);
        return;
    }
    pendingGridKind_ = kind;
    bMSGridAvailable_ = 1;
    Q_EMIT overlayRequested(kind);
}

void MeasureControls::gridPanelOk(const QString &text)
{
    if (pendingGridKind_ == kNoOverlay)
        return;
    if (text.isEmpty()) {
        prompt_->alert(kIllegalValue);
        return;
    }
    mGridViewLength_ = leadingDecimal(text);
    showOverlay(pendingGridKind_);
    gridPanelCancel();
}

void MeasureControls::gridPanelCancel()
{
    pendingGridKind_ = kNoOverlay;
    bMSGridAvailable_ = 0;
    Q_EMIT gridPanelClosed();
}

void MeasureControls::showOverlay(int kind)
{
    overlay_ = kind;
    // The scale is laid out in millimetres whatever the calibration's unit.
    Q_EMIT gridViewRequested({kind, style_,
                              kind == kScaleOverlay ? QStringLiteral("mm") : measure_unit_,
                              mGridViewLength_, measure_mag_, measure_length_});
}

float MeasureControls::leadingDecimal(const QString &text)
{
    QByteArray bytes = text.trimmed().toLatin1();
    if (bytes.startsWith('+'))
        bytes.remove(0, 1);
    const char *begin = bytes.constData();
    const char *end = begin + bytes.size();
    // Only digits make a number: no "inf" or "nan" spelled out.
    const char *first = begin + (begin != end && *begin == '-');
    if (first == end || !(std::isdigit(static_cast<unsigned char>(*first)) || *first == '.'))
        return 0;
    float value = 0;
    const auto result = std::from_chars(begin, end, value, std::chars_format::general);
    return result.ec == std::errc() ? value : 0.0f;
}

void MeasureControls::setLineWidth(int width)
{
    if (!isavailable_())
        return;
    style_.measure_line_width = width;
    Q_EMIT styleChanged(style_);
}

void MeasureControls::setFontSize(int size)
{
    if (!isavailable_())
        return;
    style_.measure_font_size = size;
    Q_EMIT styleChanged(style_);
}

void MeasureControls::setDecimals(int decimals)
{
    if (!isavailable_())
        return;
    style_.measure_data_decimal = decimals;
    Q_EMIT styleChanged(style_);
}

void MeasureControls::setLineColor(const QColor &colour)
{
    if (!isavailable_() || !colour.isValid())
        return;
    style_.measure_line_color = colour;
    Q_EMIT styleChanged(style_);
}

void MeasureControls::setFontColor(const QColor &colour)
{
    if (!isavailable_() || !colour.isValid())
        return;
    style_.measure_font_color = colour;
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
    if (!stored) {
        measure_mag_ = 0;
        prompt_->alert(QStringLiteral("The calibration \"%1\" is damaged.").arg(title));
        return;
    }
    measure_unit_ = stored->unit;
    measure_length_ = stored->unitLength;
    measure_mag_ = stored->magnification;
    Q_EMIT measureModeRequested(currentRequest(kNoTool));
}

void MeasureControls::beginCalibrationRun(const UserEntity &entity)
{
    const std::optional<float> magnification = positiveNumber(entity.Param2);
    const std::optional<float> length = positiveNumber(entity.Param3);
    if (!magnification || !length || entity.Param1.isEmpty() || entity.Param4.isEmpty())
        return;
    Q_EMIT measureModeRequested(
        {kLineTool, style_, entity.Param1, entity.Param4, *magnification, *length, true});
}

void MeasureControls::completeCalibrationRun(const UserEntity &entity)
{
    const std::optional<float> magnification = positiveNumber(entity.Param2);
    const std::optional<float> unitLength = positiveNumber(entity.Param3);
    if (!magnification || !unitLength || entity.Param1.isEmpty() || entity.Param4.isEmpty())
        return;
    // Without a calibration file the run calibrates the view only: nothing is stored and
    // nothing changes here.
    if (!store_ || !QFileInfo::exists(store_->path()))
        return;
    calibrationName_ = entity.Param1;
    measure_unit_ = entity.Param4;
    measure_mag_ = *magnification;
    measure_length_ = *unitLength;

    QString error;
    const Calibration calibration{measure_mag_, measure_unit_, measure_length_};
    if (!store_->store(calibrationName_, calibration, &error)) {
        // Used for this session; the file keeps what it had, and the pop-up gets no entry
        // that could not be chosen again.
        Q_EMIT statusTextRequested(QStringLiteral("The calibration is not stored: %1").arg(error));
        return;
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
    Q_EMIT measureModeRequested(currentRequest(kNoTool));
}

} // namespace quelmar::viewer
