#include "NetworkChange.h"

#include "wsd/WsDiscovery.h"

#include <algorithm>
#include <cctype>

namespace ondrel::onvif {

namespace {

const NetworkInterface* chosenInterface(const std::vector<NetworkInterface>& nics,
                                        const std::optional<Mac>& mac) {
    if (!mac) {
        const auto enabled = std::find_if(nics.begin(), nics.end(),
                                          [](const NetworkInterface& n) { return n.enabled; });
        return enabled == nics.end() ? nullptr : &*enabled;
    }
    for (const NetworkInterface& nic : nics) {
        if (nic.mac.value == mac) {
            return &nic;
        }
    }
    return nullptr;
}

bool addressAsPlanned(const NetworkInterface& nic, const Ipv4Setting& setting) {
    if (!setting.manual) {
        return nic.dhcp;
    }
    return !nic.dhcp && nic.manual.size() == 1 && nic.manual.front() == *setting.manual;
}

std::string addressText(const Ipv4Setting& setting) {
    return setting.manual
               ? setting.manual->address.text() + "/" + std::to_string(setting.manual->prefixLength)
               : "DHCP";
}

std::string addressText(const NetworkInterface& nic) {
    if (nic.dhcp) {
        return "DHCP";
    }
    std::string out;
    for (const Ipv4Prefix& p : nic.manual) {
        out += (out.empty() ? "" : ", ") + p.address.text() + "/" + std::to_string(p.prefixLength);
    }
    return out.empty() ? "none" : out;
}

std::string listText(const std::vector<Ipv4>& addresses) {
    std::string out;
    for (const Ipv4 a : addresses) {
        out += (out.empty() ? "" : ", ") + a.text();
    }
    return out.empty() ? "none" : out;
}

ChangeResult failedBy(const CallError& error) {
    if (error.kind == CallErrorKind::NotAuthorized) {
        return {ChangeOutcome::Refused, error.words, false};
    }
    return {ChangeOutcome::Failed, error.words, false};
}

// The camera's clock, for the tokens after it. A camera that will not tell it is still tried
// with ours; one that does not answer at all is not tried further.
std::optional<CallError> readClock(DeviceService& camera) {
    const auto clock = camera.getSystemDateAndTime();
    const CallError* error = std::get_if<CallError>(&clock);
    if (error != nullptr && error->kind == CallErrorKind::Transport) {
        return *error;
    }
    return std::nullopt;
}

// "urn:uuid:X" and "X" are one reference; case aside, as cameras write uuids either way.
std::string referenceKey(std::string_view reference) {
    std::string out(reference);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    constexpr std::string_view kUuid = "urn:uuid:";
    return out.starts_with(kUuid) ? out.substr(kUuid.size()) : out;
}

// Without a MAC, the camera's identity is its endpoint reference. A camera that will not tell
// it (the operation is optional) is taken at its word of discovery.
std::optional<ChangeResult> checkEndpoint(DeviceService& camera, const NetworkPlan& plan) {
    if (plan.mac || plan.endpoint.empty()) {
        return std::nullopt;
    }
    const CallResult<std::string> reference = camera.getEndpointReference();
    if (const auto* error = std::get_if<CallError>(&reference)) {
        if (error->kind == CallErrorKind::NotAuthorized ||
            error->kind == CallErrorKind::Transport) {
            return failedBy(*error);
        }
        return std::nullopt;
    }
    const std::string& told = std::get<std::string>(reference);
    if (!told.empty() && referenceKey(told) != referenceKey(plan.endpoint)) {
        return ChangeResult{ChangeOutcome::Failed, "another camera answers at this address", false};
    }
    return std::nullopt;
}

// The same device service at another host or port, the rest of its URL as the camera gave it.
std::optional<std::string> serviceMovedTo(const std::string& url, std::optional<Ipv4> host,
                                          std::optional<std::uint16_t> port) {
    const std::optional<wsd::XaddrHost> was = wsd::ipv4Host(url);
    if (!was) {
        return std::nullopt;
    }
    const std::size_t schemeEnd = url.find("://");
    const std::size_t pathAt = url.find_first_of("/?#", schemeEnd + 3);
    const std::string scheme = url.substr(0, schemeEnd);
    const std::uint16_t to = port.value_or(was->port);
    const bool usualPort = (to == 80 && scheme == "http") || (to == 443 && scheme == "https");
    return scheme + "://" + host.value_or(was->ip).text() +
           (usualPort ? std::string() : ":" + std::to_string(to)) +
           (pathAt == std::string::npos ? std::string() : url.substr(pathAt));
}

bool noServer(const auto& result) {
    const auto* error = std::get_if<CallError>(&result);
    return error != nullptr && error->kind == CallErrorKind::Transport;
}

// Where the last change put the camera if it took it at once: the next call that finds no
// server where the camera answered before is sent once more there, and the camera is followed
// when it answers. A camera that takes the change only at its restart answers where it was.
class Follower {
public:
    explicit Follower(DeviceService& camera) : m_camera(camera) {}

