#include "DeviceConfigLoader.h"

#include "DeviceReader.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace ondrel::sim {

using Json = nlohmann::json;

namespace {

std::string readDevice(const Json& object, std::size_t index, SimDevice& d) {
    const std::string where = "devices[" + std::to_string(index) + "]";
    if (!object.is_object()) {
        return where + ": expected an object";
    }
    DeviceReader r(object, where);
    r.rejectUnknownKeys(
        {"name",     "devId",    "mac",       "ip",          "mask",       "gateway",      "dns0",
         "dns1",     "httpPort", "dhcp",      "wifi",        "webVersion", "appVersion",   "user",
         "password", "onSet",    "restartMs", "hardware",    "location",   "manufacturer", "model",
         "firmware", "serial",   "hostname",  "clockOffset", "timeZone",   "ntp"});
    r.text("name", d.name, TextRule::Any);
    r.text("devId", d.devId, TextRule::NonEmpty);
    r.text("mac", d.mac, TextRule::Mac);
    r.text("ip", d.ip, TextRule::IPv4);
    r.text("mask", d.mask, TextRule::IPv4);
    r.text("gateway", d.gateway, TextRule::IPv4OrEmpty);
    r.text("dns0", d.dns0, TextRule::IPv4OrEmpty);
    r.text("dns1", d.dns1, TextRule::IPv4OrEmpty);
    r.number("httpPort", d.httpPort, 1, 65535);
    r.flag("dhcp", d.dhcp);
    r.flag("wifi", d.wifi);
    r.text("webVersion", d.webVersion, TextRule::Any);
    r.text("appVersion", d.appVersion, TextRule::Any);
    r.text("user", d.user, TextRule::Any);
    r.text("password", d.password, TextRule::Any);
    r.behaviour("onSet", d.onSet);
    r.number("restartMs", d.restartMs, 0, 600000);
    r.text("hardware", d.hardware, TextRule::Any);
    r.text("location", d.location, TextRule::Any);
    r.text("manufacturer", d.manufacturer, TextRule::Any);
    r.text("model", d.model, TextRule::Any);
    r.text("firmware", d.firmware, TextRule::Any);
    r.text("serial", d.serial, TextRule::Any);
    r.text("hostname", d.hostname, TextRule::Any);
    r.number("clockOffset", d.clockOffsetS, -10 * 365 * 86400L, 10 * 365 * 86400L);
    r.text("timeZone", d.timeZone, TextRule::Any);
    r.text("ntp", d.ntp, TextRule::Any);
    return r.error();
}

} // namespace

LoadResult DeviceConfigLoader::loadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {{}, path + ": cannot open: " + std::strerror(errno)};
    }
    std::ostringstream text;
    text << in.rdbuf();
    return loadText(text.str(), path);
}

LoadResult DeviceConfigLoader::loadText(std::string_view text, std::string_view source) {
    const std::string prefix = std::string(source) + ": ";
    Json document;
    try {
        document = Json::parse(text.begin(), text.end());
    } catch (const Json::exception& e) {
        return {{}, prefix + "not valid JSON: " + e.what()};
    }
    const Json* list = &document;
    if (document.is_object()) {
        const auto it = document.find("devices");
        if (it == document.end() || document.size() != 1) {
            return {{}, prefix + "expected a list of devices or {\"devices\": [...]}"};
        }
        list = &*it;
    }
    if (!list->is_array()) {
        return {{}, prefix + "expected a list of devices or {\"devices\": [...]}"};
    }
    if (list->empty()) {
        return {{}, prefix + "the list of devices is empty"};
    }
    if (list->size() > SimDevice::kMaxGenerated) {
        return {{}, prefix + "more than " + std::to_string(SimDevice::kMaxGenerated) + " devices"};
    }
    LoadResult result;
    for (std::size_t i = 0; i < list->size(); ++i) {
        SimDevice d = SimDevice::generated(i);
        const std::string error = readDevice((*list)[i], i, d);
        if (!error.empty()) {
            return {{}, prefix + error};
        }
        result.devices.push_back(std::move(d));
    }
    return result;
}

bool DeviceConfigLoader::isMac(std::string_view text) {
    if (text.size() != 17) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
        if (i % 3 == 2 ? c != ':' : !hex) {
            return false;
        }
    }
    return true;
}

} // namespace ondrel::sim
