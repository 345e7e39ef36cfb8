#pragma once
// The device list as CSV and JSON for programs: what `ondrel-cli search --format csv|json`
// prints and what the window's "Save list..." writes, one formatter for both so that a list
// saved from the window reads exactly as the CLI's.
//
// Device texts come from the network, so nothing from them reaches the output unescaped that
// could move a terminal's cursor or split a CSV row. Fields are the export's rows of the table
// of a device's fields (DeviceFields): the reply's order, then where the device answered;
// scripts read the CSV by position, so a new field is appended.

#include "core/Device.h"
#include "devices/AddressConflicts.h"

#include <string>
#include <string_view>
#include <vector>

namespace ondrel {

// Objects keyed by the reply's field names, numbers as numbers, never the account or password;
// then Adapter, SameSubnet, Mode ("static" or "dhcp") and Conflict (the other devices' MACs and
// "this PC"); then Protocol ("native", "onvif" or "native+onvif"), Hardware, Location,
// ServiceUrl and Endpoint. IPMode is 1 for dhcp and 0 for static, as it has always been
// printed. A camera found by WS-Discovery alone gives "" for the texts it does not report and
// null for the numbers (empty in CSV). UTF-8, with control characters escaped. conflicts may be
// null: no device conflicts.
std::string devicesAsJson(std::size_t count, const AddressConflicts::DeviceAt& at,
                          const AddressConflicts* conflicts);
template <typename Devices>
std::string devicesAsJson(const Devices& devices, const AddressConflicts* conflicts) {
    return devicesAsJson(
        devices.size(), [&devices](std::size_t i) -> DeviceView { return devices[i]; }, conflicts);
}

// A header line with the JSON's keys, then a line per device; a conflict's parties joined by
// spaces.
std::string devicesAsCsv(std::size_t count, const AddressConflicts::DeviceAt& at,
                         const AddressConflicts* conflicts);
template <typename Devices>
std::string devicesAsCsv(const Devices& devices, const AddressConflicts* conflicts) {
    return devicesAsCsv(
        devices.size(), [&devices](std::size_t i) -> DeviceView { return devices[i]; }, conflicts);
}

// One CSV field: control characters as \xNN, quoted when it holds a comma, a quote or blanks
// at an end.
std::string csvField(std::string_view text);

} // namespace ondrel
