#pragma once
// The program's CameraWorker: one thread with its own libcurl transport, started with the first
// job. A finished job waits in a list under a short lock, and one queued call by name takes the
// list on the asking thread (as EndpointEvents does), so that Qt alone makes, hands over and
// drops the call: a call still queued when the worker goes is dropped with it, never run on a
// session that is gone. The destructor drops what waits and joins the thread: that waits for
// the camera in flight, in practice at most one call's timeout, since a call that fails ends
// that camera's calls. curl's global set-up (onvif::initCurl) must have run in main() before.

#include "flows/CameraWorker.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace ondrel {

class ThreadCameraWorker : public QObject, public CameraWorker {
    Q_OBJECT
public:
    // transport: null for libcurl; a test hands in its own.
    explicit ThreadCameraWorker(std::unique_ptr<onvif::HttpTransport> transport = nullptr);
    ~ThreadCameraWorker() override;

    void run(Job job, std::function<void()> delivered) override;
    void abandon() override;

private Q_SLOTS:
    void deliver();

private:
    struct Task {
        Job job;
        std::function<void()> delivered;
        std::uint64_t generation = 0;
    };

    void loop();

    std::unique_ptr<onvif::HttpTransport> m_transport;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Task> m_tasks; // to run
    std::deque<Task> m_done;  // run, their ends not yet delivered
    bool m_posted = false;    // a call to deliver is queued
    bool m_stopping = false;
    // Bumped by abandon: an end of an older generation finds nobody.
    std::atomic<std::uint64_t> m_generation{0};
    std::thread m_thread; // last: joined before anything it uses goes
};

} // namespace ondrel
