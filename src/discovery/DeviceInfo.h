#pragma once
// The 252-byte device record. Its layout is a wire format: it is sent raw inside the device
// queries and compared byte for byte by the device table, so every field sits at a fixed
// offset, every 16-bit field is little-endian whatever the host, and nothing is padded.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace ondrel {

// A little-endian unsigned 16-bit number with byte alignment.
struct LeU16 {
    uint8_t b[2];

    constexpr uint16_t get() const { return static_cast<uint16_t>(b[0] | (b[1] << 8)); }
    constexpr void set(uint16_t v) {
        b[0] = static_cast<uint8_t>(v & 0xFF);
        b[1] = static_cast<uint8_t>(v >> 8);
    }
    constexpr operator uint16_t() const { return get(); }
    constexpr LeU16& operator=(uint16_t v) {
        set(v);
        return *this;
    }
};
static_assert(sizeof(LeU16) == 2 && alignof(LeU16) == 1);

struct DeviceInfo {
    char ip[16];
    char netMask[16];
    char gateway[16];
    char dns0[16];
    char dns1[16];
    LeU16 httpPort;
    LeU16 port2;
    LeU16 port3;
    LeU16 port4;
    char mac[22];
    char devId[20];
    int8_t ipMode; // decoded: 1 = automatic; sent: 0 = automatic, 1 = fixed
    char devName[24];
    char webVersion[24];
    char appVersion[24];
    char user[24];
    char password[25];
};

static_assert(sizeof(DeviceInfo) == 252);
static_assert(alignof(DeviceInfo) == 1);
static_assert(offsetof(DeviceInfo, ip) == 0);
static_assert(offsetof(DeviceInfo, netMask) == 16);
static_assert(offsetof(DeviceInfo, gateway) == 32);
static_assert(offsetof(DeviceInfo, dns0) == 48);
static_assert(offsetof(DeviceInfo, dns1) == 64);
static_assert(offsetof(DeviceInfo, httpPort) == 80);
static_assert(offsetof(DeviceInfo, port2) == 82);
static_assert(offsetof(DeviceInfo, port3) == 84);
static_assert(offsetof(DeviceInfo, port4) == 86);
static_assert(offsetof(DeviceInfo, mac) == 88);
static_assert(offsetof(DeviceInfo, devId) == 110);
static_assert(offsetof(DeviceInfo, ipMode) == 130);
static_assert(offsetof(DeviceInfo, devName) == 131);
static_assert(offsetof(DeviceInfo, webVersion) == 155);
static_assert(offsetof(DeviceInfo, appVersion) == 179);
static_assert(offsetof(DeviceInfo, user) == 203);
static_assert(offsetof(DeviceInfo, password) == 227);

inline DeviceInfo zeroDeviceInfo() {
    DeviceInfo d;
    std::memset(&d, 0, sizeof d);
    return d;
}

// Writes text into a fixed field: cut to width-1 characters, NUL-terminated, the rest of the
// field zeroed so that equal values give equal bytes.
template <std::size_t N> void setField(char (&field)[N], std::string_view text) {
    const std::size_t n = std::min(text.size(), N - 1);
    if (n > 0) { // an empty view may carry a null pointer, which memcpy must not get
        std::memcpy(field, text.data(), n);
    }
    std::memset(field + n, 0, N - n);
}

// Reads a fixed field up to its NUL, never past its width (a record that came raw from
// elsewhere may lack the NUL).
template <std::size_t N> std::string_view fieldText(const char (&field)[N]) {
    const void* nul = std::memchr(field, 0, N);
    const std::size_t n = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : N;
    return std::string_view(field, n);
}

template <std::size_t N> std::string fieldString(const char (&field)[N]) {
    return std::string(fieldText(field));
}

} // namespace ondrel
