#pragma once
// The account proof an ONVIF camera takes in the SOAP header: a UsernameToken whose password is
// never sent, only Base64(SHA-1(nonce + created + password)). The nonce makes every token new
// and the creation time bounds how long a captured one is any use, which is why cameras refuse
// a token whose time strays from their own clock.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::onvif {

// Base64(SHA-1(nonce + created + password)).
std::string passwordDigest(const std::vector<std::uint8_t>& nonce, std::string_view created,
                           std::string_view password);

// The time as the token writes it: UTC, whole seconds, "YYYY-MM-DDThh:mm:ssZ".
std::string createdText(std::chrono::system_clock::time_point when);
// The reverse; none for anything but that form (fractions of a second allowed and dropped).
std::optional<std::chrono::system_clock::time_point> parseCreated(std::string_view text);

std::string base64Encode(const std::vector<std::uint8_t>& bytes);
// None for text that is not Base64.
std::optional<std::vector<std::uint8_t>> base64Decode(std::string_view text);

// Sixteen random bytes from OpenSSL's generator; none when it cannot give them.
std::optional<std::vector<std::uint8_t>> randomNonce();

struct UsernameToken {
    std::string username;
    std::string digest;  // Base64
    std::string nonce;   // Base64
    std::string created; // "YYYY-MM-DDThh:mm:ssZ"
};

// A token for the account at the given time (the camera's clock); none without randomness.
std::optional<UsernameToken> makeToken(std::string_view username, std::string_view password,
                                       std::chrono::system_clock::time_point cameraNow);

// The whole `wsse:Security` header element, the names escaped for XML.
std::string securityHeader(const UsernameToken& token);

enum class TokenCheck {
    Valid,
    UnknownUser,
    BadDigest,   // the password (or the token) is wrong
    BadNonce,    // not Base64, or empty
    BadCreated,  // not a time
    ClockSkewed, // further from the checker's clock than allowed
};

// What a device does with a received token: the nonce decoded, the digest recomputed and
// compared in constant time, the creation time held against its own clock.
TokenCheck checkToken(const UsernameToken& token, std::string_view username,
                      std::string_view password, std::chrono::system_clock::time_point now,
                      std::chrono::seconds allowedSkew);

} // namespace ondrel::onvif
