#pragma once
// After a restart: finds the device's new answer and compares it with the settings sent.

#include "discovery/DeviceInfo.h"

#include <optional>
#include <string>
#include <vector>

namespace ondrel::cli {

class SettingsCheck {
public:
    // The answers of the device the settings were sent to, in arrival order: by DevId when the
    // record has one, by MAC otherwise (the address itself may just have changed).
    static std::vector<DeviceInfo> AnswersOf(const std::vector<DeviceInfo>& devices,
                                             const DeviceInfo& sent);

    // The differences between the settings sent (IPMode 0 = automatic) and a search answer
    // (IPMode 1 = automatic), one line each, empty when the device took them all. With
    // automatic addressing the address, mask, gateway and DNS are the network's to choose, so
    // only the mode and the port are compared.
    static std::vector<std::string> Differences(const DeviceInfo& sent, const DeviceInfo& answer);
};

} // namespace ondrel::cli
