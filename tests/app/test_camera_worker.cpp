// The program's camera worker on a real thread: a job runs off the asking thread with the
// worker's transport and its end comes back queued to the asking thread; after an abandon, or
// with the worker gone, a job in flight runs to its end and nobody hears of it, and a job not
// started never runs.

#include "FakeCameraWorker.h"
#include "ThreadCameraWorker.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

// A job that says it has started, waits until the test lets it go, then says it has ended.
struct HeldJob {
    std::promise<void> started;
    std::promise<void> release;
    std::promise<void> ended;
    CameraWorker::Job job() {
        return [go = release.get_future().share(), this](onvif::HttpTransport&) {
            started.set_value();
            go.wait();
            ended.set_value();
        };
    }
};

} // namespace

TEST(ThreadCameraWorker, AJobRunsOffThisThreadAndItsEndComesBackToIt) {
    auto transport = std::make_unique<FakeTransport>();
    transport->answers.push_back(onvif::HttpResponse{200, "ok"});
    FakeTransport* played = transport.get();
    ThreadCameraWorker worker(std::move(transport));
    std::thread::id ranOn;
    std::string answer;
    std::thread::id deliveredOn;
    worker.run(
        [&](onvif::HttpTransport& t) {
            ranOn = std::this_thread::get_id();
            answer = std::get<onvif::HttpResponse>(t.post({})).body;
        },
        [&] { deliveredOn = std::this_thread::get_id(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return deliveredOn != std::thread::id(); }, 5000));
    EXPECT_NE(ranOn, std::this_thread::get_id());
    EXPECT_EQ(deliveredOn, std::this_thread::get_id());
    EXPECT_EQ(answer, "ok");
    EXPECT_EQ(played->sent.size(), 1u);
}

TEST(ThreadCameraWorker, AfterAbandonOrWithTheWorkerGoneNoEndIsHeard) {
    for (const bool destroyed : {false, true}) {
        SCOPED_TRACE(destroyed ? "worker destroyed" : "worker abandoned");
        auto worker = std::make_unique<ThreadCameraWorker>(std::make_unique<FakeTransport>());
        HeldJob held;
        std::atomic<int> heard = 0;
        std::atomic<bool> queuedRan = false;
        worker->run(held.job(), [&] { ++heard; });
        worker->run([&](onvif::HttpTransport&) { queuedRan = true; }, [&] { ++heard; });
        held.started.get_future().wait();
        if (destroyed) {
            // The in-flight job holds the destructor's join until it ends.
            std::thread letGo([&held] {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                held.release.set_value();
            });
            worker.reset();
            letGo.join();
        } else {
            worker->abandon();
            held.release.set_value();
            held.ended.get_future().wait();
        }
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(heard, 0);
        EXPECT_FALSE(queuedRan);
        if (worker) {
            // Still usable after an abandon.
            bool delivered = false;
            worker->run([](onvif::HttpTransport&) {}, [&] { delivered = true; });
            EXPECT_TRUE(QTest::qWaitFor([&] { return delivered; }, 5000));
        }
    }
}
