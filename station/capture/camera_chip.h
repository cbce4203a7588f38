// Register access to the controller chip of sensor-class-4 cameras through the chip vendor's
// library, loaded at run time: loading and initialising, the hexadecimal texts of register
// addresses and values, reading and writing registers, and the status texts of each step.
// Messages go through the prompt; nothing here needs a window.
#pragma once

#include "capture/sunplus_camera_api.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

namespace quelmar::station {

class Prompt;

// A hexadecimal text of at most 8 characters read left to right, a blank counting as a zero
// digit; an empty text is 0. Nothing for a longer text or any other character.
std::optional<std::uint32_t> parseHexText(QStringView text);
// A register address: a hexadecimal text below 0x10000.
std::optional<std::uint16_t> parseRegisterAddress(QStringView text);
// A register value: a hexadecimal text below 0x100.
std::optional<std::uint8_t> parseRegisterValue(QStringView text);

// The library's functions the station calls; a null entry was not resolved.
struct ChipFunctions {
    decltype(&SunplusCam_Init) init = nullptr;
    decltype(&GetASICRegister) getRegister = nullptr;
    decltype(&SetASICRegister) setRegister = nullptr;
    decltype(&SunplusCam_UnInit) uninit = nullptr;
};

class CameraChip {
public:
    static constexpr const char *kLibraryName = "libSunplusCamera.so";
    // The library from the system's library search path, then from the library directory of
    // the installation the program runs from.
    static QStringList defaultLibraryPaths();

    // `libraryPaths` are tried in order; empty means the default paths.
    explicit CameraChip(Prompt &prompt, QStringList libraryPaths = {});
    ~CameraChip();
    CameraChip(const CameraChip &) = delete;
    CameraChip &operator=(const CameraChip &) = delete;

    // Loads the library (once; it stays loaded) and initialises the camera: true when ready.
    bool loadAndInitialise();
    void uninitialise();
    // The register at the hexadecimal `address`; nothing when the text is invalid (reported),
    // the library is not initialised (reported) or the read fails (status only).
    std::optional<std::uint8_t> readRegister(const QString &address);
    void writeRegister(const QString &address, const QString &value);

    const QString &status() const { return status_; }
    int lastResult() const { return lastResult_; }
    bool isLoaded() const { return library_ != nullptr; }
    bool isInitialised() const { return functions_.getRegister != nullptr; }

private:
    struct Unload {
        void operator()(void *handle) const;
    };
    void *resolve(const char *name) const;
    void showStatus();

    Prompt &prompt_;
    QStringList libraryPaths_;
    std::unique_ptr<void, Unload> library_;
    ChipFunctions functions_;
    int lastResult_ = 0;
    QString status_; // for diagnostics; shown only when the library or a function is missing
};

} // namespace quelmar::station
