#include "DeviceExport.h"

#include "DeviceFields.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace ondrel {

namespace {

// The other devices at a device's address, as the CLI prints them.
std::vector<std::string> parties(std::size_t index, const AddressConflicts::DeviceAt& at,
                                 const AddressConflicts* conflicts) {
    return conflicts != nullptr ? conflicts->partiesFor(index, at) : std::vector<std::string>{};
}

std::string joined(const std::vector<std::string>& values) {
    std::string out;
    for (const std::string& v : values) {
        out += out.empty() ? "" : " ";
        out += v;
    }
    return out;
}

// A text of words apart by single spaces, as a JSON list of them.
nlohmann::ordered_json words(std::string_view text) {
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(' '), text.size());
        out.push_back(decodeDeviceText(text.substr(0, end)));
        text.remove_prefix(std::min(end + 1, text.size()));
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
        const DeviceView device = at(i);
        Ordered object = Ordered::object();
        for (const DeviceField& f : deviceFields()) {
            if (f.key.empty()) {
                continue;
            }
            Ordered& slot = object[std::string(f.key)];
            if (f.kind == FieldKind::Parties) {
                slot = parties(i, at, conflicts);
                continue;
            }
            const FieldValue value = f.read(device, i);
            switch (f.kind) {
            case FieldKind::Text:
                // Device texts are UTF-8 already; an adapter's name is whatever bytes the
                // kernel holds, read as a device text is.
                slot = decodeDeviceText(value.text);
                break;
            case FieldKind::Number:
                // A number the device's protocol does not report.
                slot = value.hasNumber() ? Ordered(value.number) : Ordered(nullptr);
                break;
            case FieldKind::Flag:
                slot = value.number != 0;
                break;
            case FieldKind::List:
                slot = words(value.text);
                break;
            case FieldKind::Seconds:
                slot = value.hasNumber() ? Ordered(secondsValue(value.number)) : Ordered(nullptr);
                break;
            case FieldKind::Parties:
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
    for (const DeviceField& f : deviceFields()) {
        if (!f.key.empty()) {
            out += out.empty() ? "" : ",";
            out += f.key;
        }
    }
    out += '\n';
    for (std::size_t i = 0; i < count; ++i) {
        const DeviceView device = at(i);
        bool first = true;
        for (const DeviceField& f : deviceFields()) {
            if (f.key.empty()) {
                continue;
            }
            out += first ? "" : ",";
            first = false;
            if (f.kind == FieldKind::Parties) {
                out += csvField(joined(parties(i, at, conflicts)));
                continue;
            }
            const FieldValue value = f.read(device, i);
            switch (f.kind) {
            case FieldKind::Text:
            case FieldKind::List:
                out += csvField(value.text);
                break;
            case FieldKind::Number:
                out += value.hasNumber() ? std::to_string(value.number) : std::string();
                break;
            case FieldKind::Flag:
                out += value.number != 0 ? "true" : "false";
                break;
            case FieldKind::Seconds:
                out +=
                    value.hasNumber() ? std::to_string(secondsValue(value.number)) : std::string();
                break;
            case FieldKind::Parties:
                break;
            }
        }
        out += '\n';
    }
    return out;
}

} // namespace ondrel
