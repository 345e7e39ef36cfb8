#include "DetailsReader.h"

#include <algorithm>

namespace ondrel::onvif {

namespace {

// One camera's calls and what came of them so far.
class Reading {
public:
    explicit Reading(DeviceService& service) : m_service(service) {}

    // Whether the calls go on: an answer is taken, a piece that failed is named; a refusal
    // before the account was taken, or silence, ends the camera.
    template <typename T, typename Take>
    bool step(CallResult<T> result, const char* piece, bool authenticated, Take take) {
        if (auto* value = std::get_if<T>(&result)) {
            m_any = true;
            m_reading.accepted = m_reading.accepted || authenticated;
            take(*value);
            return true;
        }
        const CallError& error = std::get<CallError>(result);
        if (error.kind == CallErrorKind::NotAuthorized && authenticated && !m_reading.accepted) {
            m_end = DetailsOutcome::Refused;
            return false;
        }
        if (error.kind == CallErrorKind::Transport) {
            m_end = m_any ? DetailsOutcome::Failed : DetailsOutcome::NoAnswer;
            m_firstError = m_firstError.empty() ? error.words : m_firstError;
            return false;
        }
        m_firstError = m_firstError.empty() ? error.words : m_firstError;
        miss(piece);
        return true;
    }

    // The camera is asked nothing more: why, in the status.
    void stop(std::string why) {
        m_end = DetailsOutcome::Failed;
        m_firstError = std::move(why);
    }

    void miss(const char* piece) {
        m_missing += m_missing.empty() ? "" : ", ";
        m_missing += piece;
    }

    CameraReading finish() {
        DetailsOutcome outcome = m_end.value_or(m_missing.empty() ? DetailsOutcome::Read
                                                : m_any           ? DetailsOutcome::Partial
                                                                  : DetailsOutcome::Failed);
        CameraReading out = std::move(m_reading);
        out.outcome = outcome;
        switch (outcome) {
        case DetailsOutcome::Read:
            out.details.status = "read";
            break;
        case DetailsOutcome::Partial:
            out.details.status = "partial: " + m_missing;
            break;
        case DetailsOutcome::Refused:
            out.details.status = "refused";
            break;
        case DetailsOutcome::NoAnswer:
            out.details.status = "no answer";
            break;
        case DetailsOutcome::Failed:
        case DetailsOutcome::NotAsked:
            out.details.status = "failed: " + m_firstError;
            break;
        }
        return out;
    }

