#pragma once
// The program's CameraWorker: one thread with its own libcurl transport, started with the first
// job. Its results reach the asking thread as queued calls on a QObject of its own, so that a
// result posted just before the worker goes is dropped with that object rather than run on a
// session that is gone; the destructor drops what waits and joins the thread, which takes at
// most the call in flight's timeout. curl's global set-up (onvif::initCurl) must have run in
// main() before.

#include "CameraWorker.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace ondrel {

class ThreadCameraWorker : public CameraWorker {
public:
    // transport: null for libcurl; a test hands in its own.
    explicit ThreadCameraWorker(std::unique_ptr<onvif::HttpTransport> transport = nullptr);
    ~ThreadCameraWorker() override;
    ThreadCameraWorker(const ThreadCameraWorker&) = delete;
    ThreadCameraWorker& operator=(const ThreadCameraWorker&) = delete;

    void run(Job job, std::function<void()> delivered) override;
    void abandon() override;

private:
    struct Task {
        Job job;
        std::function<void()> delivered;
        std::uint64_t generation = 0;
    };

    void loop();

    // Lives on the asking thread; deliveries are queued to it.
    QObject m_receiver;
    std::unique_ptr<onvif::HttpTransport> m_transport;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Task> m_tasks;
    bool m_stopping = false;
    // Bumped by abandon: a delivery of an older generation finds nobody.
    std::atomic<std::uint64_t> m_generation{0};
    std::thread m_thread; // last: joined before anything it uses goes
};

} // namespace ondrel
