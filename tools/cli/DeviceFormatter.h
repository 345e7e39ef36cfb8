#pragma once
// The search result as text: an aligned table for a person, JSON and CSV for programs. Device
// texts come from the network, so nothing from them reaches the output unescaped: a control
// character could otherwise move the cursor, rewrite the screen or split a CSV row.

#include "discovery/DeviceInfo.h"

#include <string>
#include <string_view>
#include <vector>

namespace ondrel::cli {

class DeviceFormatter {
public:
    // Columns No., DevName, Mac, IP, NetMask, GateWay, DNS0, HttpPort, Mode, DevId, then a
    // count line. Mode reads "dhcp" or "static" from the decoded IPMode (1 = automatic).
    static std::string Table(const std::vector<DeviceInfo>& devices);

    // An array of objects keyed by the record's field names, in the record's order; numbers as
    // numbers. The account and password fields are never written.
    static std::string Json(const std::vector<DeviceInfo>& devices);

    // One header line with the same names as the JSON keys, then one line per device.
    static std::string Csv(const std::vector<DeviceInfo>& devices);

    // Printable ASCII kept; other bytes written as \xNN. For texts shown to a person.
    static std::string Printable(std::string_view text);
    static std::string CsvField(std::string_view text);
};

} // namespace ondrel::cli
