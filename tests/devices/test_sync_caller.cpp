#include "devices/CSyncCaller.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

using namespace ondrel;
using namespace std::chrono_literals;

namespace {

// A stand-in for the user-interface thread: runs posted tasks in order, and can be held busy.
class UiLoop {
public:
    UiLoop() : m_thread([this] { Run(); }) {}
    ~UiLoop() {
        {
            std::lock_guard<std::mutex> hold(m_mutex);
            m_stop = true;
            m_held = false;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    void Post(CSyncCaller::Task task) {
        // Notified under the lock: a test that sees the task posted may destroy the loop at
        // once, and the condition variable must not be in use by then.
        std::lock_guard<std::mutex> hold(m_mutex);
        m_tasks.push_back(std::move(task));
        ++m_posted;
        m_wake.notify_all();
    }
    CSyncCaller::Poster Poster() {
        return [this](CSyncCaller::Task task) { Post(std::move(task)); };
    }
    std::thread::id Id() const { return m_thread.get_id(); }

    void Hold(bool held) {
        {
            std::lock_guard<std::mutex> hold(m_mutex);
            m_held = held;
        }
        m_wake.notify_all();
    }
    int Posted() {
        std::lock_guard<std::mutex> hold(m_mutex);
        return m_posted;
    }
    // Blocks until every task posted so far has been taken and run.
    void Drain() {
        std::promise<void> done;
        Post([&done] { done.set_value(); });
        done.get_future().wait();
    }

private:
    void Run() {
        std::unique_lock<std::mutex> hold(m_mutex);
        for (;;) {
            m_wake.wait(hold, [this] { return m_stop || (!m_held && !m_tasks.empty()); });
            if (m_stop) {
                return; // tasks still queued are destroyed unrun
            }
            CSyncCaller::Task task = std::move(m_tasks.front());
            m_tasks.pop_front();
            hold.unlock();
            task();
            task = nullptr;
            hold.lock();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<CSyncCaller::Task> m_tasks;
    bool m_stop = false;
    bool m_held = false;
    int m_posted = 0;
    std::thread m_thread;
};

// Generous: a waiter that is not released within this is stuck, not slow.
constexpr auto kStuck = 20s;

} // namespace

TEST(SyncCaller, RunsTaskOnTheUiThreadAndWaitsForIt) {
    UiLoop ui;
    CSyncCaller caller(ui.Poster(), ui.Id());
    std::thread::id ranOn;
    int value = 0; // written on the UI thread, read here after Call: Call must order the two
    std::thread worker([&] {
        EXPECT_TRUE(caller.Call([&] {
            std::this_thread::sleep_for(20ms);
            ranOn = std::this_thread::get_id();
            value = 42;
        }));
        EXPECT_EQ(value, 42);
    });
    worker.join();
    EXPECT_EQ(ranOn, ui.Id());
}

TEST(SyncCaller, CallFromTheUiThreadRunsDirectly) {
    UiLoop ui;
    CSyncCaller caller(ui.Poster(), ui.Id());
    std::promise<bool> result;
    ui.Post([&] {
        bool ran = false;
        // Posting here would wait for this very task to end.
        const bool called = caller.Call([&] { ran = true; });
        result.set_value(called && ran);
    });
    auto future = result.get_future();
    ASSERT_EQ(future.wait_for(kStuck), std::future_status::ready);
    EXPECT_TRUE(future.get());
    EXPECT_EQ(ui.Posted(), 1);

    // The predicate form, as a window that asks its toolkit.
    CSyncCaller byPredicate(ui.Poster(), [] { return true; });
    bool ran = false;
    EXPECT_TRUE(byPredicate.Call([&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_EQ(ui.Posted(), 1);
}

TEST(SyncCaller, CancelReleasesWaiterAndVoidsQueuedTask) {
    UiLoop ui;
    CSyncCaller caller(ui.Poster(), ui.Id());
    ui.Hold(true); // the UI thread is busy elsewhere
    auto ran = std::make_shared<std::atomic<bool>>(false);
    auto waiter = std::async(std::launch::async,
                             [&caller, ran] { return caller.Call([ran] { ran->store(true); }); });
    while (ui.Posted() == 0) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(waiter.wait_for(50ms), std::future_status::timeout);
    caller.Cancel();
    ASSERT_EQ(waiter.wait_for(kStuck), std::future_status::ready);
    EXPECT_FALSE(waiter.get());

    ui.Hold(false);
    ui.Drain(); // the queued task runs after its waiter left
    EXPECT_FALSE(ran->load());

    // Later calls fail at once, posting nothing, from any thread.
    const int posted = ui.Posted();
    bool ranLater = false;
    EXPECT_FALSE(caller.Call([&] { ranLater = true; }));
    EXPECT_TRUE(caller.IsCancelled());
    ui.Post([&] { EXPECT_FALSE(caller.Call([&] { ranLater = true; })); });
    ui.Drain();
    EXPECT_FALSE(ranLater);
    EXPECT_EQ(ui.Posted(), posted + 2);
}

// The window closes while the task runs, for example while a result box is open: the waiter
// must go free although its task has not returned.
TEST(SyncCaller, CancelFromInsideTheTaskReleasesTheWaiter) {
    UiLoop ui;
    CSyncCaller caller(ui.Poster(), ui.Id());
    std::promise<bool> waiterResult;
    std::shared_future<bool> released = waiterResult.get_future().share();
    auto taskSawRelease = std::make_shared<std::atomic<bool>>(false);
    std::thread worker([&] {
        waiterResult.set_value(caller.Call([&caller, released, taskSawRelease] {
            caller.Cancel();
            taskSawRelease->store(released.wait_for(kStuck) == std::future_status::ready);
        }));
    });
    worker.join();
    EXPECT_FALSE(released.get());
    ui.Drain();
    EXPECT_TRUE(taskSawRelease->load());
}

TEST(SyncCaller, DroppedTaskReleasesTheWaiter) {
    CSyncCaller caller([](const CSyncCaller::Task&) {}, std::thread::id());
    bool ran = false;
    EXPECT_FALSE(caller.Call([&] { ran = true; }));
    EXPECT_FALSE(ran);

    // A loop that shuts down with the task still queued destroys it unrun.
    auto loop = std::make_unique<UiLoop>();
    CSyncCaller second(loop->Poster(), loop->Id());
    loop->Hold(true);
    auto waiter = std::async(std::launch::async, [&] { return second.Call([] {}); });
    while (loop->Posted() == 0) {
        std::this_thread::sleep_for(1ms);
    }
    loop.reset();
    ASSERT_EQ(waiter.wait_for(kStuck), std::future_status::ready);
    EXPECT_FALSE(waiter.get());
}

TEST(SyncCaller, ManyWorkersThenCancelMidway) {
    constexpr int kWorkers = 6;
    constexpr int kCalls = 300;
    UiLoop ui;
    CSyncCaller caller(ui.Poster(), ui.Id());
    auto runs = std::make_shared<int>(0); // touched on the UI thread only
    std::atomic<int> trueReturns{0};
    std::atomic<int> finishedWorkers{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.emplace_back([&, runs] {
            for (int i = 0; i < kCalls; ++i) {
                if (caller.Call([runs] { ++*runs; })) {
                    ++trueReturns;
                }
            }
            ++finishedWorkers;
        });
    }
    // Let some calls through, then close.
    while (trueReturns.load() < kWorkers * kCalls / 4) {
        std::this_thread::yield();
    }
    caller.Cancel();
    for (std::thread& t : workers) {
        t.join();
    }
    ui.Drain();
    EXPECT_EQ(finishedWorkers.load(), kWorkers);
    // Every true return ran its task; at most the one task running at the cancel ran without
    // its waiter learning of it.
    EXPECT_GE(*runs, trueReturns.load());
    EXPECT_LE(*runs, trueReturns.load() + 1);
    EXPECT_LT(trueReturns.load(), kWorkers * kCalls);
}

TEST(SyncCaller, ManyWorkersAllServed) {
    constexpr int kWorkers = 6;
    constexpr int kCalls = 200;
    UiLoop ui;
    CSyncCaller caller(ui.Poster(), ui.Id());
    int runs = 0; // only the UI thread writes it
    std::vector<std::thread> workers;
    std::atomic<int> failures{0};
    for (int w = 0; w < kWorkers; ++w) {
        workers.emplace_back([&] {
            for (int i = 0; i < kCalls; ++i) {
                if (!caller.Call([&runs] { ++runs; })) {
                    ++failures;
                }
            }
        });
    }
    for (std::thread& t : workers) {
        t.join();
    }
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(runs, kWorkers * kCalls);
}
