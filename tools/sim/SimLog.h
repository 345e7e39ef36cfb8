#pragma once
// The record of every datagram a simulator receives, one JSON object per line, written and
// flushed as it arrives so that a test can read back exactly what the tool sent.

#include "RequestParser.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace ondrel::sim {

class SimLog {
public:
    SimLog() = default;
    ~SimLog();
    SimLog(const SimLog&) = delete;
    SimLog& operator=(const SimLog&) = delete;

    // "-" is standard output. On failure, error says why.
    // Empty when open, else why not.
    std::string open(const std::string& path);
    bool isOpen() const { return m_file != nullptr; }
    void write(const nlohmann::ordered_json& entry);

    // The entry for one datagram: kind, from, length, hex of the exact bytes, decoded.
    static nlohmann::ordered_json entry(const SimRequest& request, const uint8_t* data,
                                        std::size_t length, const std::string& from,
                                        double seconds);
    static std::string hex(const uint8_t* data, std::size_t length);
    static nlohmann::ordered_json recordJson(const DeviceInfo& record);

private:
    std::FILE* m_file = nullptr;
    bool m_owned = false;
};

} // namespace ondrel::sim
