#pragma once
// The search result as text: an aligned table for a person, JSON and CSV for programs. Device
// texts come from the network, so nothing from them reaches the output unescaped that could
// move the cursor, rewrite the screen, turn a text around or split a CSV row.

#include "core/Device.h"
#include "devices/AddressConflicts.h"

#include <string>
#include <string_view>
#include <vector>

namespace ondrel::cli {

class DeviceFormatter {
public:
    // Columns No., DevName, Mac, Adapter, IP, NetMask, GateWay, DNS0, HttpPort, Mode, DevId,
    // SameSubnet, Protocol, Conflict (joined by spaces), then a count line. Mode reads "dhcp" or
    // "static" (nothing for a camera found by ONVIF alone); SameSubnet "yes" when the device's
    // IP lies in its adapter's subnet; Protocol native, onvif or native+onvif. Texts in UTF-8
    // (printableText), columns aligned by the width the terminal gives them (displayWidth).
    static std::string table(const std::vector<Device>& devices,
                             const AddressConflicts* conflicts = nullptr);

    // JSON and CSV as the window's "Save list..." writes them (devices/DeviceExport).
    static std::string json(const std::vector<Device>& devices,
                            const AddressConflicts* conflicts = nullptr);
    static std::string csv(const std::vector<Device>& devices,
                           const AddressConflicts* conflicts = nullptr);

    // A text shown to a person: see printableText.
    static std::string printable(std::string_view text);
    static std::string csvField(std::string_view text);
};

} // namespace ondrel::cli
