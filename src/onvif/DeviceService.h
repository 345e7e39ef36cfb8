#pragma once
// A camera's ONVIF device service: the calls Update and Assign make, each one SOAP request over
// an HttpTransport, its answer read by the hardened XML reader with names matched by
// namespace URI, whatever prefixes the maker chose.
//
// Every call but the clock reading carries a fresh UsernameToken whose creation time is the
// camera's clock (the local clock plus the offset kept from GetSystemDateAndTime), since
// cameras refuse a token a few seconds away from their own time. A camera that refuses the
// token at the HTTP level (401) is asked again with HTTP Digest, and from then on only so.

#include "HttpTransport.h"
#include "ServiceAddress.h"

#include "core/Ipv4.h"
#include "core/Mac.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ondrel::onvif {

inline constexpr std::string_view kDeviceNamespace = "http://www.onvif.org/ver10/device/wsdl";
inline constexpr std::string_view kSchemaNamespace = "http://www.onvif.org/ver10/schema";

enum class CallErrorKind {
    NotAuthorized, // HTTP 401 or a NotAuthorized fault: the account or password is wrong
    Fault,         // any other SOAP fault
    Transport,     // no HTTP answer
    BadAnswer,     // an answer that is not the one asked for
};

struct CallError {
    CallErrorKind kind = CallErrorKind::Transport;
    std::string words; // e.g. "the camera refused: ter:InvalidArgVal"
};

// Ends a call with nothing to return but success.
struct Done {
    bool operator==(const Done&) const = default;
};

template <typename T> using CallResult = std::variant<T, CallError>;

struct DeviceInformation {
    std::string manufacturer;
    std::string model;
    std::string firmwareVersion;
    std::string serialNumber;
    std::string hardwareId;
};

struct Ipv4Prefix {
    Ipv4 address;
    int prefixLength = 0;
    bool operator==(const Ipv4Prefix&) const = default;
};

struct NetworkInterface {
    std::string token;
    ReportedMac mac; // as the camera writes it, and what it reads as
    bool enabled = false;
    bool ipv4Enabled = false;
    bool dhcp = false;
    std::vector<Ipv4Prefix> manual;
    std::optional<Ipv4Prefix> fromDhcp;
};

struct DnsInformation {
    bool fromDhcp = false;
    std::vector<Ipv4> manual;
};

// The camera's clock as GetSystemDateAndTime tells it. A camera that gives its local time
// alone is read through a POSIX time zone ("CST-8"); with any other zone its clock is unknown.
struct ClockReading {
    std::optional<std::chrono::system_clock::time_point> utc;
    std::string timeZone; // as the camera writes it, trimmed
    std::string source;   // "ntp", "manual" or "" (DateTimeType)
};

struct HostnameInformation {
    bool fromDhcp = false;
    std::string name;
};

// The time servers: from DHCP, or set by hand; each as the camera names it (an address or a
// DNS name).
struct NtpInformation {
    bool fromDhcp = false;
    std::vector<std::string> manual;
    std::vector<std::string> dhcp;
};

// What SetNetworkInterfaces asks: a manual address with DHCP off, or DHCP on.
struct Ipv4Setting {
    std::optional<Ipv4Prefix> manual; // none: DHCP on
};

// The answer parsers, one per operation, each given the HTTP status and body. Shared by the
// calls below and the fuzzer.
CallResult<std::chrono::system_clock::time_point> parseSystemDateAndTime(long status,
                                                                         std::string_view body);
CallResult<ClockReading> parseClockReading(long status, std::string_view body);
CallResult<DeviceInformation> parseDeviceInformation(long status, std::string_view body);
CallResult<HostnameInformation> parseHostname(long status, std::string_view body);
CallResult<NtpInformation> parseNtp(long status, std::string_view body);
// The camera's endpoint reference (its GUID), as WS-Discovery gave it.
CallResult<std::string> parseEndpointReference(long status, std::string_view body);
CallResult<std::vector<NetworkInterface>> parseNetworkInterfaces(long status,
                                                                 std::string_view body);
CallResult<std::vector<Ipv4>> parseNetworkDefaultGateway(long status, std::string_view body);
CallResult<DnsInformation> parseDns(long status, std::string_view body);
// Whether the camera must restart for the change to take.
CallResult<bool> parseSetNetworkInterfaces(long status, std::string_view body);
// For the operations whose answer carries nothing: success, a fault, or something else.
CallResult<Done> parseEmptyAnswer(long status, std::string_view body, std::string_view operation);

class DeviceService {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    struct Target {
        std::string url;           // the device service's XAddr
        std::string interfaceName; // the adapter the camera is reached through
        HttpTimeouts timeouts;
    };

    // The account is held by reference: its owner wipes the password when the batch ends and
    // must outlive this object.
    // The target's URL is parsed here, once: every call goes to the parsed address.
    DeviceService(HttpTransport& transport, Target target, const Credentials& account,
                  Clock clock = std::chrono::system_clock::now);

    // Unauthenticated; on success the camera's clock offset is kept for the calls after it.
    CallResult<std::chrono::system_clock::time_point> getSystemDateAndTime();
    // The same call, with the time zone and time source; the offset is kept as above.
    CallResult<ClockReading> getClock();
    CallResult<DeviceInformation> getDeviceInformation();
    // Most cameras tell their host name to anyone; asked with the account where there is one.
    CallResult<HostnameInformation> getHostname(bool authenticated);
    CallResult<NtpInformation> getNtp();
    CallResult<std::string> getEndpointReference();
    CallResult<std::vector<NetworkInterface>> getNetworkInterfaces();
    CallResult<std::vector<Ipv4>> getNetworkDefaultGateway();
    CallResult<DnsInformation> getDns();
    CallResult<Done> setNetworkDefaultGateway(Ipv4 gateway);
    CallResult<Done> setDns(const std::vector<Ipv4>& servers);
    CallResult<Done> setHttpPort(std::uint16_t port);
    // Whether the camera needs SystemReboot for the change to take.
    CallResult<bool> setNetworkInterface(std::string_view token, const Ipv4Setting& setting);
    CallResult<Done> systemReboot();

    // A camera that applies a port or address change at once is followed to its new service;
    // its clock offset and its way of authenticating go with it.
    void moveTo(std::string url);
    const std::string& url() const { return m_target.url; }

    // The camera's clock minus ours, as last read; kept per camera across a batch.
    std::chrono::seconds clockOffset() const { return m_clockOffset; }
    void setClockOffset(std::chrono::seconds offset) { m_clockOffset = offset; }
    bool usesHttpDigest() const { return m_httpDigest; }

private:
    // The answer to one operation, or the transport's error; authenticated unless told.
    std::variant<HttpResponse, CallError> call(std::string_view operation, std::string_view body,
                                               bool authenticated);
    std::variant<HttpResponse, CallError> exchange(std::string_view operation,
                                                   std::string_view body, bool authenticated);

    HttpTransport& m_transport;
    Target m_target;
    std::variant<ServiceAddress, std::string> m_address; // or why the URL is none
    const Credentials& m_account;
    Clock m_clock;
    std::chrono::seconds m_clockOffset{0};
    bool m_httpDigest = false;
};

} // namespace ondrel::onvif
