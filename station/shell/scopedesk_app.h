// CScopeDeskApp: the station process. It owns the real outside services and the main window,
// and is the one place that holds what lives as long as the program.
#pragma once

#include "shell/scopedesk_options.h"

#include <memory>

namespace quelmar::station {

class CScopeDeskApp {
public:
    CScopeDeskApp();
    ~CScopeDeskApp();
    CScopeDeskApp(const CScopeDeskApp &) = delete;
    CScopeDeskApp &operator=(const CScopeDeskApp &) = delete;

    // Shows the main window and runs until it closes; returns the exit code.
    int run(const ScopeDeskOptions &options);

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

} // namespace quelmar::station
