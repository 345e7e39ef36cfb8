#pragma once
// The session's ONVIF calls held until the test plays a camera's answers to them: nothing runs
// off the test's thread, nothing goes over HTTP, and the order of a job's end against the
// clock and the user is the test's.

#include "SoapFixtures.h"
#include "flows/CameraWorker.h"

#include <deque>
#include <map>
#include <vector>

namespace ondrel::testing {

// A camera's one interface as GetNetworkInterfaces answers, at a fixed address with DHCP off.
inline onvif::HttpResult CameraInterfaces(const std::string& mac, const std::string& ip) {
    return SoapBody(R"(<tds:GetNetworkInterfacesResponse><tds:NetworkInterfaces token="eth0">)"
                    "<tt:Enabled>true</tt:Enabled><tt:Info><tt:HwAddress>" +
                    mac +
                    "</tt:HwAddress></tt:Info><tt:IPv4><tt:Enabled>true</tt:Enabled><tt:Config>"
                    "<tt:Manual><tt:Address>" +
                    ip +
                    "</tt:Address><tt:PrefixLength>24</tt:PrefixLength></tt:Manual>"
                    "<tt:DHCP>false</tt:DHCP></tt:Config></tt:IPv4></tds:NetworkInterfaces>"
                    "</tds:GetNetworkInterfacesResponse>");
}

inline onvif::HttpResult CameraGateway(const std::string& ip) {
    return SoapBody(
        "<tds:GetNetworkDefaultGatewayResponse><tds:NetworkGateway><tt:IPv4Address>" + ip +
        "</tt:IPv4Address></tds:NetworkGateway></tds:GetNetworkDefaultGatewayResponse>");
}

inline onvif::HttpResult CameraClock() {
    return SoapFile("get_system_date_and_time_hikvision.xml");
}

class FakeCameraWorker : public CameraWorker {
public:
    void run(Job job, std::function<void()> delivered) override {
        m_jobs.push_back({std::move(job), std::move(delivered), m_abandons});
    }
    void abandon() override { ++m_abandons; }

    std::size_t waiting() const { return m_jobs.size(); }
    // The oldest job runs against these answers, then its end is delivered unless the worker
    // was abandoned meanwhile; the operations it asked for, in order.
    std::string finish(std::vector<onvif::HttpResult> answers) {
        return finishEach({{"", std::move(answers)}});
    }
    // The same with each camera's answers by its address (cameras read side by side).
    std::string finishEach(std::map<std::string, std::vector<onvif::HttpResult>> answers) {
        if (m_jobs.empty()) {
            ADD_FAILURE() << "no camera job waits";
            return {};
        }
        Pending next = std::move(m_jobs.front());
        m_jobs.pop_front();
        transport.sent.clear();
        transport.answers.clear();
        transport.answersTo.clear();
        for (auto& [host, played] : answers) {
            auto& queue = host.empty() ? transport.answers : transport.answersTo[host];
            queue.assign(played.begin(), played.end());
        }
        next.job(transport);
        if (next.abandons == m_abandons) {
            next.delivered();
        }
        return transport.operations();
    }

    // One for the worker's life, as the program's (a batch's changer keeps it); it holds the
    // last job's requests.
    FakeTransport transport;

private:
    struct Pending {
        Job job;
        std::function<void()> delivered;
        int abandons = 0;
    };
    std::deque<Pending> m_jobs;
    int m_abandons = 0;
};

} // namespace ondrel::testing
