// Reads the microscope's settings page, a JavaScript text of variable assignments, the way
// the device's own pages are cut: fixed markers, one skipped character, a dropped tail.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>

namespace quelmar::viewer {

// One camera control of the device: the id its command request takes and the value range.
struct CameraPropertyInfo {
    std::int32_t id = 0;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    std::int32_t defaultValue = 0;
    std::int32_t current = 0;

    bool operator==(const CameraPropertyInfo &) const = default;
};

struct CameraControls {
    CameraPropertyInfo brightness, contrast, saturation, hue, gamma, sharpness;
};

// A page that cannot be read leaves every number 0 and the list empty.
struct WifiPageValues {
    double width = 0;
    double height = 0;
    int resolutionIndex = 0; // zero-based number of the device's current entry
    int framesPerSecond = 0;
    // Pop-up entries as the page writes them, in page order; entries that name no usable
    // resolution (a number below 1, a size that is not positive) are left out.
    QStringList resolutions;
};

// A resolution pop-up entry "number,name,width,height": number counts from 1.
struct ResolutionChoice {
    int index = 0; // zero-based
    double width = 0;
    double height = 0;

    bool isValid() const { return index >= 0 && width > 0 && height > 0; }
};

class WifiSettingsPage {
public:
    static WifiPageValues parse(const QString &page);
    static CameraControls parseControls(const QString &page);
    static ResolutionChoice parseResolutionEntry(const QString &entry);
    // The position in `entries` of the entry numbered index + 1; -1 when none is.
    static int entryPosition(const QStringList &entries, int index);
    // The widest and tallest size of the entries; invalid without entries.
    static QSize largestSize(const QStringList &entries);
    // Whether a page read so far holds every value the viewer takes from it.
    static bool isComplete(const QByteArray &page);

    // The text from one character after `open` to `tail` characters before `close`; empty
    // when a marker is missing or the markers leave nothing.
    static QString cut(const QString &page, QStringView open, QStringView close, int tail);
    // Leading blanks skipped, then as many characters as form a number; 0 when none do.
    static int lenientInt(QStringView text);
    static double lenientDouble(QStringView text);
};

} // namespace quelmar::viewer
