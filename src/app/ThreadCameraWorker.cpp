#include "ThreadCameraWorker.h"

#include "onvif/CurlTransport.h"

namespace ondrel {

ThreadCameraWorker::ThreadCameraWorker(std::unique_ptr<onvif::HttpTransport> transport)
    : m_transport(transport ? std::move(transport) : std::make_unique<onvif::CurlTransport>()) {}

ThreadCameraWorker::~ThreadCameraWorker() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_tasks.clear();
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
        task.job(*m_transport);
        task.job = nullptr;
        const std::uint64_t generation = task.generation;
        // Checked again on the asking thread: an abandon may come after the post.
        QMetaObject::invokeMethod(
            &m_receiver,
            [this, generation, delivered = std::move(task.delivered)] {
                if (generation == m_generation.load()) {
                    delivered();
                }
            },
            Qt::QueuedConnection);
    }
}

} // namespace ondrel
