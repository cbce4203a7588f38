// A stand-in for the chip vendor's register library: the two registers the station uses, with
// the button reporting only after it was armed, results the test chooses, and a log of calls.
#include "sunplus_stand_in.h"
#include "sunplus_camera_api.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <string>

namespace {

constexpr unsigned short kArmRegister = 0x2041;
constexpr unsigned short kButtonRegister = 0x2058;

struct Chip {
    std::mutex mutex; // the library may be called from any thread
    int initResult = 0;
    int readResult = 0;
    bool open = false;
    unsigned char button = 0;
    std::map<unsigned short, unsigned char> registers;
    std::string calls;
};

Chip &chip()
{
    static Chip instance;
    return instance;
}

void log(Chip &c, const char *format, unsigned address = 0, unsigned value = 0)
{
    char line[64];
    std::snprintf(line, sizeof(line), format, address, value);
    c.calls += line;
    c.calls += '\n';
}

} // namespace

extern "C" {

int SunplusCam_Init(void)
{
    Chip &c = chip();
    const std::lock_guard lock(c.mutex);
    log(c, "Init");
    c.open = c.initResult == 0;
    return c.initResult;
}

int GetASICRegister(int, unsigned short address, unsigned char *value)
{
    Chip &c = chip();
    const std::lock_guard lock(c.mutex);
    log(c, "Get %04x", address);
    if (!c.open || c.readResult != 0)
        return c.readResult != 0 ? c.readResult : -1;
    if (address == kButtonRegister)
        *value = c.registers[kArmRegister] == 1 ? c.button : 0;
    else
        *value = c.registers[address];
    return 0;
}

int SetASICRegister(int, unsigned short address, unsigned char value)
{
    Chip &c = chip();
    const std::lock_guard lock(c.mutex);
    log(c, "Set %04x %02x", address, value);
    if (!c.open)
        return -1;
    c.registers[address] = value;
    return 0;
}

void SunplusCam_UnInit(void)
{
    Chip &c = chip();
    const std::lock_guard lock(c.mutex);
    log(c, "UnInit");
    c.open = false;
    c.registers.clear();
}

void StandIn_Reset(void)
{
    Chip &c = chip();
    const std::lock_guard lock(c.mutex);
    c.initResult = 0;
    c.readResult = 0;
    c.open = false;
    c.button = 0;
    c.registers.clear();
    c.calls.clear();
}

void StandIn_SetInitResult(int result)
{
    const std::lock_guard lock(chip().mutex);
    chip().initResult = result;
}

void StandIn_SetReadResult(int result)
{
    const std::lock_guard lock(chip().mutex);
    chip().readResult = result;
}

void StandIn_SetButton(unsigned char state)
{
    const std::lock_guard lock(chip().mutex);
    chip().button = state;
}

const char *StandIn_Calls(void)
{
    const std::lock_guard lock(chip().mutex);
    return chip().calls.c_str();
}

} // extern "C"
