#include "NetworkEndpoint.h"

#include <algorithm>

namespace ondrel {

namespace {

WsdConfig withEndpointLinks(WsdConfig wsd, const EndpointConfig& config) {
    if (!wsd.links) {
        wsd.links = config.links;
    }
    if (wsd.interfaces.empty()) {
        wsd.interfaces = config.interfaces;
    }
    return wsd;
}

} // namespace

NetworkEndpoint::NetworkEndpoint(EndpointConfig config, WsdConfig wsd, Protocols protocols)
    : m_protocols(protocols), m_endpoint(config) {
    if (hasProtocol(protocols, Protocols::Onvif)) {
        m_cameras = std::make_unique<WsdEndpoint>(withEndpointLinks(std::move(wsd), config));
    }
}

NetworkEndpoint::~NetworkEndpoint() {
    // Both receive threads go before the handlers they call do.
    stop();
}

EndpointOpening NetworkEndpoint::open() {
    EndpointOpening opening;
    bool bindFailed = false;
    m_endpoint.setBindFailureNotifier([&](std::string_view text) {
        bindFailed = true;
        opening.bindFailure = text;
    });
    // Only an endpoint that cannot even make its socket leaves the session unusable.
    opening.usable = m_endpoint.open() || bindFailed;
    m_endpoint.setBindFailureNotifier({});
    if (m_cameras) {
        opening.listenFailure = m_cameras->open().listenFailure;
    }
    return opening;
}

void NetworkEndpoint::setHandlers(SessionHandlers handlers) {
    if (m_cameras) {
        WsdHandlers cameras;
        if (handlers.camerasFound) {
            cameras.camerasFound = [this,
                                    found = handlers.camerasFound](std::vector<Device>&& devices) {
                found(std::move(devices), lostSinceSearch());
            };
        }
        cameras.cameraLeft = handlers.cameraLeft;
        m_cameras->setHandlers(std::move(cameras));
    }
    m_endpoint.setHandlers(std::move(static_cast<EndpointHandlers&>(handlers)));
}

SendResult NetworkEndpoint::sendSearch() {
    if (!m_cameras) {
        return m_endpoint.sendSearch();
    }
    if (!hasProtocol(m_protocols, Protocols::Native)) {
        return m_cameras->sendProbes();
    }
    SendResult ours = m_endpoint.sendSearch();
    return combinedSearch(std::move(ours), m_cameras->sendProbes());
}

uint32_t NetworkEndpoint::lostSinceSearch() const {
    return m_endpoint.lostSinceSearch() + (m_cameras ? m_cameras->lostSinceProbe() : 0);
}

void NetworkEndpoint::stop() {
    m_endpoint.stop();
    if (m_cameras) {
        m_cameras->stop();
    }
}

SendResult combinedSearch(SendResult ours, SendResult probes) {
    auto wholeFailure = [](const SendResult& failed) {
        return SendResult::Refusal{{}, failed.error, failed.message};
    };
    SendResult both = ours;
    both.ok = ours.ok || probes.ok;
    for (const std::string& adapter : probes.sentOn) {
        if (std::find(both.sentOn.begin(), both.sentOn.end(), adapter) == both.sentOn.end()) {
            both.sentOn.push_back(adapter);
        }
    }
    if (!ours.ok && probes.ok && ours.refusals.empty()) {
        both.refusals.push_back(wholeFailure(ours));
    }
    both.refusals.insert(both.refusals.end(), probes.refusals.begin(), probes.refusals.end());
    if (ours.ok && !probes.ok && probes.refusals.empty()) {
        both.refusals.push_back(wholeFailure(probes));
    }
    if (!both.ok && !probes.message.empty()) {
        both.message += (both.message.empty() ? "" : "; ") + probes.message;
    }
    if (both.ok) {
        both.error = 0;
        both.message.clear();
    }
    return both;
}

} // namespace ondrel
