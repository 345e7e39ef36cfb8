#include "FakeEndpoint.h"

#include <QCoreApplication>

#include <algorithm>

namespace ondrel::testing {

EndpointOpening FakeEndpoint::open() {
    return opening;
}

DiscoveryEndpoint::State FakeEndpoint::state() const {
    return m_stopped ? DiscoveryEndpoint::State::Stopped : DiscoveryEndpoint::State::Listening;
}

SendResult FakeEndpoint::sendSearch() {
    lost = 0;
    sent.push_back({Request::Kind::Search, {}, {}, {}});
    return sendResult;
}

SendResult FakeEndpoint::sendQueries(const Device& device) {
    sent.push_back({Request::Kind::Queries, device, {}, {}});
    return sendResult;
}

SendResult FakeEndpoint::sendSettings(const Device& device, const NetworkSettings& settings,
                                      const Credentials& credentials) {
    sent.push_back({Request::Kind::Settings, device, settings, credentials.password});
    return sendResult;
}

void FakeEndpoint::reply(std::vector<Device> devices) {
    if (m_handlers.searchReplies && !m_stopped) {
        m_handlers.searchReplies(std::move(devices), lost);
    }
    // What the receive thread posted, taken now rather than at the next turn of a loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

void FakeEndpoint::answer(UpdateResult result) {
    if (m_handlers.updateAnswer && !m_stopped) {
        m_handlers.updateAnswer(UpdateAnswer{result, {}}, lost);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

std::vector<FakeEndpoint::Request> FakeEndpoint::sentOf(Request::Kind kind) const {
    std::vector<Request> out;
    std::copy_if(sent.begin(), sent.end(), std::back_inserter(out),
                 [kind](const Request& r) { return r.kind == kind; });
    return out;
}

} // namespace ondrel::testing
