#pragma once
// Devices, adapters and a scripted prober for the assign plan's tests. Nothing here touches a
// socket: the prober answers from a table.

#include "core/Device.h"
#include "devices/AssignPlan.h"
#include "netinfo/AddressProber.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace ondrel::testing {

inline AdapterRef camAdapter() {
    return {"eCam", 3, parseIpv4("192.168.0.10")->bits, 24};
}

// Device n: "Cam n", MAC 02:4F:4E:00:00:nn, DevId CAMnnnn, the factory address they all share.
inline Device camera(unsigned n, std::string ip = "192.168.0.64") {
    char mac[32];
    char id[32];
    std::snprintf(mac, sizeof mac, "02:4F:4E:00:%02X:%02X", (n >> 8) & 0xFFu, n & 0xFFu);
    std::snprintf(id, sizeof id, "CAM%04u", n);
    Device d;
    d.name = "Cam " + std::to_string(n);
    d.mac = ReportedMac::fromText(mac);
    d.id = id;
    d.ip = ReportedAddress::fromText(std::move(ip));
    d.netMask = ReportedAddress::fromText("255.255.255.0");
    d.gateway = ReportedAddress::fromText("192.168.0.1");
    d.dns0 = ReportedAddress::fromText("192.168.0.1");
    d.httpPort = 80;
    d.adapter = camAdapter();
    return d;
}

// Camera n as WS-Discovery alone found it: no device id, no mask or gateway reported, its
// device service at its address (or, with none given, none at all).
inline Device onvifCamera(unsigned n, std::string ip, std::string xaddrs) {
    Device d = camera(n, std::move(ip));
    d.protocols = Protocols::Onvif;
    d.id.clear();
    d.netMask = d.gateway = d.dns0 = ReportedAddress{};
    d.endpoint = "urn:uuid:cam-" + std::to_string(n);
    d.xaddrs = std::move(xaddrs);
    d.serviceUrl = d.xaddrs.substr(0, d.xaddrs.find(' '));
    return d;
}

// A refusal's kind as a table names it: its place among the reasons.
template <typename Kind> std::size_t refusedAs() {
    return PlanRefusal(Kind{}).index();
}
inline constexpr std::size_t kNotRefused = std::variant_npos;

inline std::size_t kindOf(const AssignPlan& plan) {
    return plan.refusal ? plan.refusal->index() : kNotRefused;
}

inline std::vector<Device> cameras(unsigned count) {
    std::vector<Device> out;
    for (unsigned n = 1; n <= count; ++n) {
        out.push_back(camera(n));
    }
    return out;
}

// Answers from a table (address text -> result); an address not in it is free. Remembers
// every batch it was asked.
class ScriptedProber : public AddressProber {
public:
    std::vector<ProbeResult> probe(const std::vector<ProbeRequest>& requests) override {
        batches.push_back(requests);
        std::vector<ProbeResult> out;
        for (const ProbeRequest& r : requests) {
            const auto it = answers.find(r.address.text());
            out.push_back(it == answers.end() ? ProbeResult{ProbeOutcome::Free, {}} : it->second);
        }
        return out;
    }

    std::map<std::string, ProbeResult> answers;
    std::vector<std::vector<ProbeRequest>> batches;
};

} // namespace ondrel::testing
