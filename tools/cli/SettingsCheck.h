#pragma once
// After a restart: finds the device's new answer and compares it with the settings sent.

#include "core/Device.h"

#include <string>
#include <vector>

namespace ondrel::cli {

class SettingsCheck {
public:
    // The answers of the device the settings were sent to, in arrival order: by DevId when it
    // has one, by MAC otherwise (the address itself may just have changed).
    static std::vector<Device> answersOf(const std::vector<Device>& devices, const Device& target);

    // The differences between the settings sent and a search answer, one line each, empty when
    // the device took them all. With automatic addressing the address, mask, gateway and DNS
    // are the network's to choose, so only the mode and the port are compared.
    static std::vector<std::string> differences(const NetworkSettings& sent, const Device& answer);
};

} // namespace ondrel::cli
