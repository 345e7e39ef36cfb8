#include "ReplyComposer.h"

#include "discovery/Protocol.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace ondrel::sim {

std::string_view faultName(Fault fault) {
    switch (fault) {
    case Fault::Tail:
        return "tail";
    case Fault::Oversized:
        return "oversized";
    case Fault::Empty:
        return "empty";
    case Fault::Garbage:
        return "garbage";
    }
    return "tail";
}

std::optional<Fault> parseFault(std::string_view name) {
    for (Fault f : {Fault::Tail, Fault::Oversized, Fault::Empty, Fault::Garbage}) {
        if (faultName(f) == name) {
            return f;
        }
    }
    return std::nullopt;
}

namespace {

constexpr std::string_view kNoMac = "00:00:00:00:00:00";
constexpr std::string_view kNoAddress = "0.0.0.0";

void line(std::string& out, std::string_view key, std::string_view value) {
    out.append(key).append(":").append(value).append("\r\n");
}

void line(std::string& out, std::string_view key, long value) {
    line(out, key, std::to_string(value));
}

// "AppUpTime:" plus a value of valueLength characters plus CR LF CR LF; a value of 19
// characters leaves the 24 characters that a listener accepts.
std::string upTimeLine(uint64_t seconds, int valueLength) {
    char value[32];
    std::snprintf(value, sizeof value, "%0*" PRIu64, valueLength, seconds);
    std::string out(kTailKey);
    out.append(":").append(value, static_cast<std::size_t>(valueLength)).append("\r\n\r\n");
    return out;
}

constexpr int kUpTimeDigits = kTailLength - 5; // ":" before the value, CR LF CR LF after

std::string replyBody(const SimDevice& d) {
    const long method = d.dhcp ? 0 : 1;       // on the wire 0 means automatic addressing
    std::string out = "IPCamSearchReply\r\n"; // never an "IP:" line: that key must begin a line
    line(out, "Version", 1);
    line(out, "nSeq", 1);
    line(out, "DevName", d.name);
    line(out, "DevId", d.devId);
    line(out, "CableConnect", d.wifi ? 0 : 1);
    line(out, "IP", d.wifi ? kNoAddress : std::string_view(d.ip));
    line(out, "MacEth0", d.wifi ? kNoMac : std::string_view(d.mac));
    // IPMethod before WiFiIPMethod: a lookup of "IPMethod:" finds the first of the two.
    line(out, "IPMethod", d.wifi ? 1 : method);
    line(out, "WifiConnect", d.wifi ? 1 : 0);
    line(out, "WiFiIP", d.wifi ? std::string_view(d.ip) : kNoAddress);
    line(out, "MacWiFi", d.wifi ? std::string_view(d.mac) : kNoMac);
    line(out, "WiFiIPMethod", d.wifi ? method : 1);
    line(out, "NetMask", d.mask);
    line(out, "GateWay", d.gateway);
    line(out, "DNS0", d.dns0);
    line(out, "DNS1", d.dns1);
    line(out, "Port", d.httpPort);
    line(out, "WebVersion", d.webVersion);
    line(out, "AppVersion", d.appVersion);
    return out;
}

SimDevice faultyDevice(std::string_view what) {
    SimDevice d = SimDevice::generated(0);
    d.name = "Faulty " + std::string(what);
    d.devId = "FAULTY-" + std::string(what);
    d.mac = "02:FA:00:00:00:00";
    return d;
}

} // namespace

std::string ReplyComposer::searchReply(const SimDevice& device, uint64_t uptimeSeconds) {
    return replyBody(device) + upTimeLine(uptimeSeconds, kUpTimeDigits);
}

std::string ReplyComposer::setConfigResult(bool accepted) {
    std::string out = "IPCamSetNetConfigReply\r\n";
    line(out, "Version", 1);
    line(out, "nSeq", 1);
    out.append(accepted ? kAccepted : kRefused).append("\r\n\r\n");
    return out;
}

std::vector<std::string> ReplyComposer::faultyReplies(Fault fault, uint32_t seed) {
    switch (fault) {
    case Fault::Tail: {
        const std::string body = replyBody(faultyDevice("tail"));
        return {body + upTimeLine(seed, kUpTimeDigits - 1),
                body + upTimeLine(seed, kUpTimeDigits + 1)};
    }
    case Fault::Oversized: {
        // Well formed in every other respect: whoever reads it whole would accept it.
        std::string body = replyBody(faultyDevice("oversized"));
        const std::string tail = upTimeLine(seed, kUpTimeDigits);
        const std::size_t frame =
            body.size() + tail.size() + std::string_view("Filler:\r\n").size();
        body.append("Filler:").append(kOversizedLength - std::min(frame, kOversizedLength), 'x');
        body.append("\r\n");
        return {body + tail};
    }
    case Fault::Empty:
        return {std::string()};
    case Fault::Garbage:
        return {garbage(seed)};
    }
    return {};
}

std::string ReplyComposer::garbage(uint32_t seed) {
    uint32_t state = seed * 2654435761u + 0x9E3779B9u;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    for (;;) {
        std::string out(64 + next() % 512, '\0');
        for (char& c : out) {
            c = static_cast<char>(next() & 0xFF);
        }
        // Garbage must stay garbage: nothing a listener would act on, however unlikely.
        if (out.find(kTailKey) == std::string::npos && out.find("errcode:") == std::string::npos) {
            return out;
        }
    }
}

} // namespace ondrel::sim
