#include "DeviceReader.h"

#include "DeviceConfigLoader.h"
#include "core/Ipv4.h"

#include <array>

namespace ondrel::sim {

namespace {

// A value holding one of these would be read by a listener as another key's value, or
// would break the reply's tail.
constexpr std::array<std::string_view, 17> kReadKeys = {
    "DevName:", "CableConnect:", "IP:",         "MacEth0:",    "IPMethod:", "WifiConnect:",
    "WiFiIP:",  "MacWiFi:",      "DevId:",      "Port:",       "DNS0:",     "DNS1:",
    "NetMask:", "GateWay:",      "WebVersion:", "AppVersion:", "AppUpTime"};

} // namespace

void DeviceReader::text(const char* key, std::string& out, TextRule rule) {
    const Json* v = find(key);
    if (v == nullptr) {
        return;
    }
    if (!v->is_string()) {
        return fail(key, "expected a string");
    }
    const std::string& s = v->get_ref<const std::string&>();
    if (s.size() > DeviceConfigLoader::kMaxText) {
        return fail(key,
                    "longer than " + std::to_string(DeviceConfigLoader::kMaxText) + " characters");
    }
    // A name typed on a device's web page may be in any script: UTF-8 (which the JSON reader
    // has already checked) is kept as it is; control characters would break the reply's lines.
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            return fail(key, "control characters are not allowed");
        }
    }
    for (std::string_view k : kReadKeys) {
        if (s.find(k) != std::string::npos) {
            return fail(key, "contains \"" + std::string(k) + "\", which a listener would misread");
        }
    }
    const bool empty = s.empty();
    if ((rule == TextRule::NonEmpty && empty) ||
        (rule == TextRule::IPv4 && !parseIpv4(s).has_value()) ||
        (rule == TextRule::IPv4OrEmpty && !empty && !parseIpv4(s).has_value()) ||
        (rule == TextRule::Mac && !DeviceConfigLoader::isMac(s))) {
        static constexpr const char* kWhat[] = {
            "", "must not be empty", "expected an IPv4 address a.b.c.d",
            "expected an IPv4 address a.b.c.d or \"\"", "expected a MAC address XX:XX:XX:XX:XX:XX"};
        return fail(key, kWhat[static_cast<int>(rule)]);
    }
    out = s;
}

void DeviceReader::flag(const char* key, bool& out) {
    const Json* v = find(key);
    if (v == nullptr) {
        return;
    }
    if (!v->is_boolean()) {
        return fail(key, "expected true or false");
    }
    out = v->get<bool>();
}

void DeviceReader::behaviour(const char* key, OnSet& out) {
    const Json* v = find(key);
    if (v == nullptr) {
        return;
    }
    const auto parsed =
        v->is_string() ? parseOnSet(v->get_ref<const std::string&>()) : std::nullopt;
    if (!parsed) {
        return fail(key, "expected \"accept\", \"refuse\" or \"silent\"");
    }
    out = *parsed;
}

void DeviceReader::rejectUnknownKeys(std::initializer_list<std::string_view> known) {
    for (const auto& item : m_object.items()) {
        bool found = false;
        for (std::string_view k : known) {
            found = found || k == item.key();
        }
        if (!found) {
            return fail(item.key().c_str(), "unknown key");
        }
    }
}

const DeviceReader::Json* DeviceReader::find(const char* key) {
    if (!m_error.empty()) {
        return nullptr;
    }
    const auto it = m_object.find(key);
    return it == m_object.end() ? nullptr : &*it;
}

void DeviceReader::fail(const char* key, const std::string& what) {
    if (m_error.empty()) {
        m_error = m_where + "." + key + ": " + what;
    }
}

} // namespace ondrel::sim
