// The station's settings store file: read by key path, then rewritten with one more value,
// which must read back while the others keep theirs.
#include "base/registry_store.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using quelmar::station::RegistryStore;
    const QString path = quelmar::fuzz::scratchFile(QStringLiteral("settings.reg"), data, size);
    RegistryStore store(path);
    const QString key = QStringLiteral("Software\\ScopeDesk\\Settings");
    const auto width = store.readDword(key, QStringLiteral("Width"));
    const auto folder = store.readString(key, QStringLiteral("Folder"));
    store.keyExists(key);
    if (!store.writeDword(QStringLiteral("Software\\ScopeDesk\\Fuzz"), QStringLiteral("N"), 7))
        quelmar::fuzz::finding("the store could not be rewritten");
    if (store.readDword(QStringLiteral("Software\\ScopeDesk\\Fuzz"), QStringLiteral("N")) != 7u ||
        store.readDword(key, QStringLiteral("Width")) != width ||
        store.readString(key, QStringLiteral("Folder")) != folder)
        quelmar::fuzz::finding("a rewrite changed what the store reads");
    return 0;
}
