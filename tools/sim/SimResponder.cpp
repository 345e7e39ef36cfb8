#include "SimResponder.h"

#include "core/Ipv4.h"

#include <algorithm>

namespace ondrel::sim {

using Json = nlohmann::ordered_json;

namespace {

std::string_view fieldOr(const SimRequest& request, std::string_view key) {
    return request.field(key).value_or(std::string_view());
}

// Strict decimal: digits only, no sign, no blanks; nullopt otherwise.
std::optional<long> decimal(std::string_view text) {
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

SimResponder::SimResponder(std::vector<SimDevice> devices, ResponderOptions options,
                           Clock::time_point start)
    : m_devices(std::move(devices)), m_states(m_devices.size(), State{start, {}}),
      m_options(std::move(options)) {
    if (m_options.precompose) {
        for (std::size_t i = 0; i < m_devices.size(); ++i) {
            m_states[i].reply = ReplyComposer::searchReply(m_devices[i], 0);
        }
    }
}

std::string SimResponder::replyOf(std::size_t index, Clock::time_point now) const {
    if (m_options.precompose) {
        return m_states[index].reply;
    }
    const auto upSeconds =
        std::chrono::duration_cast<std::chrono::seconds>(now - m_states[index].bootedAt);
    return ReplyComposer::searchReply(m_devices[index], static_cast<uint64_t>(upSeconds.count()));
}

bool SimResponder::isRestarting(std::size_t index, Clock::time_point now) const {
    return index < m_states.size() && now < m_states[index].bootedAt;
}

void SimResponder::restart(std::size_t index, Clock::time_point now) {
    if (m_options.precompose) {
        m_states[index].reply = ReplyComposer::searchReply(m_devices[index], 0);
    }
    m_states[index].bootedAt = now + std::chrono::milliseconds(m_devices[index].restartMs);
}

Response SimResponder::handle(const SimRequest& request, Clock::time_point now) {
    switch (request.kind) {
    case RequestKind::Search:
        return onSearch(now);
    case RequestKind::SetConfig:
        return onSetConfig(request, now);
    case RequestKind::Query:
        return onQuery(request);
    case RequestKind::Unknown:
        break;
    }
    return {};
}

Response SimResponder::onSearch(Clock::time_point now) {
    Response r;
    const auto seed = static_cast<uint32_t>(m_searches++);
    std::size_t faulty = 0;
    // Faults go first: a listener that gives up on one must still see every device after it.
    for (Fault fault : m_options.faults) {
        for (std::string& bytes : ReplyComposer::faultyReplies(fault, seed)) {
            r.datagrams.push_back(std::move(bytes));
            ++faulty;
        }
    }
    std::size_t answered = 0;
    std::size_t restarting = 0;
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        if (isRestarting(i, now)) {
            ++restarting;
            continue;
        }
        std::string reply = replyOf(i, now);
        for (uint32_t copy = 0; copy < m_options.duplicates; ++copy) {
            r.datagrams.push_back(reply);
        }
        r.datagrams.push_back(std::move(reply));
        ++answered;
    }
    r.outcome = {{"answered", answered}, {"restarting", restarting}, {"faulty", faulty}};
    return r;
}

Response SimResponder::onSetConfig(const SimRequest& request, Clock::time_point now) {
    Response r;
    const std::string_view devId = fieldOr(request, "DevId");
    Json results = Json::array();
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        SimDevice& d = m_devices[i];
        if (devId.empty() || d.devId != devId) {
            continue;
        }
        Json result = {{"devId", d.devId}, {"index", i}};
        std::string reason;
        if (isRestarting(i, now)) {
            result["result"] = "restarting";
        } else if (d.onSet == OnSet::Silent) {
            result["result"] = "silent";
        } else if (d.onSet == OnSet::Refuse) {
            reason = "the device refuses every change";
        } else if (fieldOr(request, "usr") != d.user || fieldOr(request, "pwd") != d.password) {
            reason = "wrong account or password";
        } else {
            reason = validate(request);
        }
        if (!result.contains("result")) {
            const bool accepted = reason.empty();
            r.datagrams.push_back(ReplyComposer::setConfigResult(accepted));
            result["result"] = accepted ? "accepted" : "refused";
            if (accepted) {
                apply(request, d);
                if (m_options.precompose) {
                    m_states[i].reply = ReplyComposer::searchReply(d, 0);
                }
                m_states[i].bootedAt = now + std::chrono::milliseconds(d.restartMs);
                result["restartMs"] = d.restartMs;
            } else {
                result["reason"] = reason;
            }
        }
        results.push_back(std::move(result));
    }
    r.outcome = {{"devices", std::move(results)}};
    return r;
}

Response SimResponder::onQuery(const SimRequest& request) const {
    Response r;
    Json match = nullptr;
    if (request.record) {
        const std::string_view devId = fieldText(request.record->devId);
        for (const SimDevice& d : m_devices) {
            if (!devId.empty() && d.devId == devId) {
                match = d.devId;
                break;
            }
        }
    }
    r.outcome = {{"device", std::move(match)}};
    return r;
}

std::string SimResponder::validate(const SimRequest& request) {
    const bool automatic = fieldOr(request, "IPMethod") == "0";
    const std::string_view ip = fieldOr(request, "IP");
    if (!request.field("IPMethod") || !decimal(fieldOr(request, "IPMethod"))) {
        return "IPMethod is not a number";
    }
    if (!automatic && !parseIpv4(ip).has_value()) {
        return "IP is not an IPv4 address";
    }
    if (!automatic && !parseIpv4(fieldOr(request, "NetMask")).has_value()) {
        return "NetMask is not an IPv4 address";
    }
    for (std::string_view key : {"GateWay", "DNS0", "DNS1"}) {
        const std::string_view value = fieldOr(request, key);
        if (!value.empty() && !parseIpv4(value).has_value()) {
            return std::string(key) + " is not an IPv4 address";
        }
    }
    const std::optional<long> port = decimal(fieldOr(request, "Port"));
    if (!port || *port < 1 || *port > 65535) {
        return "Port is not a number 1..65535";
    }
    return {};
}

void SimResponder::apply(const SimRequest& request, SimDevice& d) {
    d.dhcp = fieldOr(request, "IPMethod") == "0";
    // With automatic addressing a device keeps its last address until a server gives it one.
    const std::string_view ip = fieldOr(request, "IP");
    if (parseIpv4(ip).has_value()) {
        d.ip = ip;
    }
    const std::string_view mask = fieldOr(request, "NetMask");
    if (parseIpv4(mask).has_value()) {
        d.mask = mask;
    }
    d.gateway = fieldOr(request, "GateWay");
    d.dns0 = fieldOr(request, "DNS0");
    d.dns1 = fieldOr(request, "DNS1");
    d.httpPort = static_cast<uint16_t>(decimal(fieldOr(request, "Port")).value_or(d.httpPort));
}

} // namespace ondrel::sim
