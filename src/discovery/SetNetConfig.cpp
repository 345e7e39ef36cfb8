#include "SetNetConfig.h"

#include <cstdio>
#include <cstring>

namespace ondrel {

namespace {
// Fields are printed with their width as bound, so a record that arrived without a NUL
// inside a field cannot make the formatter read past it.
template <std::size_t N> int width(const char (&field)[N]) {
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
        1, width(r.devId), r.devId, static_cast<int>(r.ipMode), width(r.ip), r.ip,
        static_cast<int>(r.httpPort.get()), width(r.netMask), r.netMask, width(r.gateway),
        r.gateway, width(r.dns0), r.dns0, width(r.dns1), r.dns1, width(r.user), r.user,
        width(r.password), r.password, 0);
    if (n < 0) {
        buffer.fill(0);
        return 0;
    }
    return std::strlen(buffer.data());
}

} // namespace ondrel
