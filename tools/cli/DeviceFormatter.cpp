#include "DeviceFormatter.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <functional>

namespace ondrel::cli {

namespace {

std::string Hex(unsigned char c, std::string_view prefix, int digits) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%0*X", digits, static_cast<unsigned>(c));
    return std::string(prefix) + buf;
}

// The exported fields: the record's in its order, then where the device answered.
struct Field {
    std::string_view name;
    bool literal; // written in JSON as it stands: a number, true or false
    std::function<std::string(const DeviceCopy&)> text;
};

// Device texts are bytes; above ASCII they are taken as Latin-1, so that the JSON stays valid
// UTF-8 whatever a device sends.
std::string Latin1ToUtf8(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

// A browser on the PC reaches the device without a router: its IP lies in the subnet of the
// adapter it answered on (never when that adapter has no IPv4 address).
std::string_view SameSubnetText(const DeviceCopy& c) {
    return c.adapter.Contains(fieldText(c.record.IP)) ? "true" : "false";
}

template <std::size_t N> std::string Text(const char (&field)[N]) {
    return std::string(fieldText(field));
}

const std::array<Field, 17>& Fields() {
    static const std::array<Field, 17> fields = {{
        {"IP", false, [](const DeviceCopy& c) { return Text(c.record.IP); }},
        {"NetMask", false, [](const DeviceCopy& c) { return Text(c.record.NetMask); }},
        {"GateWay", false, [](const DeviceCopy& c) { return Text(c.record.GateWay); }},
        {"DNS0", false, [](const DeviceCopy& c) { return Text(c.record.DNS0); }},
        {"DNS1", false, [](const DeviceCopy& c) { return Text(c.record.DNS1); }},
        {"HttpPort", true,
         [](const DeviceCopy& c) { return std::to_string(c.record.HttpPort.get()); }},
        {"Port2", true, [](const DeviceCopy& c) { return std::to_string(c.record.Port2.get()); }},
        {"Port3", true, [](const DeviceCopy& c) { return std::to_string(c.record.Port3.get()); }},
        {"Port4", true, [](const DeviceCopy& c) { return std::to_string(c.record.Port4.get()); }},
        {"Mac", false, [](const DeviceCopy& c) { return Text(c.record.Mac); }},
        {"DevId", false, [](const DeviceCopy& c) { return Text(c.record.DevId); }},
        {"IPMode", true, [](const DeviceCopy& c) { return std::to_string(int{c.record.IPMode}); }},
        {"DevName", false, [](const DeviceCopy& c) { return Text(c.record.DevName); }},
        {"WebVersion", false, [](const DeviceCopy& c) { return Text(c.record.WebVersion); }},
        {"AppVersion", false, [](const DeviceCopy& c) { return Text(c.record.AppVersion); }},
        {"Adapter", false, [](const DeviceCopy& c) { return c.adapter.name; }},
        {"SameSubnet", true, [](const DeviceCopy& c) { return std::string(SameSubnetText(c)); }},
    }};
    return fields;
}

} // namespace

std::string DeviceFormatter::Printable(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            out += c;
        } else {
            out += Hex(u, "\\x", 2);
        }
    }
    return out;
}

std::string DeviceFormatter::CsvField(std::string_view text) {
    std::string escaped;
    bool quote = false;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            escaped += Hex(u, "\\x", 2);
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

std::string DeviceFormatter::Json(const std::vector<DeviceCopy>& devices) {
    // Ordered, so that the keys come in the record's order, as in the CSV header.
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const DeviceCopy& d : devices) {
        nlohmann::ordered_json object = nlohmann::ordered_json::object();
        for (const Field& f : Fields()) {
            const std::string value = f.text(d);
            object[std::string(f.name)] = f.literal ? nlohmann::ordered_json::parse(value)
                                                    : nlohmann::ordered_json(Latin1ToUtf8(value));
        }
        list.push_back(std::move(object));
    }
    // ASCII only, so that no byte a device sent can reach a terminal unescaped.
    return list.dump(2, ' ', true) + "\n";
}

std::string DeviceFormatter::Csv(const std::vector<DeviceCopy>& devices) {
    std::string out;
    for (const Field& f : Fields()) {
        if (!out.empty()) {
            out += ',';
        }
        out += f.name;
    }
    out += '\n';
    for (const DeviceCopy& d : devices) {
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

std::string DeviceFormatter::Table(const std::vector<DeviceCopy>& devices) {
    using Row = std::array<std::string, 12>;
    std::vector<Row> rows;
    rows.push_back({"No.", "DevName", "Mac", "Adapter", "IP", "NetMask", "GateWay", "DNS0",
                    "HttpPort", "Mode", "DevId", "SameSubnet"});
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const DeviceInfo& d = devices[i].record;
        rows.push_back({std::to_string(i), Printable(fieldText(d.DevName)),
                        Printable(fieldText(d.Mac)), Printable(devices[i].adapter.name),
                        Printable(fieldText(d.IP)), Printable(fieldText(d.NetMask)),
                        Printable(fieldText(d.GateWay)), Printable(fieldText(d.DNS0)),
                        std::to_string(d.HttpPort.get()), d.IPMode == 1 ? "dhcp" : "static",
                        Printable(fieldText(d.DevId)),
                        SameSubnetText(devices[i]) == "true" ? "yes" : "no"});
    }
    std::array<std::size_t, 12> widths{};
    for (const Row& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], row[c].size());
        }
    }
    std::string out;
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) {
                line.append(widths[c] - row[c].size() + 2, ' ');
            }
        }
        out += line + '\n';
    }
    out += std::to_string(devices.size()) + (devices.size() == 1 ? " device\n" : " devices\n");
    return out;
}

} // namespace ondrel::cli
