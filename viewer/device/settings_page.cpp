#include "settings_page.h"

#include <charconv>
#include <limits>

namespace quelmar::viewer {

namespace {

qsizetype skipBlanks(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() &&
           (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r'))
        ++i;
    return i;
}

// The part after the field's first ":", less its first and last character (the quotes).
int controlField(const QStringList &fields, int index)
{
    if (index >= fields.size())
        return 0;
    const QString &field = fields[index];
    const qsizetype colon = field.indexOf(u':');
    if (colon < 0)
        return 0;
    const QStringView value = QStringView(field).mid(colon + 1);
    if (value.size() < 2)
        return 0;
    return WifiSettingsPage::lenientInt(value.mid(1, value.size() - 2));
}

CameraPropertyInfo controlFrom(const QString &entry)
{
    const QStringList fields = entry.split(u',');
    return {controlField(fields, 1), controlField(fields, 3), controlField(fields, 4),
            controlField(fields, 6), controlField(fields, 7)};
}

} // namespace

QString WifiSettingsPage::cut(const QString &page, QStringView open, QStringView close, int tail)
{
    const qsizetype openAt = page.indexOf(open);
    const qsizetype closeAt = page.indexOf(close);
    if (openAt < 0 || closeAt < 0)
        return {};
    const qsizetype from = openAt + open.size() + 1;
    const qsizetype to = closeAt - tail;
    if (to <= from)
        return {};
    return page.mid(from, to - from);
}

int WifiSettingsPage::lenientInt(QStringView text)
{
    qsizetype i = skipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    long long value = 0;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > std::numeric_limits<int>::max())
            return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    return int(negative ? -value : value);
}

double WifiSettingsPage::lenientDouble(QStringView text)
{
    // strtod reads the same "as far as it goes" prefix; hex and "inf" are not numbers here.
    const QByteArray latin = text.mid(skipBlanks(text)).toLatin1();
    qsizetype end = 0;
    if (end < latin.size() && (latin[end] == '-' || latin[end] == '+'))
        ++end;
    while (end < latin.size() && ((latin[end] >= '0' && latin[end] <= '9') || latin[end] == '.'))
        ++end;
    // from_chars, unlike strtod, reads a point as the decimal mark in every locale.
    const char *begin = latin.constData();
    if (end > 0 && *begin == '+')
        ++begin;
    double value = 0;
    std::from_chars(begin, latin.constData() + end, value);
    return value;
}

WifiPageValues WifiSettingsPage::parse(const QString &page)
{
    WifiPageValues values;
    values.width = lenientDouble(cut(page, u"var cameraWidth=", u"var cameraHeight=", 5));
    values.height = lenientDouble(cut(page, u"var cameraHeight=", u"var ctrlList =", 5));
    values.resolutionIndex =
        lenientInt(cut(page, u"var video_idx_save = ", u"var video_frame_save", 5));
    values.framesPerSecond =
        lenientInt(cut(page, u"var video_frame_save = ", u"var only_stream", 5));
    const QString list = cut(page, u"var cameraList = ", u"var cameraWidth", 8);
    if (!list.isEmpty()) {
        for (const QString &entry : list.split(u'#')) {
            if (parseResolutionEntry(entry).isValid())
                values.resolutions << entry;
        }
    }
    return values;
}

int WifiSettingsPage::entryPosition(const QStringList &entries, int index)
{
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (parseResolutionEntry(entries[i]).index == index)
            return int(i);
    }
    return -1;
}

QSize WifiSettingsPage::largestSize(const QStringList &entries)
{
    QSize largest;
    for (const QString &entry : entries) {
        const ResolutionChoice choice = parseResolutionEntry(entry);
        if (choice.isValid())
            largest = largest.expandedTo(QSize(int(choice.width), int(choice.height)));
    }
    return largest.isEmpty() ? QSize() : largest;
}

bool WifiSettingsPage::isComplete(const QByteArray &page)
{
    // The markers in the order the device writes them; the control list's brackets lie
    // between the height and the index.
    static const char *const kMarkers[] = {
        "var cameraList = ",     "var cameraWidth=",        "var cameraHeight=", "var ctrlList =",
        "var video_idx_save = ", "var video_frame_save = ", "var only_stream"};
    for (const char *marker : kMarkers) {
        if (!page.contains(marker))
            return false;
    }
    const qsizetype open = page.indexOf('[');
    return open >= 0 && page.indexOf(']', open) > open;
}

CameraControls WifiSettingsPage::parseControls(const QString &page)
{
    CameraControls controls;
    const qsizetype open = page.indexOf(u'[');
    const qsizetype close = page.indexOf(u']');
    if (open < 0 || close <= open)
        return controls;
    QString list = page.mid(open + 1, close - open - 1);
    list.replace(QStringLiteral("},"), QStringLiteral("#"));
    list.remove(u'{');
    list.remove(u'}');
    list.remove(u' ');
    const QStringList entries = list.split(u'#');
    const auto entry = [&](int i) {
        return i < entries.size() ? controlFrom(entries[i]) : CameraPropertyInfo{};
    };
    controls.brightness = entry(0);
    controls.contrast = entry(1);
    controls.saturation = entry(2);
    controls.hue = entry(3);
    controls.gamma = entry(5);
    controls.sharpness = entry(8);
    return controls;
}

ResolutionChoice WifiSettingsPage::parseResolutionEntry(const QString &entry)
{
    const QStringList fields = entry.split(u',');
    const auto field = [&](int i) { return i < fields.size() ? lenientInt(fields[i]) : 0; };
    // Numbers below 1 name no entry; lenientInt saturates, so INT_MIN must not be stepped down.
    const int number = field(0);
    return {number >= 1 ? number - 1 : -1, double(field(2)), double(field(3))};
}

} // namespace quelmar::viewer
