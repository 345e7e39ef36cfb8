// Feeds arbitrary datagrams through classification and decoding, as the receive thread does.
// Checks what the rest of the tool relies on: the text never reaches past the received
// count, every decoded text field ends inside its width, and decoding is deterministic.

#include "discovery/CPacket.h"
#include "discovery/ReplyParser.h"
#include "discovery/SetNetConfig.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace ondrel;

namespace {

template <std::size_t N> void CheckTerminated(const char (&field)[N]) {
    if (std::memchr(field, 0, N) == nullptr) {
        std::abort();
    }
}

void CheckRecord(const DeviceInfo& d) {
    CheckTerminated(d.IP);
    CheckTerminated(d.NetMask);
    CheckTerminated(d.GateWay);
    CheckTerminated(d.DNS0);
    CheckTerminated(d.DNS1);
    CheckTerminated(d.Mac);
    CheckTerminated(d.DevId);
    CheckTerminated(d.DevName);
    CheckTerminated(d.WebVersion);
    CheckTerminated(d.AppVersion);
    CheckTerminated(d.User);
    CheckTerminated(d.Password);
    if (d.Port4.get() != 0 || d.HttpPort.get() != d.Port2.get() ||
        d.HttpPort.get() != d.Port3.get()) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly the received bytes: ASan flags any read past the count.
    std::vector<uint8_t> datagram(data, data + size);
    const std::string_view text = replyText(datagram.data(), datagram.size());
    if (text.size() > size) {
        std::abort();
    }
    const ReplyClass cls = classifyReply(text);
    if (cls.kind == ReplyKind::SetConfigResult && cls.result > 1) {
        std::abort();
    }

    CPacket first;
    CPacket second;
    uint16_t len1 = 0;
    uint16_t len2 = 0;
    first.ParseSearchReply(text, len1);
    second.ParseSearchReply(text, len2);
    if (len1 != sizeof(DeviceInfo) || len2 != len1 ||
        std::memcmp(first.m_buffer, second.m_buffer, sizeof first.m_buffer) != 0) {
        std::abort();
    }
    for (std::size_t i = sizeof(DeviceInfo); i < sizeof first.m_buffer; ++i) {
        if (first.m_buffer[i] != 0) {
            std::abort();
        }
    }
    CheckRecord(first.Record());

    // A raw record with arbitrary bytes (as one could arrive from elsewhere) must still
    // compose within the set-request buffer.
    if (size >= sizeof(DeviceInfo)) {
        DeviceInfo raw;
        std::memcpy(&raw, data, sizeof raw);
        SetConfigBuffer buf;
        const std::size_t n = composeSetNetConfig(raw, buf);
        if (n >= buf.size()) {
            std::abort();
        }
    }
    return 0;
}
