#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ondrel {

// What the system knows of the hardware behind a network interface: the product name of a
// USB adapter, the PCI vendor and device names from a pci.ids database, or else the name of
// the driver. Empty for virtual interfaces.
std::string HardwareModel(const std::string& sysClassNet, const std::string& iface,
                          const std::vector<std::string>& pciIdsFiles);

// "Vendor Device" for the ids from the text of a pci.ids database; empty when unknown.
std::string LookupPciName(std::string_view pciIds, const std::string& vendorHex,
                          const std::string& deviceHex);

} // namespace ondrel
