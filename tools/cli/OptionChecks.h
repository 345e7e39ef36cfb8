#pragma once
// What each value of ondrel-cli's command line may be, as CLI11 checks. A check's message is
// "'VALUE' " followed by what the value is not; CLI11 puts the option's name in front. Values
// are checked by the same rules as the rest of the tool (InputRules, the core's port rule).

#include <CLI/CLI.hpp>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ondrel::cli {

std::string inQuotes(std::string_view value);
bool isEnvName(std::string_view name);
// A kernel interface name: 1-15 bytes, no blank, slash or colon.
bool isInterfaceName(std::string_view name);

// A WS-Discovery endpoint reference as a camera sends it ("urn:uuid:..."): printable ASCII
// without blanks, as long as a match may carry.
bool isEndpointReference(std::string_view reference);

CLI::Validator accepts(std::function<bool(std::string_view)> accepts, std::string notWhat);
CLI::Validator seconds();
// Any IPv4 address, as a person writes it (no leading zeros).
CLI::Validator address();
CLI::Validator udpPort(uint16_t minimum);
// 1..65535, 10000 refused with the window's text.
CLI::Validator httpPort();
// An address a device can be given as its own.
CLI::Validator deviceAddress();
// A subnet mask with contiguous one bits.
CLI::Validator maskRule();

} // namespace ondrel::cli
