#pragma once
// Where an HTTP call to a camera goes, as parsed values: the address that was checked (against
// the adapter's subnet, against the other cameras) is the address that is called. A camera's
// XAddr is read once into this value and the URL handed to libcurl is written from it, so that
// no text of the camera's reaches libcurl, which reads "010" as octal where we read ten, and
// names, userinfo or fragments as it likes.

#include "core/Ipv4.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace ondrel::onvif {

struct ServiceAddress {
    enum class Scheme { Http, Https };

    Scheme scheme = Scheme::Http;
    Ipv4 host;
    std::uint16_t port = 80;
    std::string path = "/"; // percent-encoded where the XAddr left a character bare

    bool operator==(const ServiceAddress&) const = default;

    bool isLoopback() const { return (host.bits >> 24) == 127; }
};

// An http or https URL whose host is IPv4 text as Ipv4 reads it (padded octets as decimal);
// userinfo and fragment are dropped. Else why not, in words: "is not an IPv4 http address".
std::variant<ServiceAddress, std::string> parseServiceAddress(std::string_view url);

// The URL for libcurl: "http://10.201.0.20:8080/onvif/device_service".
std::string curlUrl(const ServiceAddress& address);

} // namespace ondrel::onvif
