#pragma once
// Turns a device found by a search and the command line into the settings to send, exactly as
// the window builds them from its list and form (the device's own value for everything not
// given), and refuses settings that would leave the device unreachable.

#include "CliOptions.h"
#include "core/Device.h"

#include <string>
#include <string_view>
#include <vector>

namespace ondrel::cli {

struct BuildOutcome {
    NetworkSettings settings;
    std::string error; // bad input for this device: nothing may be sent
    bool ok() const { return error.empty(); }
};

class SettingsBuilder {
public:
    // The first device, in arrival order, whose MAC names mac, one that answered our search
    // before a camera found by WS-Discovery alone; null when none does.
    static const Device* findByMac(const std::vector<Device>& devices, const Mac& mac);

    static BuildOutcome build(const Device& device, const CliOptions& options);
};

} // namespace ondrel::cli
