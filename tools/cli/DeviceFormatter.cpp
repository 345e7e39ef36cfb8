#include "DeviceFormatter.h"

#include "DisplayText.h"

#include "devices/DeviceExport.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>

namespace ondrel::cli {

std::string DeviceFormatter::printable(std::string_view text) {
    return printableText(text);
}

std::string DeviceFormatter::csvField(std::string_view text) {
    return ondrel::csvField(text);
}

std::string DeviceFormatter::json(const std::vector<Device>& devices,
                                  const AddressConflicts* conflicts) {
    return devicesAsJson(devices, conflicts);
}

std::string DeviceFormatter::csv(const std::vector<Device>& devices,
                                 const AddressConflicts* conflicts) {
    return devicesAsCsv(devices, conflicts);
}

std::string DeviceFormatter::table(const std::vector<Device>& devices,
                                   const AddressConflicts* conflicts) {
    const auto conflict = [&](std::size_t i) {
        std::string text;
        if (conflicts != nullptr) {
            for (const std::string& party : conflicts->parties(i, devices)) {
                text += (text.empty() ? "" : " ") + printable(party);
            }
        }
        return text;
    };
    // Details read: each camera's model, firmware and clock beside the rest.
    const bool details = std::any_of(devices.begin(), devices.end(),
                                     [](const Device& d) { return !d.details.status.empty(); });
    std::vector<std::vector<std::string>> rows;
    rows.push_back({"No.", "DevName", "Mac", "Adapter", "IP", "NetMask", "GateWay", "DNS0",
                    "HttpPort", "Mode", "DevId", "SameSubnet", "Protocol", "Conflict"});
    if (details) {
        rows.back().insert(rows.back().end(), {"Model", "Firmware", "Clock"});
    }
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const Device& d = devices[i];
        // A camera found by ONVIF alone does not say how it gets its address.
        const std::string_view mode = d.protocols == Protocols::Onvif && !d.details.networkRead
                                          ? std::string_view()
                                          : addressModeName(d.mode);
        rows.push_back({std::to_string(i), printable(d.name), printable(d.mac.text),
                        printable(d.adapter.name), printable(d.ip.text), printable(d.netMask.text),
                        printable(d.gateway.text), printable(d.dns0.text),
                        std::to_string(d.httpPort), std::string(mode), printable(d.id),
                        d.inAdapterSubnet() ? "yes" : "no", std::string(protocolsName(d.protocols)),
                        conflict(i)});
        if (details) {
            const std::optional<int64_t> offset = d.details.clockOffset;
            rows.back().insert(rows.back().end(),
                               {printable(d.details.model), printable(d.details.firmware),
                                offset ? clockOffsetText(*offset) : std::string()});
        }
    }
    std::string out = alignedColumns(rows);
    out += std::to_string(devices.size()) + (devices.size() == 1 ? " device\n" : " devices\n");
    return out;
}

} // namespace ondrel::cli
