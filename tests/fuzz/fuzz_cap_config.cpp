// CapConfig.dat, the 88-byte capture configuration: read, and its bytes survive a round trip.
#include "base/cap_config.h"
#include "fuzz_support.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using quelmar::station::CapConfig;
    const QString path = quelmar::fuzz::scratchFile(QStringLiteral("CapConfig.dat"), data, size);
    const auto config = quelmar::station::readCapConfig(path);
    if (config.has_value() != (size >= std::size_t(CapConfig::kByteSize)))
        quelmar::fuzz::finding("a file read or refused against its size");
    if (config) {
        const auto bytes = config->toBytes();
        if (!std::equal(bytes.begin(), bytes.end(), data))
            quelmar::fuzz::finding("the record does not give back its bytes");
    }
    return 0;
}
