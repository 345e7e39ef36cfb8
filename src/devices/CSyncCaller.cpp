#include "CSyncCaller.h"

#include <condition_variable>
#include <mutex>
#include <utility>

namespace ondrel {

struct CSyncCaller::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    bool cancelled = false;
};

namespace {

// What a waiter and its task share. finished: the task ran, or will never run.
struct CallState {
    bool finished = false;
    bool ran = false;
};

// Travels inside the posted task. Whether the task runs, returns early or is destroyed unrun
// by the event loop, the waiter learns of it here, and only through shared state, so a task
// that runs after its waiter gave up touches nothing of the waiter's.
class Ticket {
public:
    Ticket(std::shared_ptr<CSyncCaller::Shared> shared, std::shared_ptr<CallState> state,
           CSyncCaller::Task fn)
        : m_shared(std::move(shared)), m_state(std::move(state)), m_fn(std::move(fn)) {}
    Ticket(const Ticket&) = delete;
    Ticket& operator=(const Ticket&) = delete;
    ~Ticket() { Finish(false); }

    void Run() {
        {
            std::lock_guard<std::mutex> hold(m_shared->mutex);
            if (m_shared->cancelled || m_state->finished) {
                return;
            }
        }
        // Not under the mutex: the task may itself cancel, for example when it runs a modal
        // box in which the user closes the window.
        try {
            m_fn();
        } catch (...) {
            // An exception must not unwind into the event loop; the task is over all the same.
        }
        Finish(true);
    }

private:
    void Finish(bool ran) {
        std::lock_guard<std::mutex> hold(m_shared->mutex);
        if (m_state->finished) {
            return;
        }
        m_state->finished = true;
        m_state->ran = ran;
        m_shared->wake.notify_all();
    }

    std::shared_ptr<CSyncCaller::Shared> m_shared;
    std::shared_ptr<CallState> m_state;
    CSyncCaller::Task m_fn;
};

} // namespace

CSyncCaller::CSyncCaller(Poster poster, std::thread::id uiThread)
    : CSyncCaller(std::move(poster),
                  [uiThread] { return std::this_thread::get_id() == uiThread; }) {}

CSyncCaller::CSyncCaller(Poster poster, std::function<bool()> isUiThread)
    : m_poster(std::move(poster)), m_isUiThread(std::move(isUiThread)),
      m_shared(std::make_shared<Shared>()) {}

CSyncCaller::~CSyncCaller() {
    Cancel();
}

bool CSyncCaller::Call(Task fn) {
    if (!fn) {
        return false;
    }
    const std::shared_ptr<Shared> shared = m_shared;
    if (m_isUiThread && m_isUiThread()) {
        if (IsCancelled()) {
            return false;
        }
        try {
            fn();
        } catch (...) {
        }
        return true;
    }
    if (IsCancelled() || !m_poster) {
        return false;
    }
    auto state = std::make_shared<CallState>();
    try {
        auto ticket = std::make_shared<Ticket>(shared, state, std::move(fn));
        m_poster([ticket] { ticket->Run(); });
    } catch (...) {
        // Not posted: the ticket is gone, and with it the task.
    }
    std::unique_lock<std::mutex> hold(shared->mutex);
    shared->wake.wait(hold, [&] { return state->finished || shared->cancelled; });
    return state->ran;
}

void CSyncCaller::Cancel() {
    std::lock_guard<std::mutex> hold(m_shared->mutex);
    m_shared->cancelled = true;
    m_shared->wake.notify_all();
}

bool CSyncCaller::IsCancelled() const {
    std::lock_guard<std::mutex> hold(m_shared->mutex);
    return m_shared->cancelled;
}

} // namespace ondrel
