#include "measure/drawing_styles.h"

#include "base/prompt.h"
#include "base/station_settings.h"

#include <QFontMetrics>

#include <cmath>
#include <cstdlib>

namespace quelmar::station {

namespace {
constexpr qint64 kMaxPixelSize = 4096; // font files are outside input
} // namespace

int labelLineHeight(int size)
{
    struct Step {
        int upTo;
        int height;
    };
    static constexpr Step kSteps[] = {{0, 12},  {13, 13}, {15, 15}, {16, 17}, {19, 19},
                                      {21, 21}, {24, 23}, {27, 25}, {29, 27}, {32, 29},
                                      {35, 31}, {37, 33}, {48, 35}, {64, 37}, {96, 72}};
    for (const Step &step : kSteps)
        if (size <= step.upTo)
            return step.height;
    return 12;
}

LogFont defaultTextFont()
{
    LogFont f;
    f.setFace(QStringLiteral("Arial"));
    f.height = 14;
    f.weight = 400;
    f.charSet = 134;
    f.outPrecision = 3;
    f.clipPrecision = 3;
    f.quality = 1;
    f.pitchAndFamily = 0x32;
    return f;
}

QFont toQFont(const LogFont &font)
{
    QFont f;
    if (font.isZero())
        return f;
    if (!font.face().isEmpty())
        f.setFamily(font.face());
    if (font.height < 0) {
        f.setPixelSize(int(std::min<qint64>(-qint64(font.height), kMaxPixelSize)));
    } else if (font.height > 0) {
        // A positive height is the cell (ascent plus descent): the character height is less.
        const int cell = int(std::min<qint64>(font.height, kMaxPixelSize));
        f.setPixelSize(cell);
        const int metrics = QFontMetrics(f).height();
        if (metrics > 0)
            f.setPixelSize(std::max(1, int(std::lround(double(cell) * cell / metrics))));
    }
    if (font.weight > 0)
        f.setWeight(QFont::Weight(std::clamp(font.weight, 1, 1000)));
    f.setItalic(font.italic != 0);
    f.setUnderline(font.underline != 0);
    f.setStrikeOut(font.strikeOut != 0);
    return f;
}

LogFont fromQFont(const QFont &font, const LogFont &base)
{
    LogFont f = base;
    f.setFace(font.family());
    const int pixels =
        font.pixelSize() > 0 ? font.pixelSize() : int(font.pointSizeF() * 96.0 / 72.0 + 0.5);
    // Negative: the character height, which is what a chosen size means. A positive height
    // of the base that still describes this size is kept as it was.
    f.height = base.height > 0 && toQFont(base).pixelSize() == pixels ? base.height : -pixels;
    f.weight = font.weight();
    f.italic = font.italic() ? 1 : 0;
    f.underline = font.underline() ? 1 : 0;
    f.strikeOut = font.strikeOut() ? 1 : 0;
    return f;
}

QColor toQColor(ColorRef colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

ColorRef fromQColor(const QColor &colour)
{
    return ColorRef(colour.red()) | ColorRef(colour.green()) << 8 | ColorRef(colour.blue()) << 16;
}

QPen shapePen(int width, int style, ColorRef colour)
{
    static constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine,
                                               Qt::DashDotLine, Qt::DashDotDotLine};
    const Qt::PenStyle s = width <= 1 && style >= 0 && style <= 4 ? kStyles[style] : Qt::SolidLine;
    QPen pen(toQColor(colour), std::max(1, width), s);
    return pen;
}

bool chooseStyleFont(Prompt &prompt, LogFont &font, ColorRef &colour, const QString &fontFile)
{
    const std::optional<FontChoice> chosen = prompt.chooseFont(toQFont(font), toQColor(colour));
    if (!chosen)
        return false;
    font = fromQFont(chosen->font, font);
    colour = fromQColor(chosen->colour);
    writeLogFontFile(fontFile, font);
    return true;
}

void applyStyle(CGraph &shape, const StationSettings &settings, const LogFont &labelFont)
{
    shape.penWidth = std::int32_t(settings.lineWidth);
    shape.penStyle = std::int32_t(settings.lineType);
    shape.lineColor = settings.lineColor;
    shape.labelFont = labelFont;
    shape.labelLineHeight = labelLineHeight(int(settings.fontSize));
    shape.labelColor = settings.measureTxtColor;
}

} // namespace quelmar::station
