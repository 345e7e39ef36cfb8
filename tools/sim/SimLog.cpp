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

std::string SimLog::Open(const std::string& path) {
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

void SimLog::Write(const Json& entry) {
    if (m_file == nullptr) {
        return;
    }
    // Texts from the network need not be UTF-8; the hex field keeps the exact bytes.
    const std::string line = entry.dump(-1, ' ', true, Json::error_handler_t::replace);
    std::fputs(line.c_str(), m_file);
    std::fputc('\n', m_file);
    std::fflush(m_file);
}

std::string SimLog::Hex(const uint8_t* data, std::size_t length) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(length * 2);
    for (std::size_t i = 0; i < length; ++i) {
        out.push_back(kDigits[data[i] >> 4]);
        out.push_back(kDigits[data[i] & 0x0F]);
    }
    return out;
}

Json SimLog::RecordJson(const DeviceInfo& r) {
    return Json{{"IP", fieldString(r.IP)},
                {"NetMask", fieldString(r.NetMask)},
                {"GateWay", fieldString(r.GateWay)},
                {"DNS0", fieldString(r.DNS0)},
                {"DNS1", fieldString(r.DNS1)},
                {"HttpPort", r.HttpPort.get()},
                {"Port2", r.Port2.get()},
                {"Port3", r.Port3.get()},
                {"Port4", r.Port4.get()},
                {"Mac", fieldString(r.Mac)},
                {"DevId", fieldString(r.DevId)},
                {"IPMode", r.IPMode},
                {"DevName", fieldString(r.DevName)},
                {"WebVersion", fieldString(r.WebVersion)},
                {"AppVersion", fieldString(r.AppVersion)},
                {"User", fieldString(r.User)},
                {"Password", fieldString(r.Password)}};
}

Json SimLog::Entry(const SimRequest& request, const uint8_t* data, std::size_t length,
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
        decoded["record"] = RecordJson(*request.record);
    }
    if (!request.note.empty()) {
        decoded["note"] = request.note;
    }
    return Json{{"t", seconds},
                {"kind", RequestKindName(request.kind)},
                {"from", from},
                {"length", length},
                {"hex", Hex(data, length)},
                {"decoded", std::move(decoded)}};
}

} // namespace ondrel::sim
