#pragma once
// The session's ONVIF calls held until the test plays a camera's answers to them: nothing runs
// off the test's thread, nothing goes over HTTP, and the order of a job's end against the
// clock and the user is the test's.

#include "CameraWorker.h"
#include "SoapFixtures.h"

#include <deque>
#include <utility>
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
        m_jobs.push_back({std::move(job), std::move(delivered)});
    }
    void abandon() override {
        ++abandoned;
        m_abandonedJobs.insert(m_abandonedJobs.end(), m_jobs.begin(), m_jobs.end());
        m_jobs.clear();
    }

    std::size_t waiting() const { return m_jobs.size(); }
    // The oldest job runs against these answers, then its end is delivered; the operations it
    // asked for, in order.
    std::string finish(std::vector<onvif::HttpResult> answers) {
        EXPECT_FALSE(m_jobs.empty()) << "no camera job waits";
        if (m_jobs.empty()) {
            return {};
        }
        auto [job, delivered] = std::move(m_jobs.front());
        m_jobs.pop_front();
        const std::size_t before = m_transport.sent.size();
        m_transport.answers.assign(answers.begin(), answers.end());
        job(m_transport);
        delivered();
        std::string operations;
        for (std::size_t i = before; i < m_transport.sent.size(); ++i) {
            const std::string& action = m_transport.sent[i].soapAction;
            operations += (operations.empty() ? "" : " ") + action.substr(action.rfind('/') + 1);
        }
        return operations;
    }
    // A job that was in flight when the worker was abandoned runs to its end, which nobody
    // hears of.
    void finishAbandoned() {
        for (auto& [job, delivered] : std::exchange(m_abandonedJobs, {})) {
            job(m_transport);
        }
    }

    // Every request the jobs made, in order.
    const std::vector<onvif::HttpRequest>& sent() const { return m_transport.sent; }

    int abandoned = 0;

private:
    // One for the worker's life, as the program's: a batch's changer keeps it.
    FakeTransport m_transport;
    std::deque<std::pair<Job, std::function<void()>>> m_jobs;
    std::vector<std::pair<Job, std::function<void()>>> m_abandonedJobs;
};

} // namespace ondrel::testing
