#pragma once
// A blocking call from a worker thread onto the user-interface thread that the window can
// always release. The worker posts a task and waits until the task has run; when the window
// starts to close it cancels, which wakes every waiter at once, turns every task not yet
// started into a no-op and makes every later call fail without posting.
//
// After a cancel a waiter may return while its task is still running on the user-interface
// thread (a task that opened a modal box, say). A task must therefore own everything it uses:
// capture by value, never the waiter's locals by reference.

#include <functional>
#include <memory>
#include <thread>

namespace ondrel {

class CSyncCaller {
public:
    using Task = std::function<void()>;
    // Queues a task to run later on the user-interface thread. It may drop the task unrun (its
    // target gone): the waiter is then released with false.
    using Poster = std::function<void(Task)>;

    // uiThread: the thread the poster's tasks run on; a call from it runs the task directly.
    CSyncCaller(Poster poster, std::thread::id uiThread);
    CSyncCaller(Poster poster, std::function<bool()> isUiThread);
    // Cancels, so that no waiter outlives the caller blocked.
    ~CSyncCaller();
    CSyncCaller(const CSyncCaller&) = delete;
    CSyncCaller& operator=(const CSyncCaller&) = delete;

    // True once fn has run on the user-interface thread; false when cancelled before it ran
    // or while the caller waited, or when the poster dropped it.
    bool Call(Task fn);

    // Callable from any thread, several times; it cannot be undone.
    void Cancel();
    bool IsCancelled() const;

    struct Shared;

private:
    Poster m_poster;
    std::function<bool()> m_isUiThread;
    std::shared_ptr<Shared> m_shared;
};

} // namespace ondrel
