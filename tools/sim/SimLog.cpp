#include "SimLog.h"

#include <cerrno>
#include <cstring>

namespace ondrel::sim {

using Json = nlohmann::ordered_json;

SimLog::~SimLog() {
    if (m_owned && m_file != nullptr) {
        std::fclose(m_file);
    }
}

std::string SimLog::open(const std::string& path) {
    if (path == "-") {
        m_file = stdout;
        m_owned = false;
        return {};
    }
    m_file = std::fopen(path.c_str(), "w");
    if (m_file == nullptr) {
        return path + ": cannot open for writing: " + std::strerror(errno);
    }
    m_owned = true;
    return {};
}

void SimLog::write(const Json& entry) {
    if (m_file == nullptr) {
        return;
    }
    // Texts from the network need not be UTF-8; the hex field keeps the exact bytes.
    const std::string line = entry.dump(-1, ' ', true, Json::error_handler_t::replace);
    std::fputs(line.c_str(), m_file);
    std::fputc('\n', m_file);
    std::fflush(m_file);
}

std::string SimLog::hex(const uint8_t* data, std::size_t length) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(length * 2);
    for (std::size_t i = 0; i < length; ++i) {
        out.push_back(kDigits[data[i] >> 4]);
        out.push_back(kDigits[data[i] & 0x0F]);
    }
    return out;
}

Json SimLog::recordJson(const DeviceInfo& r) {
    return Json{{"IP", fieldString(r.ip)},
                {"NetMask", fieldString(r.netMask)},
                {"GateWay", fieldString(r.gateway)},
                {"DNS0", fieldString(r.dns0)},
                {"DNS1", fieldString(r.dns1)},
                {"HttpPort", r.httpPort.get()},
                {"Port2", r.port2.get()},
                {"Port3", r.port3.get()},
                {"Port4", r.port4.get()},
                {"Mac", fieldString(r.mac)},
                {"DevId", fieldString(r.devId)},
                {"IPMode", r.ipMode},
                {"DevName", fieldString(r.devName)},
                {"WebVersion", fieldString(r.webVersion)},
                {"AppVersion", fieldString(r.appVersion)},
                {"User", fieldString(r.user)},
                {"Password", fieldString(r.password)}};
}

Json SimLog::entry(const SimRequest& request, const uint8_t* data, std::size_t length,
                   const std::string& from, double seconds) {
    Json decoded = Json::object();
    if (request.header) {
        char command[8];
        std::snprintf(command, sizeof command, "0x%04X", request.header->command);
        decoded["command"] = command;
        decoded["value"] = request.header->value;
        decoded["payloadLength"] = request.header->payloadLength;
    } else if (!request.command.empty() || !request.fields.empty()) {
        decoded["command"] = request.command;
        Json fields = Json::object();
        for (const auto& [key, value] : request.fields) {
            if (!fields.contains(key)) {
                fields[key] = value;
            }
        }
        decoded["fields"] = std::move(fields);
    }
    if (request.record) {
        decoded["record"] = recordJson(*request.record);
    }
    if (!request.note.empty()) {
        decoded["note"] = request.note;
    }
    return Json{{"t", seconds},
                {"kind", requestKindName(request.kind)},
                {"from", from},
                {"length", length},
                {"hex", hex(data, length)},
                {"decoded", std::move(decoded)}};
}

} // namespace ondrel::sim
