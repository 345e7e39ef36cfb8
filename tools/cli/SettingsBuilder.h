#pragma once
// Turns a device found by a search and the command line into the settings record to send,
// exactly as the window builds it from its table entry and form (the device's own value for
// everything not given), and refuses records that would leave the device unreachable.

#include "CliOptions.h"
#include "devices/CDeviceTable.h"
#include "discovery/DeviceInfo.h"

#include <optional>
#include <string>
#include <vector>

namespace ondrel::cli {

struct BuildOutcome {
    DeviceInfo record{};
    std::string error; // bad input for this device: nothing may be sent
    bool ok() const { return error.empty(); }
};

class SettingsBuilder {
public:
    // The first device, in arrival order, whose Mac names mac.
    static std::optional<DeviceCopy> FindByMac(const std::vector<DeviceCopy>& devices,
                                               const MacBytes& mac);

    static BuildOutcome Build(const DeviceInfo& device, const CliOptions& options,
                              const std::string& password);
};

} // namespace ondrel::cli
