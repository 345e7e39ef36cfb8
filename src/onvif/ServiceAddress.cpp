#include "ServiceAddress.h"

#include <charconv>

namespace ondrel::onvif {

namespace {

bool equalCaseless(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// What a path (and its query) may hold as it is: unreserved, sub-delims, ":", "@", "/" and "?".
bool keptBare(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
        return true;
    }
    return std::string_view("-._~!$&'()*+,;=:@/?").find(c) != std::string_view::npos;
}

std::string encodedPath(std::string_view raw) {
    constexpr std::string_view kHex = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        // An escape the camera wrote is kept: encoding it again would name another path.
        const bool escape =
            c == '%' && i + 2 < raw.size() && isHex(raw[i + 1]) && isHex(raw[i + 2]);
        if (keptBare(c) || escape) {
            out += c;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 0x0F];
    }
    return out.empty() || out.front() != '/' ? "/" + out : out;
}

std::variant<std::uint16_t, std::string> portOf(std::string_view text, std::uint16_t fallback) {
    if (text.empty()) {
        return fallback;
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535) {
        return std::string("names no port");
    }
    return static_cast<std::uint16_t>(value);
}

} // namespace

std::variant<ServiceAddress, std::string> parseServiceAddress(std::string_view url) {
    ServiceAddress address;
    const std::size_t schemeEnd = url.find("://");
    const std::string_view scheme = url.substr(0, schemeEnd);
    if (schemeEnd == std::string_view::npos ||
        !(equalCaseless(scheme, "http") || equalCaseless(scheme, "https"))) {
        return std::string("is not an http address");
    }
    address.scheme = equalCaseless(scheme, "https") ? ServiceAddress::Scheme::Https
                                                    : ServiceAddress::Scheme::Http;
    std::string_view rest = url.substr(schemeEnd + 3);
    const std::size_t authorityEnd = rest.find_first_of("/?#");
    std::string_view authority = rest.substr(0, authorityEnd);
    rest = authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);
    rest = rest.substr(0, rest.find('#'));
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    const std::size_t colon = authority.find(':');
    const std::optional<Ipv4> host = parseIpv4(authority.substr(0, colon));
    if (!host || host->isUnspecified() || (host->bits >> 28) >= 0xE) {
        return std::string("names no IPv4 host");
    }
    address.host = *host;
    const std::uint16_t fallback = address.scheme == ServiceAddress::Scheme::Https ? 443 : 80;
    std::variant<std::uint16_t, std::string> port =
        portOf(colon == std::string_view::npos ? std::string_view() : authority.substr(colon + 1),
               fallback);
    if (const auto* why = std::get_if<std::string>(&port)) {
        return *why;
    }
    address.port = std::get<std::uint16_t>(port);
    address.path = encodedPath(rest);
    return address;
}

std::string curlUrl(const ServiceAddress& address) {
    return (address.scheme == ServiceAddress::Scheme::Https ? "https://" : "http://") +
           address.host.text() + ":" + std::to_string(address.port) + address.path;
}

} // namespace ondrel::onvif
