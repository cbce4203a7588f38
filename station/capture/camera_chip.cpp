#include "capture/camera_chip.h"

#include "base/prompt.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>

#include <dlfcn.h>

Q_LOGGING_CATEGORY(lcChip, "quelmar.station.chip", QtWarningMsg)

namespace quelmar::station {

namespace {

constexpr int kMaxHexDigits = 8;

const QString kAddressMessage = QStringLiteral(
    "Incorrect register address, its character can only be 0~9, a~f (A~F), its length can only "
    "<= 4");
const QString kValueMessage = QStringLiteral(
    "Incorrect register value, its character can only be 0~9, a~f (A~F), its length can only "
    "<= 2");
const QString kGetFailed = QStringLiteral("Get ASIC Register fail, not initial? \r\n");
const QString kSetFailed = QStringLiteral("Set ASIC Register fail, not initial? \r\n");

} // namespace

std::optional<std::uint32_t> parseHexText(QStringView text)
{
    if (text.size() > kMaxHexDigits)
        return std::nullopt;
    std::uint32_t value = 0;
    for (const QChar c : text) {
        int digit = 0;
        if (c == u' ')
            digit = 0;
        else if (c >= u'0' && c <= u'9')
            digit = c.unicode() - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c.unicode() - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c.unicode() - u'A' + 10;
        else
            return std::nullopt;
        value = value << 4 | std::uint32_t(digit);
    }
    return value;
}

std::optional<std::uint16_t> parseRegisterAddress(QStringView text)
{
    const std::optional<std::uint32_t> value = parseHexText(text);
    if (!value || *value >= 0x10000)
        return std::nullopt;
    return std::uint16_t(*value);
}

std::optional<std::uint8_t> parseRegisterValue(QStringView text)
{
    const std::optional<std::uint32_t> value = parseHexText(text);
    if (!value || *value >= 0x100)
        return std::nullopt;
    return std::uint8_t(*value);
}

QStringList CameraChip::defaultLibraryPaths()
{
    const QString name = QString::fromLatin1(kLibraryName);
    return {name, QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                  QStringLiteral("/../" QUELMAR_LIB_SUBDIR "/") + name)};
}

void CameraChip::Unload::operator()(void *handle) const
{
    dlclose(handle);
}

CameraChip::CameraChip(Prompt &prompt, QStringList libraryPaths)
    : prompt_(prompt),
      libraryPaths_(libraryPaths.isEmpty() ? defaultLibraryPaths() : std::move(libraryPaths))
{}

CameraChip::~CameraChip()
{
    if (functions_.uninit)
        functions_.uninit();
}

void *CameraChip::resolve(const char *name) const
{
    return library_ ? dlsym(library_.get(), name) : nullptr;
}

void CameraChip::showStatus()
{
    // The status ends in a line break of its own; the message box needs none.
    prompt_.message(QString(), status_.trimmed(), PromptIcon::Warning);
}

bool CameraChip::loadAndInitialise()
{
    for (const QString &path : libraryPaths_) {
        if (library_)
            break;
        library_.reset(dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL));
        if (!library_)
            qCDebug(lcChip) << "cannot load" << path << dlerror();
    }
    if (!library_) {
        status_ = QStringLiteral("Can't find %1!\r\n").arg(QString::fromLatin1(kLibraryName));
        showStatus();
        return false;
    }
    const auto init = reinterpret_cast<decltype(&SunplusCam_Init)>(resolve("SunplusCam_Init"));
    lastResult_ = init ? init() : -1;
    if (lastResult_ != 0) {
        status_ = QStringLiteral("Sunplus camera is not found.\r\n");
        return false;
    }
    functions_.init = init;
    functions_.getRegister =
        reinterpret_cast<decltype(&GetASICRegister)>(resolve("GetASICRegister"));
    functions_.setRegister =
        reinterpret_cast<decltype(&SetASICRegister)>(resolve("SetASICRegister"));
    functions_.uninit =
        reinterpret_cast<decltype(&SunplusCam_UnInit)>(resolve("SunplusCam_UnInit"));
    status_ = QStringLiteral("Sunplus camera is found, initial ok.\r\n");
    return true;
}

void CameraChip::uninitialise()
{
    if (!functions_.uninit) {
        status_ = QStringLiteral("Sunplus camera not initial.\r\n");
        return;
    }
    functions_.uninit();
    status_ = QStringLiteral("Sunplus camera uninitial ok.\r\n");
    functions_ = {};
}

std::optional<std::uint8_t> CameraChip::readRegister(const QString &address)
{
    const std::optional<std::uint16_t> where = parseRegisterAddress(address);
    if (!where) {
        prompt_.message(QStringLiteral("Error"), kAddressMessage, PromptIcon::Error);
        return std::nullopt;
    }
    if (!functions_.getRegister) {
        status_ = kGetFailed;
        showStatus();
        return std::nullopt;
    }
    unsigned char value = 0;
    lastResult_ = functions_.getRegister(0, *where, &value);
    if (lastResult_ != 0) {
        status_ = kGetFailed;
        return std::nullopt;
    }
    status_ = QStringLiteral("Get ASIC Register ok.\r\n");
    qCDebug(lcChip) << "register" << address << "=" << QString::asprintf("%2x", value);
    return value;
}

void CameraChip::writeRegister(const QString &address, const QString &value)
{
    const std::optional<std::uint16_t> where = parseRegisterAddress(address);
    if (!where) {
        prompt_.message(QStringLiteral("Error"), kAddressMessage, PromptIcon::Error);
        return;
    }
    const std::optional<std::uint8_t> what = parseRegisterValue(value);
    if (!what) {
        prompt_.message(QStringLiteral("Error"), kValueMessage, PromptIcon::Error);
        return;
    }
    if (!functions_.setRegister) {
        status_ = kSetFailed;
        showStatus();
        return;
    }
    functions_.setRegister(0, *where, *what);
    // The write's own result is not used: the status follows the last stored result.
    status_ = lastResult_ != 0 ? kSetFailed : QStringLiteral("Set ASIC Register ok.\r\n");
}

} // namespace quelmar::station
