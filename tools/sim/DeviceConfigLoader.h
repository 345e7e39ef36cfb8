#pragma once
// Devices from a JSON file: a list of device objects, or an object whose "devices" member is
// that list. A key left out takes the value of the generated device at the same position, so
// a file names only what matters to it. Every value is checked: a device that the simulator
// could not present faithfully is an error, not a surprise in the middle of a test.

#include "SimDevice.h"

#include <string>
#include <string_view>
#include <vector>

namespace ondrel::sim {

struct LoadResult {
    std::vector<SimDevice> devices;
    std::string error; // empty on success; names the file and the device and key at fault
    bool ok() const { return error.empty(); }
};

class DeviceConfigLoader {
public:
    // Long enough for any field of the record, short enough that a whole reply stays well
    // inside one listener's receive buffer.
    static constexpr std::size_t kMaxText = 48;

    static LoadResult loadFile(const std::string& path);
    // source names the text in error messages.
    static LoadResult loadText(std::string_view text, std::string_view source);

    static bool isMac(std::string_view text);
};

} // namespace ondrel::sim
