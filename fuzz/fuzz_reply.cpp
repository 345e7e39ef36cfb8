// Feeds arbitrary datagrams through classification and decoding, as the receive thread does.
// Checks what the rest of the tool relies on: the text never reaches past the received
// count, every decoded text field ends inside its width, decoding is deterministic, the
// device's texts are valid UTF-8 whatever bytes arrived, and its record is the decoded one.

#include "discovery/DeviceInfo.h"
#include "discovery/DeviceRecord.h"
#include "discovery/ReplyParser.h"
#include "discovery/SetNetConfig.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace ondrel;

namespace {

template <std::size_t N> void CheckTerminated(const char (&field)[N]) {
    if (std::memchr(field, 0, N) == nullptr) {
        std::abort();
    }
}

void CheckRecord(const DeviceInfo& d) {
    CheckTerminated(d.ip);
    CheckTerminated(d.netMask);
    CheckTerminated(d.gateway);
    CheckTerminated(d.dns0);
    CheckTerminated(d.dns1);
    CheckTerminated(d.mac);
    CheckTerminated(d.devId);
    CheckTerminated(d.devName);
    CheckTerminated(d.webVersion);
    CheckTerminated(d.appVersion);
    CheckTerminated(d.user);
    CheckTerminated(d.password);
    if (d.port4.get() != 0 || d.httpPort.get() != d.port2.get() ||
        d.httpPort.get() != d.port3.get()) {
        std::abort();
    }
}

// Strict UTF-8: what the window and the JSON output take as text.
void CheckUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t n = c < 0x80                 ? 1
                        : c >= 0xC2 && c <= 0xDF ? 2
                        : c >= 0xE0 && c <= 0xEF ? 3
                        : c >= 0xF0 && c <= 0xF4 ? 4
                                                 : 0;
        if (n == 0 || i + n > text.size()) {
            std::abort();
        }
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                std::abort();
            }
        }
        i += n;
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

    const DeviceInfo first = decodeRecord(text);
    const DeviceInfo second = decodeRecord(text);
    if (std::memcmp(&first, &second, sizeof first) != 0) {
        std::abort();
    }
    CheckRecord(first);
    const Device device = decodeSearchReply(text);
    if (std::memcmp(device.record.data(), &first, sizeof first) != 0) {
        std::abort();
    }
    for (const std::string* t : {&device.name, &device.mac.text, &device.id, &device.ip.text,
                                 &device.netMask.text, &device.gateway.text, &device.dns0.text,
                                 &device.dns1.text, &device.webVersion, &device.appVersion}) {
        CheckUtf8(*t);
    }

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
