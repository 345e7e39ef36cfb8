#include "HardwareNames.h"

#include <libudev.h>

#include <memory>
#include <string_view>

namespace ondrel {

namespace {

struct UdevUnref {
    void operator()(udev* context) const { udev_unref(context); }
};
struct DeviceUnref {
    void operator()(udev_device* device) const { udev_device_unref(device); }
};
struct HwdbUnref {
    void operator()(udev_hwdb* hwdb) const { udev_hwdb_unref(hwdb); }
};

std::string text(const char* value) {
    return value != nullptr ? std::string(value) : std::string();
}

// The vendor and model the hardware database holds for a device: udev's own record of it when
// udevd has seen the device, else the database asked directly by the device's modalias (a
// system without udevd, such as a container, still has the database file).
void fromDatabase(udev_device* device, udev_hwdb* hwdb, HardwareNames& names) {
    names.vendor = text(udev_device_get_property_value(device, "ID_VENDOR_FROM_DATABASE"));
    names.model = text(udev_device_get_property_value(device, "ID_MODEL_FROM_DATABASE"));
    const char* modalias = udev_device_get_sysattr_value(device, "modalias");
    if (!names.model.empty() || hwdb == nullptr || modalias == nullptr) {
        return;
    }
    udev_list_entry* entry = udev_hwdb_get_properties_list_entry(hwdb, modalias, 0);
    for (; entry != nullptr; entry = udev_list_entry_get_next(entry)) {
        const std::string key = text(udev_list_entry_get_name(entry));
        if (key == "ID_VENDOR_FROM_DATABASE") {
            names.vendor = text(udev_list_entry_get_value(entry));
        } else if (key == "ID_MODEL_FROM_DATABASE") {
            names.model = text(udev_list_entry_get_value(entry));
        }
    }
}

} // namespace

HardwareNames lookUpHardware(const std::string& interfaceName, const std::string& sysClassNet) {
    const std::unique_ptr<udev, UdevUnref> context(udev_new());
    if (!context || interfaceName.empty() || interfaceName.find('/') != std::string::npos) {
        return {};
    }
    const std::unique_ptr<udev_device, DeviceUnref> link(
        udev_device_new_from_syspath(context.get(), (sysClassNet + "/" + interfaceName).c_str()));
    if (!link) {
        return {};
    }
    // Bridges, veths, tunnels: no hardware, nothing to name.
    const std::string path = text(udev_device_get_syspath(link.get()));
    if (path.find("/devices/virtual/") != std::string::npos) {
        return {};
    }
    const std::unique_ptr<udev_hwdb, HwdbUnref> hwdb(udev_hwdb_new(context.get()));
    HardwareNames names;
    names.driver = text(udev_device_get_property_value(link.get(), "ID_NET_DRIVER"));
    // The interface's own record, then the devices it sits on: a virtio network device below
    // its PCI function, a USB interface below its USB device. A parent is owned by its child,
    // so only the interface itself is released.
    udev_device* device = link.get();
    for (int depth = 0; device != nullptr && depth < 3; ++depth) {
        HardwareNames found;
        fromDatabase(device, hwdb.get(), found);
        if (found.model.empty()) {
            found.model = text(udev_device_get_sysattr_value(device, "product"));
            found.vendor = text(udev_device_get_sysattr_value(device, "manufacturer"));
        }
        if (names.model.empty() && !found.model.empty()) {
            names.vendor = found.vendor;
            names.model = found.model;
        }
        if (names.driver.empty()) {
            names.driver = text(udev_device_get_driver(device));
        }
        device = udev_device_get_parent(device);
    }
    return names;
}

std::string hardwareText(const HardwareNames& names) {
    if (!names.model.empty()) {
        return names.vendor.empty() ? names.model : names.vendor + " " + names.model;
    }
    return names.driver;
}

std::string adapterDescription(const std::string& interfaceName, const HardwareNames& names) {
    const std::string hardware = hardwareText(names);
    return hardware.empty() ? interfaceName : interfaceName + " (" + hardware + ")";
}

} // namespace ondrel
