#include "OptionChecks.h"

#include "InputRules.h"
#include "core/HttpPort.h"

#include <algorithm>

namespace ondrel::cli {

std::string inQuotes(std::string_view value) {
    return "'" + std::string(value) + "'";
}

bool isEnvName(std::string_view name) {
    if (name.empty() || (name[0] >= '0' && name[0] <= '9')) {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '_';
    });
}

bool isInterfaceName(std::string_view name) {
    return !name.empty() && name.size() < 16 && std::all_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u > 0x20 && u < 0x7F && c != '/' && c != ':';
    });
}

bool isEndpointReference(std::string_view reference) {
    // As a camera's match carries it: a URI of printable ASCII, never longer than a match's
    // items are kept.
    constexpr std::size_t kLongest = 1024;
    return !reference.empty() && reference.size() <= kLongest &&
           std::all_of(reference.begin(), reference.end(), [](char c) {
               const auto u = static_cast<unsigned char>(c);
               return u > 0x20 && u < 0x7F;
           });
}

CLI::Validator accepts(std::function<bool(std::string_view)> accepts, std::string notWhat) {
    return CLI::Validator(
        [accepts = std::move(accepts), notWhat = std::move(notWhat)](std::string& value) {
            return accepts(value) ? std::string() : inQuotes(value) + " " + notWhat;
        },
        "");
}

CLI::Validator seconds() {
    return accepts([](std::string_view v) { return parseSeconds(v).has_value(); },
                   "is not a number of seconds (for example 3 or 0.5, at most a day)");
}

CLI::Validator address() {
    return accepts([](std::string_view v) { return parseTypedIpv4(v).has_value(); },
                   "is not an IPv4 address (four numbers 0-255 separated by dots, without "
                   "leading zeros)");
}

CLI::Validator udpPort(uint16_t minimum) {
    return accepts([minimum](std::string_view v) { return parsePort(v, minimum).has_value(); },
                   "is not a port number (" + std::to_string(minimum) + "-65535)");
}

CLI::Validator httpPort() {
    return CLI::Validator(
        [](std::string& value) {
            switch (readHttpPort(value).check) {
            case HttpPortCheck::Usable:
                return std::string();
            case HttpPortCheck::Refused:
                return std::string("Can't use this http port.");
            case HttpPortCheck::NotANumber:
            case HttpPortCheck::OutOfRange:
                break;
            }
            return inQuotes(value) + " is not a port number (1-65535)";
        },
        "");
}

CLI::Validator deviceAddress() {
    return CLI::Validator(
        [](std::string& value) {
            const auto ip = parseTypedIpv4(value);
            if (!ip) {
                return inQuotes(value) + " is not an IPv4 address (four numbers 0-255 separated "
                                         "by dots, without leading zeros)";
            }
            if (!ip->isUsableHost()) {
                return value + " cannot be a device's address (0.x.x.x, 127.x.x.x, multicast "
                               "and reserved addresses are refused)";
            }
            return std::string();
        },
        "");
}

CLI::Validator maskRule() {
    return CLI::Validator(
        [](std::string& value) {
            const auto mask = parseTypedIpv4(value);
            if (!mask) {
                return inQuotes(value) + " is not a subnet mask (four numbers 0-255 separated by "
                                         "dots, e.g. 255.255.255.0)";
            }
            if (!isMask(*mask)) {
                return value + " is not a subnet mask (its one bits must be contiguous from the "
                               "left, e.g. 255.255.255.0)";
            }
            return std::string();
        },
        "");
}

} // namespace ondrel::cli
