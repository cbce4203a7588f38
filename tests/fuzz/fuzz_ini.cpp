// The calibration INI file: loaded, looked up the loose way it is, and rewritten.
#include "base/ini_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using quelmar::station::CIniFile;
    const QString path = quelmar::fuzz::scratchFile(QStringLiteral("calibration.ini"), data, size);
    CIniFile ini;
    if (!ini.Load(path))
        quelmar::fuzz::finding("a readable file did not load");
    for (const char *section : {"60", "200", ""}) {
        for (const char *key : {"60", "200", "=", ""}) {
            ini.Find(QString::fromLatin1(section), QString::fromLatin1(key));
            ini.Read(QString::fromLatin1(section), QString::fromLatin1(key));
        }
    }
    if (!ini.Write(QStringLiteral("60"), QStringLiteral("60"), QStringLiteral("3")))
        return 0;
    CIniFile again;
    again.Load(path);
    if (again.Read(QStringLiteral("60"), QStringLiteral("60")) != QStringLiteral("3"))
        quelmar::fuzz::finding("a written value did not read back");
    return 0;
}