    DeviceService& service() { return m_service; }
    CameraReading& reading() { return m_reading; }

private:
    DeviceService& m_service;
    CameraReading m_reading;
    std::optional<DetailsOutcome> m_end;
    std::string m_missing;
    std::string m_firstError;
    bool m_any = false;
};

std::string joined(const std::vector<std::string>& hosts) {
    std::string out;
    for (const std::string& h : hosts) {
        out += (out.empty() ? "" : " ") + h;
    }
    return out;
}

// The interface the camera was found at; else its first one that is on.
const NetworkInterface* chosen(const std::vector<NetworkInterface>& nics, std::optional<Ipv4> ip) {
    const NetworkInterface* first = nullptr;
    for (const NetworkInterface& nic : nics) {
        const auto here = [&](const Ipv4Prefix& p) { return ip && p.address == *ip; };
        if (std::ranges::any_of(nic.manual, here) || (nic.fromDhcp && here(*nic.fromDhcp))) {
            return &nic;
        }
        first = first == nullptr && nic.enabled && nic.ipv4Enabled ? &nic : first;
    }
    return first;
}

Ipv4 maskOf(int prefixLength) {
    return Ipv4{prefixLength == 0 ? 0u : ~uint32_t{0} << (32 - prefixLength)};
}

void takeInterface(NetworkReading& network, const NetworkInterface& nic) {
    network.dhcp = nic.dhcp;
    const std::optional<Ipv4Prefix> prefix = nic.dhcp && nic.fromDhcp ? nic.fromDhcp
                                             : !nic.manual.empty()
                                                 ? std::optional<Ipv4Prefix>(nic.manual.front())
                                                 : nic.fromDhcp;
    if (prefix) {
        network.mask = maskOf(prefix->prefixLength);
    }
}

bool readAccountParts(Reading& r, std::optional<Ipv4> ip, const ReadWatch& watch) {
    DeviceService& s = r.service();
    CameraDetails& d = r.reading().details;
    NetworkReading& n = r.reading().network;
    if (watch.refuseAccount) {
        if (std::string why = watch.refuseAccount(); !why.empty()) {
            r.stop(std::move(why));
            return false;
        }
    }
    const bool informed = r.step(s.getDeviceInformation(), "device information", true,
                                 [&](const DeviceInformation& info) {
                                     d.manufacturer = info.manufacturer;
                                     d.model = info.model;
                                     d.firmware = info.firmwareVersion;
                                     d.serial = info.serialNumber;
                                     d.hardwareId = info.hardwareId;
                                 });
    if (r.reading().accepted && watch.accountTaken) {
        watch.accountTaken();
    }
    return informed &&
           r.step(s.getHostname(true), "hostname", true,
                  [&](const HostnameInformation& h) { d.hostname = h.name; }) &&
           r.step(s.getNtp(), "time servers", true,
                  [&](const NtpInformation& ntp) {
                      d.ntp = ntp.fromDhcp ? "dhcp" : joined(ntp.manual);
                  }) &&
           r.step(s.getNetworkInterfaces(), "network interfaces", true,
                  [&](const std::vector<NetworkInterface>& nics) {
                      if (const NetworkInterface* nic = chosen(nics, ip)) {
                          takeInterface(n, *nic);
                      }
                  }) &&
           r.step(s.getNetworkDefaultGateway(), "gateway", true,
                  [&](const std::vector<Ipv4>& gateways) {
                      n.gateway =
                          gateways.empty() ? std::nullopt : std::optional<Ipv4>(gateways.front());
                  }) &&
           r.step(s.getDns(), "DNS", true, [&](const DnsInformation& dns) {
               n.dns = dns.manual;
               n.dnsRead = true;
           });
}

std::string addressText(std::optional<Ipv4> ip) {
    return ip ? ip->text() : std::string();
}

} // namespace

CameraReading unaskedReading(DetailsOutcome outcome, std::string status) {
    CameraReading reading;
    reading.outcome = outcome;
    reading.details.status = std::move(status);
    return reading;
}

CameraReading readCamera(DeviceService& service, bool withAccount, std::optional<Ipv4> ip,
                         const ReadWatch& watch) {
    Reading r(service);
    CameraDetails& d = r.reading().details;
    const bool goOn = r.step(service.getClock(), "clock", false, [&](const ClockReading& clock) {
        d.timeZone = clock.timeZone;
        d.timeSource = clock.source;
        if (clock.utc) {
            d.clockOffset = service.clockOffset().count();
        }
    });
    if (goOn && withAccount) {
        readAccountParts(r, ip, watch);
    } else if (goOn) {
        r.step(service.getHostname(false), "hostname", false,
               [&](const HostnameInformation& h) { d.hostname = h.name; });
        r.miss("device information, time servers, network settings (no account)");
    }
    return r.finish();
}

void applyReading(Device& device, const CameraReading& reading) {
    device.details = reading.details;
    if (device.protocols != Protocols::Onvif) {
        return;
    }
    const NetworkReading& n = reading.network;
    if (n.mask) {
        device.netMask = ReportedAddress::fromText(n.mask->text());
    }
    if (n.gateway) {
        device.gateway = ReportedAddress::fromText(n.gateway->text());
    }
    if (n.dnsRead) {
        device.dns0 = ReportedAddress::fromText(
            addressText(n.dns.empty() ? std::nullopt : std::optional<Ipv4>(n.dns[0])));
        device.dns1 = ReportedAddress::fromText(
            addressText(n.dns.size() < 2 ? std::nullopt : std::optional<Ipv4>(n.dns[1])));
    }
    if (n.dhcp) {
        device.mode = *n.dhcp ? AddressMode::Dhcp : AddressMode::Static;
        device.details.networkRead = true;
    }
}

} // namespace ondrel::onvif
