#pragma once
// What the system knows of the hardware behind a network interface, for the adapter's
// description: the hardware database's vendor and model (udev's hwdb, which holds the PCI and
// USB id lists), else the strings a USB device reports of itself, else its driver's name.

#include <functional>
#include <string>

namespace ondrel {

struct HardwareNames {
    std::string vendor;
    std::string model;
    std::string driver;

    bool operator==(const HardwareNames&) const = default;
};

// Looks up the interface by name; all empty for a virtual interface or an unknown name.
using HardwareLookup = std::function<HardwareNames(const std::string& interfaceName)>;

// The production lookup through libudev, for the interfaces below sysClassNet.
HardwareNames lookUpHardware(const std::string& interfaceName,
                             const std::string& sysClassNet = "/sys/class/net");

// "Vendor Model", the model alone, or the driver; empty when nothing is known.
std::string hardwareText(const HardwareNames& names);

// "eth0 (Vendor Model)", or the bare name when nothing is known of the hardware.
std::string adapterDescription(const std::string& interfaceName, const HardwareNames& names);

} // namespace ondrel
