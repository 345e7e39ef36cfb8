#pragma once
// Reads one device object of a device file, key by key, each value checked; the first fault
// is kept as the error ("devices[2].httpPort: expected an integer 1..65535") and every later
// read is skipped.

#include "SimDevice.h"

#include <nlohmann/json.hpp>

#include <initializer_list>
#include <string>
#include <string_view>

namespace ondrel::sim {

enum class TextRule { Any, NonEmpty, IPv4, IPv4OrEmpty, Mac };

class DeviceReader {
public:
    using Json = nlohmann::json;

    // where names the object in messages, e.g. "devices[2]".
    DeviceReader(const Json& object, std::string where)
        : m_object(object), m_where(std::move(where)) {}

    const std::string& error() const { return m_error; }

    // A key that is absent leaves out unchanged.
    void text(const char* key, std::string& out, TextRule rule);
    void flag(const char* key, bool& out);
    void behaviour(const char* key, OnSet& out);
    template <typename T> void number(const char* key, T& out, long low, long high) {
        const Json* v = find(key);
        if (v == nullptr) {
            return;
        }
        if (!v->is_number_integer() || v->get<long>() < low || v->get<long>() > high) {
            return fail(key,
                        "expected an integer " + std::to_string(low) + ".." + std::to_string(high));
        }
        out = static_cast<T>(v->get<long>());
    }
    void rejectUnknownKeys(std::initializer_list<std::string_view> known);

private:
    const Json* find(const char* key);
    void fail(const char* key, const std::string& what);

    const Json& m_object;
    std::string m_where;
    std::string m_error;
};

} // namespace ondrel::sim
