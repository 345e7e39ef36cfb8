#include "ThreadCameraWorker.h"

#include "onvif/CurlTransport.h"

#include <exception>

namespace ondrel {

ThreadCameraWorker::ThreadCameraWorker(std::unique_ptr<onvif::HttpTransport> transport)
    : m_transport(transport ? std::move(transport) : std::make_unique<onvif::CurlTransport>()) {}

ThreadCameraWorker::~ThreadCameraWorker() {
    std::deque<Task> dropped;
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        dropped.swap(m_tasks);
        ++m_generation;
    }
    m_wake.notify_one();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void ThreadCameraWorker::run(Job job, std::function<void()> delivered) {
    {
        const std::lock_guard lock(m_mutex);
        m_tasks.push_back({std::move(job), std::move(delivered), m_generation.load()});
        if (!m_thread.joinable()) {
            m_thread = std::thread([this] { loop(); });
        }
    }
    m_wake.notify_one();
}

void ThreadCameraWorker::abandon() {
    std::deque<Task> dropped;
    {
        const std::lock_guard lock(m_mutex);
        dropped.swap(m_tasks);
        ++m_generation;
    }
    // What the dropped jobs hold (an account among them) goes here, outside the lock.
}

void ThreadCameraWorker::loop() {
    while (true) {
        Task task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
            if (m_stopping) {
                return;
            }
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        try {
            task.job(*m_transport);
        } catch (const std::exception&) {
            // The job's calls catch their own failures; whatever escapes them still leaves the
            // window up: the job ends with what it had found.
        }
        task.job = nullptr;
        bool post = false;
        {
            const std::lock_guard lock(m_mutex);
            m_done.push_back(std::move(task));
            post = !std::exchange(m_posted, true);
        }
        if (post) {
            QMetaObject::invokeMethod(this, "deliver", Qt::QueuedConnection);
        }
    }
}

void ThreadCameraWorker::deliver() {
    std::deque<Task> done;
    {
        const std::lock_guard lock(m_mutex);
        done.swap(m_done);
        m_posted = false;
    }
    for (Task& task : done) {
        // An end may abandon the worker (the session closes): the ends after it go unheard.
        if (task.generation == m_generation.load()) {
            task.delivered();
        }
    }
}

} // namespace ondrel
