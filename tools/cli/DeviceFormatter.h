#pragma once
// The search result as text: an aligned table for a person, JSON and CSV for programs. Device
// texts come from the network, so nothing from them reaches the output unescaped: a control
// character could otherwise move the cursor, rewrite the screen or split a CSV row.

#include "devices/CDeviceTable.h"

#include <string>
#include <string_view>
#include <vector>

namespace ondrel::cli {

class DeviceFormatter {
public:
    // Columns No., DevName, Mac, Adapter, IP, NetMask, GateWay, DNS0, HttpPort, Mode, DevId,
    // SameSubnet, then a count line. Mode reads "dhcp" or "static" from the decoded IPMode
    // (1 = automatic); SameSubnet "yes" when the device's IP lies in its adapter's subnet.
    static std::string Table(const std::vector<DeviceCopy>& devices);

    // An array of objects keyed by the record's field names, in the record's order; numbers as
    // numbers. The account and password fields are never written. Then Adapter, the interface
    // the device answered on ("" when unknown), and SameSubnet, true when the device's IP lies
    // in that adapter's subnet (false also when the adapter has no IPv4 address).
    static std::string Json(const std::vector<DeviceCopy>& devices);

    // One header line with the same names as the JSON keys, then one line per device.
    static std::string Csv(const std::vector<DeviceCopy>& devices);

    // Printable ASCII kept; other bytes written as \xNN. For texts shown to a person.
    static std::string Printable(std::string_view text);
    static std::string CsvField(std::string_view text);
};

} // namespace ondrel::cli
