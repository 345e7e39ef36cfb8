// Feeds arbitrary bytes through every ONVIF answer parser, as a camera's HTTP answer with a
// success status and with an error status. Checks what Update and Assign rely on: parsing is
// deterministic, an error has words that fit one line of a report with no control character,
// and every value read is within its range.

#include "onvif/DeviceService.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace ondrel::onvif;

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void checkWords(const std::string& words) {
    check(!words.empty() && words.size() <= 1024);
    for (const char c : words) {
        check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
    }
}

void checkPrefix(const Ipv4Prefix& prefix) {
    check(prefix.prefixLength >= 0 && prefix.prefixLength <= 32);
}

// Parses twice and checks that both agree; an error's words are checked too.
template <typename T, typename Parse> CallResult<T> parseTwice(Parse parse) {
    CallResult<T> result = parse();
    const CallResult<T> again = parse();
    check(result.index() == again.index());
    if (const auto* error = std::get_if<CallError>(&result)) {
        checkWords(error->words);
        check(error->words == std::get<CallError>(again).words);
        check(error->kind == std::get<CallError>(again).kind);
    }
    return result;
}

void parseAll(long status, std::string_view body) {
    parseTwice<std::chrono::system_clock::time_point>(
        [&] { return parseSystemDateAndTime(status, body); });
    parseTwice<DeviceInformation>([&] { return parseDeviceInformation(status, body); });
    parseTwice<std::string>([&] { return parseEndpointReference(status, body); });
    const auto interfaces = parseTwice<std::vector<NetworkInterface>>(
        [&] { return parseNetworkInterfaces(status, body); });
    if (const auto* nics = std::get_if<std::vector<NetworkInterface>>(&interfaces)) {
        for (const NetworkInterface& nic : *nics) {
            check(!nic.token.empty());
            for (const Ipv4Prefix& prefix : nic.manual) {
                checkPrefix(prefix);
            }
            if (nic.fromDhcp) {
                checkPrefix(*nic.fromDhcp);
            }
        }
    }
    parseTwice<std::vector<ondrel::Ipv4>>([&] { return parseNetworkDefaultGateway(status, body); });
    parseTwice<DnsInformation>([&] { return parseDns(status, body); });
    parseTwice<bool>([&] { return parseSetNetworkInterfaces(status, body); });
    parseTwice<Done>([&] { return parseEmptyAnswer(status, body, "SetDNS"); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly the received bytes: ASan flags any read past them.
    const std::vector<char> answer(data, data + size);
    const std::string_view body(answer.data(), answer.size());
    parseAll(200, body);
    parseAll(500, body);
    return 0;
}
