#include "WsdResponder.h"

#include "WsdQuirks.h"

namespace ondrel::sim {

using Json = nlohmann::ordered_json;

namespace {

std::string_view kindName(wsd::MessageKind kind) {
    switch (kind) {
    case wsd::MessageKind::Probe:
        return "probe";
    case wsd::MessageKind::ProbeMatches:
        return "probematches";
    case wsd::MessageKind::Hello:
        return "hello";
    case wsd::MessageKind::Bye:
        return "bye";
    }
    return "unknown";
}

// Clark's notation: {uri}local.
Json typesJson(const std::vector<wsd::QualifiedName>& types) {
    Json out = Json::array();
    for (const wsd::QualifiedName& t : types) {
        out.push_back("{" + t.uri + "}" + t.local);
    }
    return out;
}

} // namespace

WsdResponder::WsdResponder(const SimResponder& devices, WsdOptions options)
    : m_devices(devices), m_options(options), m_messageNumbers(devices.devices().size(), 0),
      m_random(options.seed) {
    for (std::size_t i = 0; i < devices.devices().size(); ++i) {
        m_shapes.push_back(m_options.quirks ? WsdQuirks::shape(i) : WsdShape{});
        m_shapes.back().linkLocalSecond = m_options.linkLocal;
        m_shapes.back().macScope = m_shapes.back().macScope && !m_options.noMacScope;
        m_shapes.back().shortMacScope = m_options.shortMacScope;
    }
}

bool WsdResponder::asksForCameras(const std::vector<wsd::QualifiedName>& types) {
    for (const wsd::QualifiedName& t : types) {
        const bool transmitter =
            t.uri == wsd::kOnvifNetworkNamespace && t.local == "NetworkVideoTransmitter";
        const bool device = t.uri == wsd::kOnvifDeviceNamespace && t.local == "Device";
        if (!transmitter && !device) {
            return false;
        }
    }
    return true;
}

WsdResponse WsdResponder::handle(std::string_view datagram, Clock::time_point now) {
    WsdResponse r;
    const wsd::Decoded decoded = wsd::decodeMessage(datagram);
    if (const auto* refusal = std::get_if<wsd::Refusal>(&decoded)) {
        r.entry = {{"kind", "unknown"}, {"note", std::string(wsd::refusalText(*refusal))}};
        return r;
    }
    const wsd::Message& message = std::get<wsd::Message>(decoded);
    r.entry = {{"kind", kindName(message.kind)}, {"decoded", {{"messageId", message.messageId}}}};
    if (message.kind != wsd::MessageKind::Probe) {
        return r;
    }
    r.entry["decoded"]["types"] = typesJson(message.probeTypes);
    if (!asksForCameras(message.probeTypes)) {
        r.entry["answered"] = 0;
        return r;
    }
    ++m_probes;
    std::size_t restarting = 0;
    for (std::size_t i = 0; i < m_devices.devices().size(); ++i) {
        if (m_devices.isRestarting(i, now)) {
            ++restarting;
            continue;
        }
        const std::chrono::milliseconds delay = nextDelay();
        const std::string id = nextMessageId();
        r.answers.push_back(WsdMessage{
            delay, WsdComposer::probeMatches(targetOf(i), id, message.messageId, nextSequence(i)),
            parseIpv4(m_devices.devices()[i].ip).value_or(Ipv4{}).bits});
    }
    r.entry["answered"] = r.answers.size();
    r.entry["restarting"] = restarting;
    return r;
}

std::vector<WsdMessage> WsdResponder::hellos() {
    std::vector<WsdMessage> out;
    for (std::size_t i = 0; i < m_devices.devices().size(); ++i) {
        const std::chrono::milliseconds delay = nextDelay();
        const std::string id = nextMessageId();
        out.push_back(WsdMessage{delay, WsdComposer::hello(targetOf(i), id, nextSequence(i)),
                                 parseIpv4(m_devices.devices()[i].ip).value_or(Ipv4{}).bits});
    }
    return out;
}

std::string WsdResponder::hello(std::size_t index) {
    const std::string id = nextMessageId();
    return WsdComposer::hello(targetOf(index), id, nextSequence(index));
}

std::vector<std::string> WsdResponder::byes() {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < m_devices.devices().size(); ++i) {
        const std::string id = nextMessageId();
        out.push_back(WsdComposer::bye(targetOf(i), id, nextSequence(i)));
    }
    return out;
}

WsdTarget WsdResponder::targetOf(std::size_t index) const {
    return WsdComposer::target(m_devices.devices()[index], m_shapes[index]);
}

AppSequence WsdResponder::nextSequence(std::size_t index) {
    return AppSequence{m_options.instanceId, ++m_messageNumbers[index]};
}

std::string WsdResponder::nextMessageId() {
    const uint64_t high = m_random();
    return WsdComposer::messageId(high, m_random());
}

std::chrono::milliseconds WsdResponder::nextDelay() {
    std::uniform_int_distribution<int64_t> pick(0, m_options.maxDelay.count());
    return std::chrono::milliseconds(pick(m_random));
}

} // namespace ondrel::sim
