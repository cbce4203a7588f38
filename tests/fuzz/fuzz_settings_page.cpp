// The Wi-Fi microscope's settings page, a script text read by fixed markers.
#include "device/settings_page.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using quelmar::viewer::WifiSettingsPage;
    const QByteArray bytes = quelmar::fuzz::bytesOf(data, size);
    const QString page = QString::fromUtf8(bytes);
    WifiSettingsPage::isComplete(bytes);
    const auto values = WifiSettingsPage::parse(page);
    for (const QString &entry : values.resolutions) {
        if (!WifiSettingsPage::parseResolutionEntry(entry).isValid())
            quelmar::fuzz::finding("an unusable resolution entry was listed");
    }
    WifiSettingsPage::entryPosition(values.resolutions, values.resolutionIndex);
    WifiSettingsPage::largestSize(values.resolutions);
    WifiSettingsPage::parseControls(page);
    return 0;
}
