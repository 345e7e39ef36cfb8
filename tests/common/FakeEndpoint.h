#pragma once
// The session's endpoint as a test plays it: every request is recorded (a settings request
// with the password it carried) and answered with sendResult; replies, answers, cameras and
// their Byes reach the session when the test delivers them, through the handlers the session
// installed, as from a receive thread, and are taken by the session before the call returns.

#include "search/IEndpoint.h"

#include <QCoreApplication>

#include <algorithm>
#include <string>
#include <vector>

namespace ondrel::testing {

class FakeEndpoint : public IEndpoint {
public:
    struct Request {
        enum class Kind { Search, Queries, Settings } kind;
        Device device;
        NetworkSettings settings;
        std::string password;
    };

    EndpointOpening open() override { return opening; }
    void setHandlers(SessionHandlers handlers) override { m_handlers = std::move(handlers); }
    SendResult sendSearch() override {
        lost = 0;
        return record({Request::Kind::Search, {}, {}, {}});
    }
    SendResult sendQueries(const Device& device) override {
        return record({Request::Kind::Queries, device, {}, {}});
    }
    SendResult sendSettings(const Device& device, const NetworkSettings& settings,
                            const Credentials& credentials) override {
        return record(
            {Request::Kind::Settings, device, settings, std::string(credentials.password.view())});
    }
    uint32_t lostSinceSearch() const override { return lost; }
    void stop() override { m_stopped = true; }
    DiscoveryEndpoint::State state() const override {
        return m_stopped ? DiscoveryEndpoint::State::Stopped : DiscoveryEndpoint::State::Listening;
    }
    uint16_t boundPort() const override { return 0; }

    void reply(std::vector<Device> devices) {
        if (m_handlers.searchReplies && !m_stopped) {
            m_handlers.searchReplies(std::move(devices), lost);
        }
        takePosted();
    }
    // Cameras that answered a probe or said Hello.
    void cameras(std::vector<Device> devices) {
        if (m_handlers.camerasFound && !m_stopped) {
            m_handlers.camerasFound(std::move(devices), lost);
        }
        takePosted();
    }
    void bye(const std::string& endpoint) {
        if (m_handlers.cameraLeft && !m_stopped) {
            m_handlers.cameraLeft(endpoint, {});
        }
        takePosted();
    }
    void answer(UpdateResult result) {
        if (m_handlers.updateAnswer && !m_stopped) {
            m_handlers.updateAnswer(UpdateAnswer{result, {}, {}}, lost);
        }
        takePosted();
    }
    std::vector<Request> sentOf(Request::Kind kind) const {
        std::vector<Request> out;
        std::copy_if(sent.begin(), sent.end(), std::back_inserter(out),
                     [kind](const Request& r) { return r.kind == kind; });
        return out;
    }

    std::vector<Request> sent;
    SendResult sendResult{true, 0, {}, {}, {}};
    EndpointOpening opening{true, {}, {}};
    uint32_t lost = 0; // back to 0 at every search, as the kernel's count is

private:
    SendResult record(Request request) {
        sent.push_back(std::move(request));
        return sendResult;
    }
    // What the receive thread would have posted, taken now rather than at a loop's next turn.
    static void takePosted() { QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall); }

    SessionHandlers m_handlers;
    bool m_stopped = false;
};

} // namespace ondrel::testing
