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
    char IP[16];
    char NetMask[16];
    char GateWay[16];
    char DNS0[16];
    char DNS1[16];
    LeU16 HttpPort;
    LeU16 Port2;
    LeU16 Port3;
    LeU16 Port4;
    char Mac[22];
    char DevId[20];
    int8_t IPMode; // decoded: 1 = automatic; sent: 0 = automatic, 1 = fixed
    char DevName[24];
    char WebVersion[24];
    char AppVersion[24];
    char User[24];
    char Password[25];
};

static_assert(sizeof(DeviceInfo) == 252);
static_assert(alignof(DeviceInfo) == 1);
static_assert(offsetof(DeviceInfo, IP) == 0);
static_assert(offsetof(DeviceInfo, NetMask) == 16);
static_assert(offsetof(DeviceInfo, GateWay) == 32);
static_assert(offsetof(DeviceInfo, DNS0) == 48);
static_assert(offsetof(DeviceInfo, DNS1) == 64);
static_assert(offsetof(DeviceInfo, HttpPort) == 80);
static_assert(offsetof(DeviceInfo, Port2) == 82);
static_assert(offsetof(DeviceInfo, Port3) == 84);
static_assert(offsetof(DeviceInfo, Port4) == 86);
static_assert(offsetof(DeviceInfo, Mac) == 88);
static_assert(offsetof(DeviceInfo, DevId) == 110);
static_assert(offsetof(DeviceInfo, IPMode) == 130);
static_assert(offsetof(DeviceInfo, DevName) == 131);
static_assert(offsetof(DeviceInfo, WebVersion) == 155);
static_assert(offsetof(DeviceInfo, AppVersion) == 179);
static_assert(offsetof(DeviceInfo, User) == 203);
static_assert(offsetof(DeviceInfo, Password) == 227);

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
