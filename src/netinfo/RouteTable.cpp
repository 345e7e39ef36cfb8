#include "RouteTable.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <charconv>
#include <cstdint>
#include <sstream>
#include <vector>

namespace ondrel {

namespace {

constexpr unsigned kRouteUp = 0x1;
constexpr unsigned kRouteGateway = 0x2;

bool ParseHex(const std::string& text, uint32_t& out) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out, 16);
    return ec == std::errc() && ptr == end;
}

} // namespace

std::map<std::string, std::string> DefaultGateways(std::string_view procNetRoute) {
    std::map<std::string, std::string> gateways;
    std::istringstream lines{std::string(procNetRoute)};
    std::string line;
    bool header = true;
    while (std::getline(lines, line)) {
        if (header) {
            header = false;
            continue;
        }
        std::istringstream fields(line);
        std::vector<std::string> f;
        std::string field;
        while (fields >> field) {
            f.push_back(field);
        }
        if (f.size() < 8) {
            continue;
        }
        uint32_t destination = 0;
        uint32_t gateway = 0;
        uint32_t flags = 0;
        uint32_t mask = 0;
        if (!ParseHex(f[1], destination) || !ParseHex(f[2], gateway) || !ParseHex(f[3], flags) ||
            !ParseHex(f[7], mask)) {
            continue;
        }
        if (destination != 0 || mask != 0 || gateway == 0 || (flags & kRouteUp) == 0 ||
            (flags & kRouteGateway) == 0 || gateways.count(f[0]) != 0) {
            continue;
        }
        in_addr address{};
        address.s_addr = gateway;
        char text[INET_ADDRSTRLEN] = {};
        if (inet_ntop(AF_INET, &address, text, sizeof text) != nullptr) {
            gateways.emplace(f[0], text);
        }
    }
    return gateways;
}

} // namespace ondrel
