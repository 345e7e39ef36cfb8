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
        FakeTransport transport;
        transport.answers.assign(answers.begin(), answers.end());
        job(transport);
        sent.insert(sent.end(), transport.sent.begin(), transport.sent.end());
        delivered();
        return transport.operations();
    }
    // A job that was in flight when the worker was abandoned runs to its end, which nobody
    // hears of.
    void finishAbandoned() {
        for (auto& [job, delivered] : std::exchange(m_abandonedJobs, {})) {
            FakeTransport transport;
            job(transport);
        }
    }

    int abandoned = 0;
    std::vector<onvif::HttpRequest> sent;

private:
    std::deque<std::pair<Job, std::function<void()>>> m_jobs;
    std::vector<std::pair<Job, std::function<void()>>> m_abandonedJobs;
};

} // namespace ondrel::testing
