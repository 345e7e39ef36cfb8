// Feeds arbitrary plan files through the reader and, when one reads, through the explicit plan
// against a fixed list of devices. Checks what the CLI relies on: rows within the bounds, in
// file order, each with its MAC and IP; a refusal always has its line; an accepted plan gives
// distinct, fixed addresses.

#include "devices/AssignPlan.h"
#include "devices/PlanFile.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

using namespace ondrel;

namespace {

std::vector<Device> listed() {
    std::vector<Device> devices;
    for (unsigned n = 1; n <= 4; ++n) {
        Device d;
        d.name = "Cam " + std::to_string(n);
        d.mac = ReportedMac::fromText("02:4F:4E:00:00:0" + std::to_string(n));
        d.id = "CAM" + std::to_string(n);
        d.ip = ReportedAddress::fromText("192.168.0.64");
        d.netMask = ReportedAddress::fromText("255.255.255.0");
        d.gateway = ReportedAddress::fromText("192.168.0.1");
        devices.push_back(d);
    }
    return devices;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const PlanFileReading reading = PlanFile::parse(text);
    if (!reading.ok()) {
        if (!reading.rows.empty() || describe(reading).empty()) {
            std::abort();
        }
        return 0;
    }
    if (reading.rows.size() > PlanFile::kMaxRows) {
        std::abort();
    }
    std::size_t line = 0;
    for (const PlanRow& r : reading.rows) {
        if (r.line <= line || r.mac.empty() || r.ip.empty()) {
            std::abort();
        }
        line = r.line;
    }

    static const std::vector<Device> devices = listed();
    const AssignPlan plan = planExplicit({reading.rows, devices, {}}, nullptr);
    if (!plan.ok()) {
        // Every refusal of a plan file's rows names its row's line.
        const PlanPlace* at = placeOf(*plan.refusal);
        if (!plan.devices.empty() || (!std::holds_alternative<refusal::NoDevices>(*plan.refusal) &&
                                      (at == nullptr || at->line == 0))) {
            std::abort();
        }
        return 0;
    }
    std::set<std::string> addresses;
    for (const PlannedDevice& d : plan.devices) {
        if (d.settings.mode != AddressMode::Static || !addresses.insert(d.settings.ip).second) {
            std::abort();
        }
    }
    return 0;
}
