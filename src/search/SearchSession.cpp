#include "SearchSession.h"

#include "devices/DeviceList.h"

#include <algorithm>
#include <cerrno>

namespace ondrel {

namespace {

constexpr std::string_view kNoSocketText = "the UDP socket could not be opened";
constexpr std::string_view kNoProbesText = "the WS-Discovery socket could not be opened";
constexpr std::string_view kReceiveFailedText =
    "receiving failed: the UDP socket reported an error";

wsd::WsdConfig withEndpointLinks(wsd::WsdConfig wsd, const EndpointConfig& config) {
    if (!wsd.links) {
        wsd.links = config.links;
    }
    if (wsd.interfaces.empty()) {
        wsd.interfaces = config.interfaces;
    }
    return wsd;
}

struct ListedCounts {
    uint64_t replies = 0;
    uint64_t cameras = 0;
};

ListedCounts listedCounts(const DeviceList& listed) {
    ListedCounts counts;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        const Protocols found = listed[i].protocols;
        counts.replies += hasProtocol(found, Protocols::Native) ? 1 : 0;
        counts.cameras += hasProtocol(found, Protocols::Onvif) ? 1 : 0;
    }
    return counts;
}

} // namespace

SendResult SearchSent::combined() const {
    if (ours && probes) {
        return combinedSearch(*ours, *probes);
    }
    return ours ? *ours : probes.value_or(SendResult{});
}

uint32_t SearchTally::unlisted(const DeviceList& listed) const {
    // Every device answers each search at least once, so this round's replies, taken and
    // lost, are at least as many as there are devices; once as many distinct devices have
    // been listed, a reply lost now came from a device listed in an earlier round. The same
    // holds for the cameras and the probes, each protocol counted on its own.
    const ListedCounts known = listedCounts(listed);
    const auto missing = [](uint64_t lost, uint64_t taken, uint64_t devices) {
        const uint64_t sent = lost + taken;
        return sent > devices ? std::min(lost, sent - devices) : 0;
    };
    return static_cast<uint32_t>(missing(lostReplies, replies, known.replies) +
                                 missing(lostCameras, cameras, known.cameras));
}

bool SearchTally::heardAsManyAsListed(const DeviceList& listed) const {
    const ListedCounts known = listedCounts(listed);
    return lostReplies + replies >= known.replies && lostCameras + cameras >= known.cameras;
}

SearchSession::SearchSession(EndpointConfig config, wsd::WsdConfig wsd, Protocols protocols)
    : m_native(hasProtocol(protocols, Protocols::Native)),
      m_onvif(hasProtocol(protocols, Protocols::Onvif)),
      m_wsdConfig(withEndpointLinks(std::move(wsd), config)), m_endpoint(std::move(config)) {
    if (m_onvif) {
        m_cameras = std::make_unique<wsd::WsdEndpoint>(m_wsdConfig);
    }
}

SearchSession::~SearchSession() {
    // Both receive threads go before the handlers they call do.
    stop();
}

EndpointOpening SearchSession::open() {
    EndpointOpening opening;
    if (m_native) {
        openOurs(opening);
    }
    if (m_cameras) {
        openCameras(opening);
    }
    return opening;
}

void SearchSession::openOurs(EndpointOpening& opening) {
    bool bindFailed = false;
    m_endpoint.setBindFailureNotifier([&](std::string_view text) {
        bindFailed = true;
        opening.bindFailure = text;
    });
    const bool listening = m_endpoint.open();
    m_endpoint.setBindFailureNotifier({});
    // Only an endpoint that cannot even make its socket leaves the session unusable.
    opening.usable = listening || bindFailed;
    if (!listening) {
        opening.error = bindFailed ? opening.bindFailure : std::string(kNoSocketText);
    }
}

void SearchSession::openCameras(EndpointOpening& opening) {
    const wsd::WsdOpening opened = m_cameras->open();
    opening.listenFailure = opened.listenFailure;
    if (!m_native) {
        opening.usable = opened.probing;
    }
    if (!opened.probing) {
        // Its thread never ran: nothing else holds it.
        m_cameras->stop();
        m_cameras.reset();
        if (m_native) {
            opening.warnings.push_back(std::string(kNoProbesText) +
                                       ": cameras found by ONVIF alone are not shown");
        } else {
            opening.error = kNoProbesText;
        }
    } else if (m_wsdConfig.listen && !opened.listening) {
        opening.warnings.push_back("Port " + std::to_string(m_wsdConfig.listenPort) +
                                   " is in use: cameras that announce themselves are not shown");
    }
}

void SearchSession::setHandlers(SessionHandlers handlers) {
    if (m_cameras) {
        wsd::WsdHandlers cameras;
        cameras.camerasFound =
            [this, found = std::move(handlers.camerasFound)](std::vector<Device>&& devices) {
                m_camerasFound += devices.size();
                if (found) {
                    found(std::move(devices), lostSinceSearch());
                }
            };
        cameras.cameraLeft = std::move(handlers.cameraLeft);
        m_cameras->setHandlers(std::move(cameras));
    }
    EndpointHandlers ours;
    ours.searchReplies = [this, replies = std::move(handlers.searchReplies)](
                             std::vector<Device>&& devices, uint32_t lost) {
        m_replies += devices.size();
        if (replies) {
            replies(std::move(devices), lost);
        }
    };
    ours.updateAnswer = std::move(handlers.updateAnswer);
    m_endpoint.setHandlers(std::move(ours));
}

SearchSent SearchSession::search() {
    m_replies = 0;
    m_camerasFound = 0;
    SearchSent sent;
    if (m_native) {
        sent.ours = m_endpoint.sendSearch();
    }
    if (m_cameras) {
        sent.probes = m_cameras->sendProbes();
    } else if (!m_native) {
        sent.probes = SendResult{false, ENOTCONN, std::string(kNoProbesText), {}, {}};
    }
    return sent;
}

uint32_t SearchSession::lostSinceSearch() const {
    const SearchTally now = tally();
    return now.lostReplies + now.lostCameras;
}

SearchTally SearchSession::tally() const {
    return {m_replies.load(), m_camerasFound.load(), m_native ? m_endpoint.lostSinceSearch() : 0,
            m_cameras ? m_cameras->lostSinceProbe() : 0};
}

std::string SearchSession::receiveProblem() const {
    return !m_native || m_endpoint.state() == DiscoveryEndpoint::State::Listening
               ? std::string()
               : std::string(kReceiveFailedText);
}

void SearchSession::stop() {
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
