#pragma once
// The search result as text: an aligned table for a person, JSON and CSV for programs. Device
// texts come from the network, so nothing from them reaches the output unescaped that could
// move the cursor, rewrite the screen, turn a text around or split a CSV row.

#include "core/Device.h"

#include <string>
#include <string_view>
#include <vector>

namespace ondrel::cli {

class DeviceFormatter {
public:
    // Columns No., DevName, Mac, Adapter, IP, NetMask, GateWay, DNS0, HttpPort, Mode, DevId,
    // SameSubnet, then a count line. Mode reads "dhcp" or "static"; SameSubnet "yes" when the
    // device's IP lies in its adapter's subnet. Texts in UTF-8 (printableText), columns aligned
    // by the width the terminal gives them (displayWidth).
    static std::string Table(const std::vector<Device>& devices);

    // An array of objects keyed by the reply's field names, in the reply's order; numbers as
    // numbers. The account and password are never written. Then Adapter, the interface the
    // device answered on ("" when unknown); SameSubnet, true when the device's IP lies in that
    // adapter's subnet (false also when the adapter has no IPv4 address); and Mode, "static" or
    // "dhcp". IPMode is 1 for dhcp and 0 for static, as it has always been printed. Texts as
    // UTF-8, with control characters escaped.
    static std::string Json(const std::vector<Device>& devices);

    // One header line with the same names as the JSON keys, then one line per device.
    static std::string Csv(const std::vector<Device>& devices);

    // A text shown to a person: see printableText.
    static std::string Printable(std::string_view text);
    static std::string CsvField(std::string_view text);
};

} // namespace ondrel::cli
