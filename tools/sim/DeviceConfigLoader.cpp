#include "DeviceConfigLoader.h"

#include "discovery/Protocol.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace ondrel::sim {

using nlohmann::json;

namespace {

// A value holding one of these would be read by a listener as another key's value, or
// would break the reply's tail.
constexpr std::array<std::string_view, 17> kReadKeys = {
    "DevName:", "CableConnect:", "IP:",         "MacEth0:",    "IPMethod:", "WifiConnect:",
    "WiFiIP:",  "MacWiFi:",      "DevId:",      "Port:",       "DNS0:",     "DNS1:",
    "NetMask:", "GateWay:",      "WebVersion:", "AppVersion:", "AppUpTime"};

enum class TextRule { Any, NonEmpty, IPv4, IPv4OrEmpty, Mac };

class DeviceReader {
public:
    DeviceReader(const json& object, std::string where)
        : m_object(object), m_where(std::move(where)) {}

    const std::string& Error() const { return m_error; }

    void Text(const char* key, std::string& out, TextRule rule) {
        const json* v = Find(key);
        if (v == nullptr) {
            return;
        }
        if (!v->is_string()) {
            return Fail(key, "expected a string");
        }
        const std::string& s = v->get_ref<const std::string&>();
        if (s.size() > DeviceConfigLoader::kMaxText) {
            return Fail(key, "longer than " + std::to_string(DeviceConfigLoader::kMaxText) +
                                 " characters");
        }
        for (char c : s) {
            if (c < 0x20 || c > 0x7E) {
                return Fail(key, "only printable ASCII characters are allowed");
            }
        }
        for (std::string_view k : kReadKeys) {
            if (s.find(k) != std::string::npos) {
                return Fail(key,
                            "contains \"" + std::string(k) + "\", which a listener would misread");
            }
        }
        const bool empty = s.empty();
        if ((rule == TextRule::NonEmpty && empty) ||
            (rule == TextRule::IPv4 && !DeviceConfigLoader::IsIPv4(s)) ||
            (rule == TextRule::IPv4OrEmpty && !empty && !DeviceConfigLoader::IsIPv4(s)) ||
            (rule == TextRule::Mac && !DeviceConfigLoader::IsMac(s))) {
            static constexpr const char* kWhat[] = {"", "must not be empty",
                                                    "expected an IPv4 address a.b.c.d",
                                                    "expected an IPv4 address a.b.c.d or \"\"",
                                                    "expected a MAC address XX:XX:XX:XX:XX:XX"};
            return Fail(key, kWhat[static_cast<int>(rule)]);
        }
        out = s;
    }

    template <typename T> void Number(const char* key, T& out, long low, long high) {
        const json* v = Find(key);
        if (v == nullptr) {
            return;
        }
        if (!v->is_number_integer() || v->get<long>() < low || v->get<long>() > high) {
            return Fail(key,
                        "expected an integer " + std::to_string(low) + ".." + std::to_string(high));
        }
        out = static_cast<T>(v->get<long>());
    }

    void Flag(const char* key, bool& out) {
        const json* v = Find(key);
        if (v == nullptr) {
            return;
        }
        if (!v->is_boolean()) {
            return Fail(key, "expected true or false");
        }
        out = v->get<bool>();
    }

    void Behaviour(const char* key, OnSet& out) {
        const json* v = Find(key);
        if (v == nullptr) {
            return;
        }
        const auto parsed =
            v->is_string() ? ParseOnSet(v->get_ref<const std::string&>()) : std::nullopt;
        if (!parsed) {
            return Fail(key, "expected \"accept\", \"refuse\" or \"silent\"");
        }
        out = *parsed;
    }

    void RejectUnknownKeys(std::initializer_list<std::string_view> known) {
        for (const auto& item : m_object.items()) {
            bool found = false;
            for (std::string_view k : known) {
                found = found || k == item.key();
            }
            if (!found) {
                return Fail(item.key().c_str(), "unknown key");
            }
        }
    }

private:
    const json* Find(const char* key) {
        if (!m_error.empty()) {
            return nullptr;
        }
        const auto it = m_object.find(key);
        return it == m_object.end() ? nullptr : &*it;
    }

    void Fail(const char* key, const std::string& what) {
        if (m_error.empty()) {
            m_error = m_where + "." + key + ": " + what;
        }
    }

    const json& m_object;
    std::string m_where;
    std::string m_error;
};

std::string ReadDevice(const json& object, std::size_t index, SimDevice& d) {
    const std::string where = "devices[" + std::to_string(index) + "]";
    if (!object.is_object()) {
        return where + ": expected an object";
    }
    DeviceReader r(object, where);
    r.RejectUnknownKeys({"name", "devId", "mac", "ip", "mask", "gateway", "dns0", "dns1",
                         "httpPort", "dhcp", "wifi", "webVersion", "appVersion", "user", "password",
                         "onSet", "restartMs"});
    r.Text("name", d.name, TextRule::Any);
    r.Text("devId", d.devId, TextRule::NonEmpty);
    r.Text("mac", d.mac, TextRule::Mac);
    r.Text("ip", d.ip, TextRule::IPv4);
    r.Text("mask", d.mask, TextRule::IPv4);
    r.Text("gateway", d.gateway, TextRule::IPv4OrEmpty);
    r.Text("dns0", d.dns0, TextRule::IPv4OrEmpty);
    r.Text("dns1", d.dns1, TextRule::IPv4OrEmpty);
    r.Number("httpPort", d.httpPort, 1, 65535);
    r.Flag("dhcp", d.dhcp);
    r.Flag("wifi", d.wifi);
    r.Text("webVersion", d.webVersion, TextRule::Any);
    r.Text("appVersion", d.appVersion, TextRule::Any);
    r.Text("user", d.user, TextRule::Any);
    r.Text("password", d.password, TextRule::Any);
    r.Behaviour("onSet", d.onSet);
    r.Number("restartMs", d.restartMs, 0, 600000);
    return r.Error();
}

} // namespace

LoadResult DeviceConfigLoader::LoadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {{}, path + ": cannot open: " + std::strerror(errno)};
    }
    std::ostringstream text;
    text << in.rdbuf();
    return LoadText(text.str(), path);
}

LoadResult DeviceConfigLoader::LoadText(std::string_view text, std::string_view source) {
    const std::string prefix = std::string(source) + ": ";
    json document;
    try {
        document = json::parse(text.begin(), text.end());
    } catch (const json::exception& e) {
        return {{}, prefix + "not valid JSON: " + e.what()};
    }
    const json* list = &document;
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
        SimDevice d = SimDevice::Generated(i);
        const std::string error = ReadDevice((*list)[i], i, d);
        if (!error.empty()) {
            return {{}, prefix + error};
        }
        result.devices.push_back(std::move(d));
    }
    return result;
}

bool DeviceConfigLoader::IsIPv4(std::string_view text) {
    int parts = 0;
    std::size_t i = 0;
    while (parts < 4) {
        std::size_t digits = 0;
        int value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 4) {
            value = value * 10 + (text[i] - '0');
            ++i;
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255) {
            return false;
        }
        ++parts;
        if (parts < 4) {
            if (i >= text.size() || text[i] != '.') {
                return false;
            }
            ++i;
        }
    }
    return i == text.size();
}

bool DeviceConfigLoader::IsMac(std::string_view text) {
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
