#pragma once
// The values of the options given, checked and written into CliOptions. The command line's
// shape (which options, which command) is ArgParser's; this is what each value may be.

#include "CliOptions.h"

#include <map>
#include <string>
#include <string_view>

namespace ondrel::cli {

class OptionValues {
public:
    // Long option name to its value ("" for a flag).
    using Seen = std::map<std::string_view, std::string_view>;

    OptionValues(const Seen& seen, CliOptions& options) : m_seen(seen), m_o(options) {}

    // Applies the values for command ("search", "set" or "url"); the first problem found, or
    // empty.
    std::string Apply(std::string_view command);

private:
    void Fail(std::string message);
    const std::string_view* Value(std::string_view name) const;
    bool Has(std::string_view name) const;
    std::optional<int64_t> Seconds(std::string_view name);
    std::optional<Ipv4> Address(std::string_view name);
    std::optional<uint16_t> Port(std::string_view name, uint16_t minimum);
    void ApplyCommon();
    void ApplySearch();
    void RequireMac();
    void ApplySet();

    const Seen& m_seen;
    CliOptions& m_o;
    std::string_view m_command;
    std::string m_error;
};

} // namespace ondrel::cli
