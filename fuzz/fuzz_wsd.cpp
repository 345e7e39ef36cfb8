// Feeds arbitrary datagrams through the WS-Discovery decoder and every match through the camera
// test and the device decoding, as the WS-Discovery receive thread does. Checks what the rest
// of the tool relies on: decoding is deterministic, every count and item stays within its cap,
// a device's texts are valid UTF-8, its address is IPv4 (an XAddr's or the sender's) and its
// HTTP port is never 0.

#include "core/Utf8.h"
#include "wsd/WsDiscovery.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace ondrel;
using namespace ondrel::wsd;

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void checkUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const Utf8Char c = utf8At(text, at);
        check(c.length > 0);
        at += c.length;
    }
}

void checkItems(const std::vector<std::string>& items, std::size_t cap) {
    check(items.size() <= cap);
    for (const std::string& item : items) {
        check(!item.empty() && item.size() <= kMaxItemBytes);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly the received bytes: ASan flags any read past them.
    const std::vector<char> datagram(data, data + size);
    const std::string_view bytes(datagram.data(), datagram.size());
    const Decoded decoded = decodeMessage(bytes);
    const Decoded again = decodeMessage(bytes);
    check(decoded.index() == again.index());
    const Message* message = std::get_if<Message>(&decoded);
    if (message == nullptr) {
        check(std::get<Refusal>(decoded) == std::get<Refusal>(again));
        check(!refusalText(std::get<Refusal>(decoded)).empty());
        return 0;
    }
    check(message->matches.size() == std::get<Message>(again).matches.size());
    check(message->matches.size() <= kMaxMatches && message->probeTypes.size() <= kMaxTypes);
    check(message->messageId.size() <= kMaxItemBytes && message->relatesTo.size() <= kMaxItemBytes);
    const AdapterRef adapter{"eth0", 2, 0xC0A8010Au, 24}; // 192.168.1.10/24
    const Ipv4 source{0xC0A801C8u};                       // 192.168.1.200
    for (const Match& match : message->matches) {
        check(!match.endpoint.empty() && match.endpoint.size() <= kMaxItemBytes);
        check(match.types.size() <= kMaxTypes);
        checkItems(match.scopes, kMaxScopes);
        checkItems(match.xaddrs, kMaxXaddrs);
        (void)isCamera(match);
        const Device device = cameraDevice(match, adapter, source);
        for (const std::string* text : {&device.name, &device.mac.text, &device.hardware,
                                        &device.location, &device.ip.text}) {
            checkUtf8(*text);
        }
        check(device.ip.value.has_value() && device.httpPort != 0);
        check(device.serviceUrl.empty() ? *device.ip.value == source
                                        : device.ip.value->isUsableHost());
        // A camera's MAC is kept in our spelling, and never without its value.
        check(device.mac.empty() ||
              (device.mac.value && device.mac.value->text() == device.mac.text));
        check(device.protocols == Protocols::Onvif && device.endpoint == match.endpoint);
    }
    return 0;
}
