#include "DeviceExport.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <functional>

namespace ondrel {

namespace {

enum class Kind { Text, Number, Flag, List };

struct Field {
    std::string_view name;
    Kind kind;
    std::function<std::vector<std::string>(const Device&, std::size_t index,
                                           const AddressConflicts::DeviceAt&,
                                           const AddressConflicts*)>
        values;
};

using Values = std::vector<std::string>;

// A field holding one value read from the device alone.
template <typename Read> auto one(Read read) {
    return [read](const Device& d, std::size_t, const AddressConflicts::DeviceAt&,
                  const AddressConflicts*) { return Values{read(d)}; };
}

std::string number(unsigned value) {
    return std::to_string(value);
}

const std::vector<Field>& fields() {
    static const std::vector<Field> list = {
        {"IP", Kind::Text, one([](const Device& d) { return d.ip.text; })},
        {"NetMask", Kind::Text, one([](const Device& d) { return d.netMask.text; })},
        {"GateWay", Kind::Text, one([](const Device& d) { return d.gateway.text; })},
        {"DNS0", Kind::Text, one([](const Device& d) { return d.dns0.text; })},
        {"DNS1", Kind::Text, one([](const Device& d) { return d.dns1.text; })},
        {"HttpPort", Kind::Number, one([](const Device& d) { return number(d.httpPort); })},
        {"Port2", Kind::Number, one([](const Device& d) { return number(d.port2); })},
        {"Port3", Kind::Number, one([](const Device& d) { return number(d.port3); })},
        {"Port4", Kind::Number, one([](const Device& d) { return number(d.port4); })},
        {"Mac", Kind::Text, one([](const Device& d) { return d.mac; })},
        {"DevId", Kind::Text, one([](const Device& d) { return d.id; })},
        // As a search reply carries it, which scripts have always read: 1 is dhcp.
        {"IPMode", Kind::Number,
         one([](const Device& d) { return number(d.mode == AddressMode::Dhcp ? 1 : 0); })},
        {"DevName", Kind::Text, one([](const Device& d) { return d.name; })},
        {"WebVersion", Kind::Text, one([](const Device& d) { return d.webVersion; })},
        {"AppVersion", Kind::Text, one([](const Device& d) { return d.appVersion; })},
        {"Adapter", Kind::Text, one([](const Device& d) { return d.adapter.name; })},
        // A browser on the PC reaches the device without a router.
        {"SameSubnet", Kind::Flag,
         one([](const Device& d) { return std::string(d.inAdapterSubnet() ? "true" : "false"); })},
        {"Mode", Kind::Text,
         one([](const Device& d) { return std::string(addressModeName(d.mode)); })},
        {"Conflict", Kind::List,
         [](const Device&, std::size_t index, const AddressConflicts::DeviceAt& all,
            const AddressConflicts* conflicts) {
             return conflicts != nullptr ? conflicts->partiesFor(index, all) : Values{};
         }},
    };
    return list;
}

std::string joined(const Values& values) {
    std::string out;
    for (const std::string& v : values) {
        out += (out.empty() ? "" : " ") + v;
    }
    return out;
}

// JSON escapes C0 controls itself; DEL and the C1 controls (CSI among them) it would write as
// they are, and a terminal that shows the JSON would act on them. In a dump they occur only
// inside strings, and neither byte pattern can be part of another UTF-8 character.
std::string escapeOtherControls(const std::string& json) {
    std::string out;
    out.reserve(json.size());
    for (std::size_t i = 0; i < json.size(); ++i) {
        const auto u = static_cast<unsigned char>(json[i]);
        const bool c1 = u == 0xC2 && i + 1 < json.size() &&
                        static_cast<unsigned char>(json[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(json[i + 1]) <= 0x9F;
        if (u == 0x7F || c1) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x",
                          c1 ? static_cast<unsigned char>(json[++i]) : unsigned{u});
            out += buf;
        } else {
            out += json[i];
        }
    }
    return out;
}

} // namespace

std::string csvField(std::string_view text) {
    std::string escaped;
    bool quote = false;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(u));
            escaped += buf;
            continue;
        }
        if (c == '"') {
            escaped += '"';
        }
        quote = quote || c == '"' || c == ',';
        escaped += c;
    }
    if (!escaped.empty() && (escaped.front() == ' ' || escaped.back() == ' ')) {
        quote = true;
    }
    return quote ? "\"" + escaped + "\"" : escaped;
}

std::string devicesAsJson(std::size_t count, const AddressConflicts::DeviceAt& at,
                          const AddressConflicts* conflicts) {
    using Ordered = nlohmann::ordered_json;
    // Ordered, so that the keys come in the reply's order, as in the CSV header.
    Ordered list = Ordered::array();
    for (std::size_t i = 0; i < count; ++i) {
        Ordered object = Ordered::object();
        for (const Field& f : fields()) {
            Values values = f.values(at(i), i, at, conflicts);
            Ordered& slot = object[std::string(f.name)];
            switch (f.kind) {
            case Kind::Text:
                // Device texts are UTF-8 already; an adapter's name is whatever bytes the
                // kernel holds, read as a device text is.
                slot = decodeDeviceText(values.front());
                break;
            case Kind::Number:
            case Kind::Flag:
                slot = Ordered::parse(values.front());
                break;
            case Kind::List:
                slot = Ordered::array();
                for (std::string& v : values) {
                    slot.push_back(std::move(v));
                }
                break;
            }
        }
        list.push_back(std::move(object));
    }
    return escapeOtherControls(list.dump(2, ' ', false, Ordered::error_handler_t::replace)) + "\n";
}

std::string devicesAsCsv(std::size_t count, const AddressConflicts::DeviceAt& at,
                         const AddressConflicts* conflicts) {
    std::string out;
    for (const Field& f : fields()) {
        out += (out.empty() ? "" : ",") + std::string(f.name);
    }
    out += '\n';
    for (std::size_t i = 0; i < count; ++i) {
        bool first = true;
        for (const Field& f : fields()) {
            out += first ? "" : ",";
            first = false;
            out += csvField(joined(f.values(at(i), i, at, conflicts)));
        }
        out += '\n';
    }
    return out;
}

} // namespace ondrel
