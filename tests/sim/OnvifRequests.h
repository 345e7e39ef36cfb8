#pragma once
// Device service requests as ONVIF clients write them, for the simulator's tests. The token
// is one whose digest was worked out apart from our code (Python's hashlib and base64):
// nonce bytes 00..0f, Created kCreated, password "admin".

#include <chrono>
#include <string>

namespace ondrel::sim::test {

inline constexpr const char* kCreated = "2026-12-08T10:00:00Z";
inline constexpr const char* kNonce = "AAECAwQFBgcICQoLDA0ODw==";
inline constexpr const char* kAdminDigest = "0IUFz/DLiS4tEKe4NFR7nQDA1Wc=";
// kCreated on the system clock.
inline const std::chrono::system_clock::time_point kCreatedAt =
    std::chrono::system_clock::from_time_t(1796724000);

inline std::string UsernameToken(const std::string& user = "admin",
                                 const std::string& digest = kAdminDigest,
                                 const std::string& created = kCreated) {
    return R"(<s:Header><wsse:Security xmlns:wsse="http://docs.oasis-open.org/wss/2004/01/)"
           R"(oasis-200401-wss-wssecurity-secext-1.0.xsd" xmlns:wsu="http://docs.oasis-open.org/)"
           R"(wss/2004/01/oasis-200401-wss-wssecurity-utility-1.0.xsd"><wsse:UsernameToken>)"
           "<wsse:Username>" +
           user + "</wsse:Username><wsse:Password>" + digest + "</wsse:Password><wsse:Nonce>" +
           kNonce + "</wsse:Nonce><wsu:Created>" + created +
           "</wsu:Created></wsse:UsernameToken></wsse:Security></s:Header>";
}

// operation with inner as its content, under header (a UsernameToken, or none).
inline std::string DeviceRequest(const std::string& operation, const std::string& inner = "",
                                 const std::string& header = UsernameToken()) {
    return R"(<?xml version="1.0" encoding="UTF-8"?><s:Envelope )"
           R"(xmlns:s="http://www.w3.org/2003/05/soap-envelope" )"
           R"(xmlns:tds="http://www.onvif.org/ver10/device/wsdl" )"
           R"(xmlns:tt="http://www.onvif.org/ver10/schema">)" +
           header + "<s:Body><tds:" + operation + ">" + inner + "</tds:" + operation +
           "></s:Body></s:Envelope>";
}

inline std::string ManualAddress(const std::string& address, const std::string& prefix,
                                 const std::string& token = "eth0") {
    return "<tds:InterfaceToken>" + token +
           "</tds:InterfaceToken><tds:NetworkInterface><tt:Enabled>true"
           "</tt:Enabled><tt:IPv4><tt:Enabled>true</tt:Enabled><tt:Manual><tt:Address>" +
           address + "</tt:Address><tt:PrefixLength>" + prefix +
           "</tt:PrefixLength></tt:Manual><tt:DHCP>false</tt:DHCP></tt:IPv4>"
           "</tds:NetworkInterface>";
}

} // namespace ondrel::sim::test
