#include "DeviceFormatter.h"

#include "DisplayText.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <functional>

namespace ondrel::cli {

namespace {

std::string Hex(unsigned char c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(c));
    return buf;
}

enum class Kind { Text, Number, Flag };

// One exported field: the reply's fields in their order, then where the device answered.
// Scripts read the CSV by position, so a new field is appended as the last row.
struct Field {
    std::string_view name;
    Kind kind;
    std::function<std::string(const Device&)> text;
};

std::string Number(unsigned value) {
    return std::to_string(value);
}

const std::vector<Field>& Fields() {
    static const std::vector<Field> fields = {
        {"IP", Kind::Text, [](const Device& d) { return d.ip.text; }},
        {"NetMask", Kind::Text, [](const Device& d) { return d.netMask.text; }},
        {"GateWay", Kind::Text, [](const Device& d) { return d.gateway.text; }},
        {"DNS0", Kind::Text, [](const Device& d) { return d.dns0.text; }},
        {"DNS1", Kind::Text, [](const Device& d) { return d.dns1.text; }},
        {"HttpPort", Kind::Number, [](const Device& d) { return Number(d.httpPort); }},
        {"Port2", Kind::Number, [](const Device& d) { return Number(d.port2); }},
        {"Port3", Kind::Number, [](const Device& d) { return Number(d.port3); }},
        {"Port4", Kind::Number, [](const Device& d) { return Number(d.port4); }},
        {"Mac", Kind::Text, [](const Device& d) { return d.mac; }},
        {"DevId", Kind::Text, [](const Device& d) { return d.id; }},
        // As a search reply carries it, which scripts have always read: 1 is dhcp.
        {"IPMode", Kind::Number,
         [](const Device& d) { return Number(d.mode == AddressMode::Dhcp ? 1 : 0); }},
        {"DevName", Kind::Text, [](const Device& d) { return d.name; }},
        {"WebVersion", Kind::Text, [](const Device& d) { return d.webVersion; }},
        {"AppVersion", Kind::Text, [](const Device& d) { return d.appVersion; }},
        {"Adapter", Kind::Text, [](const Device& d) { return d.adapter.name; }},
        // A browser on the PC reaches the device without a router.
        {"SameSubnet", Kind::Flag,
         [](const Device& d) { return std::string(d.inAdapterSubnet() ? "true" : "false"); }},
        {"Mode", Kind::Text, [](const Device& d) { return std::string(addressModeName(d.mode)); }},
    };
    return fields;
}

// JSON escapes C0 controls itself; DEL and the C1 controls (CSI among them) it would write as
// they are, and a terminal that shows the JSON would act on them. In a dump they occur only
// inside strings, and neither byte pattern can be part of another UTF-8 character.
std::string EscapeOtherControls(const std::string& json) {
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

std::string DeviceFormatter::Printable(std::string_view text) {
    return printableText(text);
}

std::string DeviceFormatter::CsvField(std::string_view text) {
    std::string escaped;
    bool quote = false;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            escaped += Hex(u);
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

std::string DeviceFormatter::Json(const std::vector<Device>& devices) {
    using Ordered = nlohmann::ordered_json;
    // Ordered, so that the keys come in the reply's order, as in the CSV header.
    Ordered list = Ordered::array();
    for (const Device& d : devices) {
        Ordered object = Ordered::object();
        for (const Field& f : Fields()) {
            const std::string value = f.text(d);
            // Device texts are UTF-8 already; an adapter's name is whatever bytes the kernel
            // holds, read as a device text is.
            object[std::string(f.name)] =
                f.kind == Kind::Text ? Ordered(decodeDeviceText(value)) : Ordered::parse(value);
        }
        list.push_back(std::move(object));
    }
    return EscapeOtherControls(list.dump(2, ' ', false, Ordered::error_handler_t::replace)) + "\n";
}

std::string DeviceFormatter::Csv(const std::vector<Device>& devices) {
    std::string out;
    for (const Field& f : Fields()) {
        if (!out.empty()) {
            out += ',';
        }
        out += f.name;
    }
    out += '\n';
    for (const Device& d : devices) {
        bool first = true;
        for (const Field& f : Fields()) {
            out += first ? "" : ",";
            first = false;
            out += CsvField(f.text(d));
        }
        out += '\n';
    }
    return out;
}

std::string DeviceFormatter::Table(const std::vector<Device>& devices) {
    using Row = std::array<std::string, 12>;
    std::vector<Row> rows;
    rows.push_back({"No.", "DevName", "Mac", "Adapter", "IP", "NetMask", "GateWay", "DNS0",
                    "HttpPort", "Mode", "DevId", "SameSubnet"});
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const Device& d = devices[i];
        rows.push_back({std::to_string(i), Printable(d.name), Printable(d.mac),
                        Printable(d.adapter.name), Printable(d.ip.text), Printable(d.netMask.text),
                        Printable(d.gateway.text), Printable(d.dns0.text),
                        std::to_string(d.httpPort), std::string(addressModeName(d.mode)),
                        Printable(d.id), d.inAdapterSubnet() ? "yes" : "no"});
    }
    std::array<std::size_t, 12> widths{};
    for (const Row& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], displayWidth(row[c]));
        }
    }
    std::string out;
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) {
                line.append(widths[c] - displayWidth(row[c]) + 2, ' ');
            }
        }
        out += line + '\n';
    }
    out += std::to_string(devices.size()) + (devices.size() == 1 ? " device\n" : " devices\n");
    return out;
}

} // namespace ondrel::cli
