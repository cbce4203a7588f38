// The station's settings: the values that start with their built-in defaults and are
// overwritten by the readers, and the readers and writers grouped as the station uses them.
#pragma once

#include "base/registry_store.h"

#include <QString>

#include <cstdint>

namespace quelmar::station {

namespace keys {
inline const QString station = QStringLiteral("SOFTWARE\\kelvarEx");
inline const QString font = QStringLiteral("SOFTWARE\\kelvarEx\\font");
inline const QString language = QStringLiteral("SOFTWARE\\kelvarEx\\LanguageID");
inline const QString units = QStringLiteral("SOFTWARE\\kelvarEx\\Units");
} // namespace keys

// Colours are colour references: 0x00BBGGRR, red in the low byte.
struct StationSettings {
    std::uint32_t fontColor = 255;
    std::uint32_t lineColor = 255;
    std::uint32_t measureTxtColor = 19;
    std::uint32_t fontSize = 16;
    std::uint32_t lineWidth = 1;
    std::uint32_t lineType = 0; // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot
    std::uint16_t lanId = 0;    // 0 follows the system language
    std::uint16_t subLanId = 0;
    std::uint32_t stillSwitch = 0; // 1: the camera's own button takes stills
    std::uint32_t imageFormat = 2; // 1 BMP, anything else JPEG
    QString unit = QStringLiteral("mm");
    std::uint32_t decimal = 3;
    // The identity of the camera the user chose in the video settings; empty: none chosen.
    QString camera{};

    bool stillsAsBmp() const { return imageFormat == 1; }
};

// Reads and writes StationSettings in the registry store. A reader leaves a value unchanged
// when it is missing or of the wrong type; writers do not report failures.
class SettingsIo {
public:
    explicit SettingsIo(RegistryStore &store) : store_(store) {}

    // Writes the first-start defaults when the station key is absent; true when it did.
    bool createDefaults();

    void readFontColor(StationSettings &s) const;
    void readLineColor(StationSettings &s) const;
    void readMeasureTxtColor(StationSettings &s) const;
    void readFontSize(StationSettings &s) const;
    void readLineWidth(StationSettings &s) const;
    void readLineType(StationSettings &s) const;
    void readLanguage(StationSettings &s) const; // LanID and SubLanIDD together
    void readStillSwitch(StationSettings &s) const;
    void readImageFormat(StationSettings &s) const;
    void readUnits(StationSettings &s) const; // unit and decimal together
    void readCamera(StationSettings &s) const;
    // Everything the main window reads at start.
    void readAll(StationSettings &s) const;

    void writeFontColor(const StationSettings &s);
    void writeLineColor(const StationSettings &s);
    void writeMeasureTxtColor(const StationSettings &s);
    void writeFontSize(const StationSettings &s);
    void writeLine(const StationSettings &s); // Linewidth and Linetype together
    void writeLanguage(const StationSettings &s);
    void writeStillSwitch(const StationSettings &s);
    void writeImageFormat(const StationSettings &s);
    void writeUnits(const StationSettings &s);
    void writeCamera(const StationSettings &s);

private:
    void readDword(const QString &key, const QString &name, std::uint32_t &into) const;

    RegistryStore &store_;
};

} // namespace quelmar::station
