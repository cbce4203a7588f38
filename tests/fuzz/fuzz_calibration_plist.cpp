// The viewer's calibration property list: parsed, and every name looked up through the store.
#include "app/calibration_store.h"
#include "app/property_list.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quelmar::viewer;
    bool ok = false;
    const PropertyList list = PropertyList::parse(quelmar::fuzz::bytesOf(data, size), nullptr, &ok);
    if (ok) {
        // The XML holds the keys sorted; values XML cannot carry (a bare CR) may change, which
        // write() checks for and refuses.
        bool reread = false;
        const PropertyList again = PropertyList::parse(list.toXml(), nullptr, &reread);
        QStringList before = list.keys(), after = again.keys();
        before.sort();
        after.sort();
        if (!reread || before != after)
            quelmar::fuzz::finding("a list does not read back from its own XML");
    }
    const QString path =
        quelmar::fuzz::scratchFile(QStringLiteral("calibration.plist"), data, size);
    const CalibrationStore store(path);
    for (const QString &name : store.names()) {
        const auto calibration = store.find(name);
        if (calibration && !(calibration->magnification > 0 && calibration->unitLength > 0))
            quelmar::fuzz::finding("a stored calibration is not positive");
    }
    return 0;
}
