#include "SetNetConfig.h"

#include <cstdio>
#include <cstring>

namespace ondrel {

namespace {
// Fields are printed with their width as bound, so a record that arrived without a NUL
// inside a field cannot make the formatter read past it.
template <std::size_t N> int Width(const char (&field)[N]) {
    return static_cast<int>(fieldText(field).size());
}
} // namespace

std::size_t composeSetNetConfig(const DeviceInfo& r, SetConfigBuffer& buffer) {
    buffer.fill(0);
    const int n = std::snprintf(
        buffer.data(), buffer.size(),
        "IPCamSetNetConfig\r\nVersion:1\r\nnSeq:%d\r\nDevId:%.*s\r\nIPMethod:%d\r\nIP:%.*s\r\n"
        "Port:%d\r\nNetMask:%.*s\r\nGateWay:%.*s\r\nDNS0:%.*s\r\nDNS1:%.*s\r\nusr:%.*s\r\n"
        "pwd:%.*s\r\nSetWiFiIP:%d\r\n\r\n",
        1, Width(r.DevId), r.DevId, static_cast<int>(r.IPMode), Width(r.IP), r.IP,
        static_cast<int>(r.HttpPort.get()), Width(r.NetMask), r.NetMask, Width(r.GateWay),
        r.GateWay, Width(r.DNS0), r.DNS0, Width(r.DNS1), r.DNS1, Width(r.User), r.User,
        Width(r.Password), r.Password, 0);
    if (n < 0) {
        buffer.fill(0);
        return 0;
    }
    return std::strlen(buffer.data());
}

} // namespace ondrel