    void movedTo(std::optional<Ipv4> host, std::optional<std::uint16_t> port) {
        m_next = serviceMovedTo(m_camera.url(), host, port);
    }

    template <typename Call> auto send(Call call) {
        auto result = call(m_camera);
        if (!noServer(result) || !m_next || *m_next == m_camera.url()) {
            return result;
        }
        const std::string was = m_camera.url();
        m_camera.moveTo(*m_next);
        auto there = call(m_camera);
        if (noServer(there)) {
            m_camera.moveTo(was);
            return result;
        }
        m_next.reset();
        return there;
    }

private:
    DeviceService& m_camera;
    std::optional<std::string> m_next;
};

} // namespace

ChangeResult applyNetworkPlan(DeviceService& camera, const NetworkPlan& plan,
                              const AccountGate& gate) {
    if (const std::optional<CallError> error = readClock(camera)) {
        return failedBy(*error);
    }
    if (std::string refused = gate ? gate() : std::string(); !refused.empty()) {
        return {ChangeOutcome::Failed, std::move(refused), false};
    }
    if (std::optional<ChangeResult> other = checkEndpoint(camera, plan)) {
        return *other;
    }
    const auto interfaces = camera.getNetworkInterfaces();
    if (const auto* error = std::get_if<CallError>(&interfaces)) {
        return failedBy(*error);
    }
    const NetworkInterface* nic =
        chosenInterface(std::get<std::vector<NetworkInterface>>(interfaces), plan.mac);
    if (nic == nullptr) {
        return {ChangeOutcome::Failed,
                !plan.mac ? "the camera has no enabled network interface"
                          : "another camera answers at this address",
                false};
    }

    bool gatewaySame = !plan.gateway;
    if (plan.gateway) {
        const auto gateways = camera.getNetworkDefaultGateway();
        if (const auto* error = std::get_if<CallError>(&gateways)) {
            return failedBy(*error);
        }
        gatewaySame = std::get<std::vector<Ipv4>>(gateways) == std::vector<Ipv4>{*plan.gateway};
    }
    bool dnsSame = !plan.dns;
    if (plan.dns) {
        const auto dns = camera.getDns();
        if (const auto* error = std::get_if<CallError>(&dns)) {
            return failedBy(*error);
        }
        dnsSame = !std::get<DnsInformation>(dns).fromDhcp &&
                  std::get<DnsInformation>(dns).manual == *plan.dns;
    }
    const bool portSame = !plan.httpPort || *plan.httpPort == plan.currentHttpPort;
    const bool addressSame = addressAsPlanned(*nic, plan.address);
    if (gatewaySame && dnsSame && portSame && addressSame) {
        return {ChangeOutcome::Unchanged, {}, false};
    }

    Follower follow(camera);
    if (!gatewaySame) {
        const CallResult<Done> set = camera.setNetworkDefaultGateway(*plan.gateway);
        if (const auto* error = std::get_if<CallError>(&set)) {
            return failedBy(*error);
        }
    }
    if (!dnsSame) {
        const CallResult<Done> set = camera.setDns(*plan.dns);
        if (const auto* error = std::get_if<CallError>(&set)) {
            return failedBy(*error);
        }
    }
    if (!portSame) {
        const CallResult<Done> set = camera.setHttpPort(*plan.httpPort);
        if (const auto* error = std::get_if<CallError>(&set)) {
            return failedBy(*error);
        }
        follow.movedTo(std::nullopt, *plan.httpPort);
    }
    if (addressSame) {
        return {ChangeOutcome::Accepted, {}, false};
    }
    const std::string token = nic->token;
    const CallResult<bool> set =
        follow.send([&](DeviceService& at) { return at.setNetworkInterface(token, plan.address); });
    if (const auto* error = std::get_if<CallError>(&set)) {
        return failedBy(*error);
    }
    if (!std::get<bool>(set)) {
        return {ChangeOutcome::Accepted, {}, false};
    }
    if (plan.address.manual) {
        follow.movedTo(plan.address.manual->address, std::nullopt);
    }
    // The camera may have left its old address already, so a reboot that gets no answer is no
    // failure of the change: verification at the new address tells.
    const CallResult<Done> reboot =
        follow.send([](DeviceService& at) { return at.systemReboot(); });
    const auto* error = std::get_if<CallError>(&reboot);
    if (error != nullptr && error->kind == CallErrorKind::NotAuthorized) {
        return failedBy(*error);
    }
    return {ChangeOutcome::Accepted, error != nullptr ? error->words : std::string(),
            error == nullptr};
}

Verification verifyNetworkPlan(DeviceService& camera, const NetworkPlan& plan,
                               const AccountGate& gate) {
    if (const std::optional<CallError> error = readClock(camera)) {
        return {false, error->words};
    }
    if (std::string refused = gate ? gate() : std::string(); !refused.empty()) {
        return {false, std::move(refused)};
    }
    const auto interfaces = camera.getNetworkInterfaces();
    if (const auto* error = std::get_if<CallError>(&interfaces)) {
        return {false, error->words};
    }
    const NetworkInterface* nic =
        chosenInterface(std::get<std::vector<NetworkInterface>>(interfaces), plan.mac);
    if (nic == nullptr) {
        return {false, "another camera answers at this address"};
    }
    std::vector<std::string> differences;
    if (!addressAsPlanned(*nic, plan.address)) {
        differences.push_back("address " + addressText(plan.address) + " reads " +
                              addressText(*nic));
    }
    if (plan.gateway) {
        const auto gateways = camera.getNetworkDefaultGateway();
        if (const auto* error = std::get_if<CallError>(&gateways)) {
            return {false, error->words};
        }
        const auto& read = std::get<std::vector<Ipv4>>(gateways);
        if (read != std::vector<Ipv4>{*plan.gateway}) {
            differences.push_back("gateway " + plan.gateway->text() + " reads " + listText(read));
        }
    }
    if (plan.dns) {
        const auto dns = camera.getDns();
        if (const auto* error = std::get_if<CallError>(&dns)) {
            return {false, error->words};
        }
        const DnsInformation& read = std::get<DnsInformation>(dns);
        if (read.fromDhcp || read.manual != *plan.dns) {
            differences.push_back("DNS " + listText(*plan.dns) + " reads " +
                                  (read.fromDhcp ? "DHCP" : listText(read.manual)));
        }
    }
    std::string words;
    for (const std::string& d : differences) {
        words += (words.empty() ? "" : "; ") + d;
    }
    return {differences.empty(), words};
}

} // namespace ondrel::onvif
