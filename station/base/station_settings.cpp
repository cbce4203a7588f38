#include "base/station_settings.h"

namespace quelmar::station {

namespace {
// The unit buffer holds 32 characters; the store keeps what fits in its first 12 bytes of
// UTF-16, i.e. five characters and the terminator.
constexpr int kStoredUnitChars = 5;
} // namespace

bool SettingsIo::createDefaults()
{
    // Two attempts, as a key that is being created by a second instance may show up late.
    if (store_.keyExists(keys::station) || store_.keyExists(keys::station))
        return false;
    store_.createKey(keys::station);
    store_.writeDword(keys::font, QStringLiteral("fontcolor"), 255);
    store_.writeDword(keys::font, QStringLiteral("LineColor"), 255);
    store_.writeDword(keys::font, QStringLiteral("MeasureTxtColor"), 255);
    store_.writeDword(keys::font, QStringLiteral("fontsize"), 16);
    store_.writeDword(keys::font, QStringLiteral("Linewidth"), 2);
    store_.writeDword(keys::font, QStringLiteral("Linetype"), 0);
    store_.writeDword(keys::language, QStringLiteral("LanID"), 0);
    store_.writeDword(keys::language, QStringLiteral("SubLanIDD"), 0);
    store_.writeDword(keys::language, QStringLiteral("SWITCH"), 0);
    store_.writeString(keys::units, QStringLiteral("unit"), QStringLiteral("mm"));
    store_.writeDword(keys::units, QStringLiteral("decimal"), 3);
    return true;
}

void SettingsIo::readDword(const QString &key, const QString &name, std::uint32_t &into) const
{
    if (const auto v = store_.readDword(key, name))
        into = *v;
}

void SettingsIo::readFontColor(StationSettings &s) const
{
    readDword(keys::font, QStringLiteral("fontcolor"), s.fontColor);
}
void SettingsIo::readLineColor(StationSettings &s) const
{
    readDword(keys::font, QStringLiteral("LineColor"), s.lineColor);
}
void SettingsIo::readMeasureTxtColor(StationSettings &s) const
{
    readDword(keys::font, QStringLiteral("MeasureTxtColor"), s.measureTxtColor);
}
void SettingsIo::readFontSize(StationSettings &s) const
{
    readDword(keys::font, QStringLiteral("fontsize"), s.fontSize);
}
void SettingsIo::readLineWidth(StationSettings &s) const
{
    readDword(keys::font, QStringLiteral("Linewidth"), s.lineWidth);
}
void SettingsIo::readLineType(StationSettings &s) const
{
    readDword(keys::font, QStringLiteral("Linetype"), s.lineType);
}

void SettingsIo::readLanguage(StationSettings &s) const
{
    // Only the low 16 bits are a language identifier.
    if (const auto v = store_.readDword(keys::language, QStringLiteral("LanID")))
        s.lanId = std::uint16_t(*v & 0xFFFF);
    if (const auto v = store_.readDword(keys::language, QStringLiteral("SubLanIDD")))
        s.subLanId = std::uint16_t(*v & 0xFFFF);
}

void SettingsIo::readStillSwitch(StationSettings &s) const
{
    readDword(keys::language, QStringLiteral("SWITCH"), s.stillSwitch);
}
void SettingsIo::readImageFormat(StationSettings &s) const
{
    readDword(keys::language, QStringLiteral("ImageFormat"), s.imageFormat);
}

void SettingsIo::readUnits(StationSettings &s) const
{
    if (const auto v = store_.readString(keys::units, QStringLiteral("unit")))
        s.unit = v->left(31);
    readDword(keys::units, QStringLiteral("decimal"), s.decimal);
}

void SettingsIo::readCamera(StationSettings &s) const
{
    if (const auto v = store_.readString(keys::station, QStringLiteral("Camera")))
        s.camera = *v;
}

void SettingsIo::readAll(StationSettings &s) const
{
    readFontColor(s);
    readLineColor(s);
    readMeasureTxtColor(s);
    readFontSize(s);
    readLineWidth(s);
    readLineType(s);
    readLanguage(s);
    readStillSwitch(s);
    readImageFormat(s);
    readUnits(s);
    readCamera(s);
}

void SettingsIo::writeFontColor(const StationSettings &s)
{
    store_.writeDword(keys::font, QStringLiteral("fontcolor"), s.fontColor);
}
void SettingsIo::writeLineColor(const StationSettings &s)
{
    store_.writeDword(keys::font, QStringLiteral("LineColor"), s.lineColor);
}
void SettingsIo::writeMeasureTxtColor(const StationSettings &s)
{
    store_.writeDword(keys::font, QStringLiteral("MeasureTxtColor"), s.measureTxtColor);
}
void SettingsIo::writeFontSize(const StationSettings &s)
{
    store_.writeDword(keys::font, QStringLiteral("fontsize"), s.fontSize);
}

void SettingsIo::writeLine(const StationSettings &s)
{
    store_.writeDword(keys::font, QStringLiteral("Linewidth"), s.lineWidth);
    store_.writeDword(keys::font, QStringLiteral("Linetype"), s.lineType);
}

void SettingsIo::writeLanguage(const StationSettings &s)
{
    store_.writeDword(keys::language, QStringLiteral("LanID"), s.lanId);
    store_.writeDword(keys::language, QStringLiteral("SubLanIDD"), s.subLanId);
}

void SettingsIo::writeStillSwitch(const StationSettings &s)
{
    store_.writeDword(keys::language, QStringLiteral("SWITCH"), s.stillSwitch);
}
void SettingsIo::writeImageFormat(const StationSettings &s)
{
    store_.writeDword(keys::language, QStringLiteral("ImageFormat"), s.imageFormat);
}

void SettingsIo::writeUnits(const StationSettings &s)
{
    store_.writeString(keys::units, QStringLiteral("unit"), s.unit.left(kStoredUnitChars));
    store_.writeDword(keys::units, QStringLiteral("decimal"), s.decimal);
}

void SettingsIo::writeCamera(const StationSettings &s)
{
    store_.writeString(keys::station, QStringLiteral("Camera"), s.camera);
}

} // namespace quelmar::station
