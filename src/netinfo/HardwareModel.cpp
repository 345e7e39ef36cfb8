#include "HardwareModel.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace ondrel {

namespace fs = std::filesystem;

namespace {

std::string ReadFirstLine(const fs::path& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) {
        line.pop_back();
    }
    return line;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// "0x8086" -> "8086"
std::string BareHex(std::string text) {
    if (text.rfind("0x", 0) == 0) {
        text.erase(0, 2);
    }
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string UsbProduct(const fs::path& device) {
    // The interface's device is a USB interface; its parent is the USB device.
    const fs::path usbDevice = device.parent_path();
    const std::string product = ReadFirstLine(usbDevice / "product");
    if (product.empty()) {
        return {};
    }
    const std::string maker = ReadFirstLine(usbDevice / "manufacturer");
    return maker.empty() ? product : maker + " " + product;
}

std::string PciName(const fs::path& device, const std::vector<std::string>& pciIdsFiles) {
    // A virtio network device sits below the PCI function that carries the ids.
    for (const fs::path& candidate : {device, device.parent_path()}) {
        const std::string vendor = ReadFirstLine(candidate / "vendor");
        const std::string product = ReadFirstLine(candidate / "device");
        if (vendor.rfind("0x", 0) != 0 || product.rfind("0x", 0) != 0) {
            continue;
        }
        for (const std::string& file : pciIdsFiles) {
            std::error_code ec;
            if (!fs::is_regular_file(file, ec)) {
                continue;
            }
            std::string name = LookupPciName(ReadAll(file), BareHex(vendor), BareHex(product));
            if (!name.empty()) {
                return name;
            }
        }
        return {};
    }
    return {};
}

} // namespace

std::string LookupPciName(std::string_view pciIds, const std::string& vendorHex,
                          const std::string& deviceHex) {
    std::istringstream lines{std::string(pciIds)};
    std::string line;
    std::string vendorName;
    bool inVendor = false;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line[0] != '\t') {
            if (inVendor) {
                break; // the vendor's device lines are over
            }
            if (line.rfind(vendorHex + "  ", 0) == 0) {
                inVendor = true;
                vendorName = line.substr(vendorHex.size() + 2);
            }
            continue;
        }
        if (inVendor && line.size() > 1 && line[1] != '\t' &&
            line.rfind("\t" + deviceHex + "  ", 0) == 0) {
            return vendorName + " " + line.substr(deviceHex.size() + 3);
        }
    }
    return {};
}

std::string HardwareModel(const std::string& sysClassNet, const std::string& iface,
                          const std::vector<std::string>& pciIdsFiles) {
    std::error_code ec;
    const fs::path link = fs::path(sysClassNet) / iface / "device";
    if (!fs::exists(link, ec)) {
        return {};
    }
    const fs::path device = fs::canonical(link, ec);
    if (ec) {
        return {};
    }
    std::string model = UsbProduct(device);
    if (model.empty()) {
        model = PciName(device, pciIdsFiles);
    }
    if (model.empty()) {
        const fs::path driver = fs::canonical(device / "driver", ec);
        if (!ec) {
            model = driver.filename().string();
        }
    }
    return model;
}

} // namespace ondrel
