#include "FakeEndpoint.h"

#include <QCoreApplication>

namespace ondrel::testing {

namespace {

// What the receive thread posted, delivered now rather than at the next turn of a loop.
void deliverPosted() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

} // namespace

EndpointOpening FakeEndpoint::open() {
    if (opening.usable) {
        m_state = DiscoveryEndpoint::State::Listening;
    }
    return opening;
}

SendResult FakeEndpoint::sendSearch() {
    lost = 0;
    sent.push_back({Request::Kind::Search, {}, {}, {}, {}});
    return sendResult;
}

SendResult FakeEndpoint::sendQueries(const Device& device) {
    sent.push_back({Request::Kind::Queries, device, {}, {}, {}});
    return sendResult;
}

SendResult FakeEndpoint::sendSettings(const Device& device, const NetworkSettings& settings,
                                      const Credentials& credentials) {
    sent.push_back(
        {Request::Kind::Settings, device, settings, credentials.user, credentials.password});
    return sendResult;
}

void FakeEndpoint::reply(std::vector<Device> devices) {
    if (m_handlers.searchReplies && m_state != DiscoveryEndpoint::State::Stopped) {
        m_handlers.searchReplies(std::move(devices), lost);
    }
    deliverPosted();
}

void FakeEndpoint::answer(UpdateResult result) {
    if (m_handlers.updateAnswer && m_state != DiscoveryEndpoint::State::Stopped) {
        m_handlers.updateAnswer(UpdateAnswer{result, {}}, lost);
    }
    deliverPosted();
}

std::vector<FakeEndpoint::Request> FakeEndpoint::sentOf(Request::Kind kind) const {
    std::vector<Request> out;
    for (const Request& r : sent) {
        if (r.kind == kind) {
            out.push_back(r);
        }
    }
    return out;
}

} // namespace ondrel::testing
