#include "DeviceFormatter.h"

#include "DisplayText.h"

#include "devices/DeviceExport.h"

#include <array>
#include <cstdio>
#include <functional>

namespace ondrel::cli {

std::string DeviceFormatter::Printable(std::string_view text) {
    return printableText(text);
}

std::string DeviceFormatter::CsvField(std::string_view text) {
    return csvField(text);
}

std::string DeviceFormatter::Json(const std::vector<Device>& devices,
                                  const AddressConflicts* conflicts) {
    return devicesAsJson(devices, conflicts);
}

std::string DeviceFormatter::Csv(const std::vector<Device>& devices,
                                 const AddressConflicts* conflicts) {
    return devicesAsCsv(devices, conflicts);
}

std::string DeviceFormatter::Table(const std::vector<Device>& devices,
                                   const AddressConflicts* conflicts) {
    const auto Conflict = [&](std::size_t i) {
        std::string text;
        if (conflicts != nullptr) {
            for (const std::string& party : conflicts->parties(i, devices)) {
                text += (text.empty() ? "" : " ") + Printable(party);
            }
        }
        return text;
    };
    std::vector<std::vector<std::string>> rows;
    rows.push_back({"No.", "DevName", "Mac", "Adapter", "IP", "NetMask", "GateWay", "DNS0",
                    "HttpPort", "Mode", "DevId", "SameSubnet", "Conflict"});
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const Device& d = devices[i];
        rows.push_back({std::to_string(i), Printable(d.name), Printable(d.mac),
                        Printable(d.adapter.name), Printable(d.ip.text), Printable(d.netMask.text),
                        Printable(d.gateway.text), Printable(d.dns0.text),
                        std::to_string(d.httpPort), std::string(addressModeName(d.mode)),
                        Printable(d.id), d.inAdapterSubnet() ? "yes" : "no", Conflict(i)});
    }
    std::string out = alignedColumns(rows);
    out += std::to_string(devices.size()) + (devices.size() == 1 ? " device\n" : " devices\n");
    return out;
}

} // namespace ondrel::cli
